"""Every number of the report rounded once from its exact value: rounding the
exact mean first to a double and then to six digits would print a wrong last
digit. The oracle rounds exact fractions with integers alone; the literal
cases pin it too."""
import random


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
    return [
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
