"""Every number of the report rounded once from its exact value: rounding the
exact mean first to a double and then to six digits would print a wrong last
digit. The oracle rounds exact fractions with integers alone; the literal
cases pin it too."""
import random

import nist_strd


def with_line(line):
    """A report (Shift_JIS) that holds the given line."""
    return lambda report: line.encode("cp932") in report.split(b"\r\n" if b"\r\n" in report
                                                                 else b"\n")


def cases(h):
    # The exact mean is 12345.650000000000363...; its double is
    # 12345.649999999999636..., which six digits of %g would show as 12345.6.
    tie = [61728.25, 1.8189894035458565e-12, 0.0, 0.0, 0.0]
    rng = random.Random(29)
    sets = []
    for k in range(24):
        n = rng.randint(1, 12)
        scale = 10.0 ** rng.randint(-8, 12)
        vals = [round(rng.uniform(-1, 1) * scale, rng.randint(0, 6)) for _ in range(n)]
        sets.append((k, vals, rng.randint(1, 17)))
    # Texts of the same doubles: more digits than a double holds, trailing
    # zeros, exponents, a subnormal written long; each counts as the double's
    # shortest decimal (0.1, 150, 5e-324, ...).
    spelled = [b"0.10000000000000001", b"1.50e2", b"-2.500000", b"4.9e-324",
               b"0.3000000000000000444", b"7E-1", b"12345678901234567890"]
    spelled_values = [float(t) for t in spelled]
    spelled_file = b"/\n" + b"".join(t + b"\n" for t in spelled) + b"/\n"
    # NIST StRD NumAcc4: certified mean 10000000.2 and SD 0.1, exact over the
    # decimals as written.
    numacc4 = [10000000.2] + [10000000.1, 10000000.3] * 500
    def certified(name):
        mean, sd = nist_strd.CERTIFIED[name]
        return lambda r: (with_line("平均値 = %.15g" % float(mean))(r)
                          and with_line("SD(不偏分散) = %.15g" % float(sd))(r))
    return [
        *[h.Case("as written: NIST StRD %s prints its certified values at 15 digits" % name,
                 args=["-d", "15", "data.txt", "report.txt"], stdin=b"", console=b"",
                 files={"data.txt": nist_strd.data_file(name)}, report=certified(name))
          for name in nist_strd.CERTIFIED],
        # 1.15 is listed as its double, 1.149999..., at two digits: 1.1; the
        # median is 1.15 as written, a tie, rounded to even: 1.2. The extremes
        # match their listing lines.
        h.Case("as written: the median rounded once, the extremes as listed",
               args=["-s", "-d", "2", "data.txt", "report.txt"], stdin=b"", console=b"",
               files={"data.txt": h.values_file([1.05, 1.15, 1.45])},
               report=lambda r: all(with_line(t)(r) for t in (
                   "2:  1.1", "最小値 = 1.1", "中央値 = 1.2", "最大値 = 1.4"))
               and r.replace(b"\r\n", b"\n")  # Windows line ends
               == h.report("data.txt", [1.05, 1.15, 1.45], digits=2, with_summary=True)),
        h.Case("as written: the mean of 0.1 and 0.2 in json is 0.15",
               args=["-F", "json", "data.txt"], stdin=b"", report=None,
               files={"data.txt": b"/\n0.1\n0.2\n/\n"},
               console=lambda out: b'"mean": 0.15,' in out and b'"variance": 0.0025,' in out),
        h.Case("as written: NumAcc4's certified SD at 17 digits",
               args=["-d", "17", "data.txt", "report.txt"], stdin=b"", console=b"",
               files={"data.txt": h.values_file(numacc4)},
               report=lambda r: with_line("平均値 = 10000000.2")(r)
               and with_line("SD(不偏分散) = 0.1")(r)),
        *[h.Case("as written: other spellings of the same doubles, %s" % fmt,
                 args=["-F", fmt, "-s", "data.txt"], stdin=b"", report=None,
                 files={"data.txt": spelled_file},
                 console=h.machine_check(fmt, [("data.txt", spelled_values, None)], True))
          for fmt in ("tsv", "json")],
        h.Case("as written: other spellings at 17 digits",
               args=["-s", "-d", "17", "data.txt", "report.txt"], stdin=b"", console=b"",
               files={"data.txt": spelled_file},
               report=h.report("data.txt", spelled_values, digits=17, with_summary=True)),
        h.Case("rounded once: a mean whose double sits below a tie",
               args=["data.txt", "report.txt"], stdin=b"", console=b"",
               files={"data.txt": h.values_file(tie)},
               report=with_line("平均値 = 12345.7")),
        h.Case("rounded once: the oracle agrees on the tie",
               args=["-s", "data.txt", "report.txt"], stdin=b"", console=b"",
               files={"data.txt": h.values_file(tie)},
               report=h.report("data.txt", tie, with_summary=True)),
        h.Case("rounded once: the mean of 0.1 and 0.2 at one digit",
               args=["-d", "1", "data.txt", "report.txt"], stdin=b"", console=b"",
               files={"data.txt": h.values_file([0.1, 0.2])},
               report=with_line("平均値 = 0.2")),
        *[h.Case("rounded once: random decimals %d at %d digits" % (k, d),
                 args=["-s", "-d", str(d), "data.txt", "report.txt"], stdin=b"", console=b"",
                 files={"data.txt": h.values_file(vals)},
                 report=h.report("data.txt", vals, digits=d, with_summary=True))
          for k, vals, d in sets],
    ]
