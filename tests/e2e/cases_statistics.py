"""Statistics chosen with -S/-D: each one checked against an oracle of its
own, exact fractions over the decimals as written (square roots rounded with
integers, through the runner's helpers) and, for the confidence interval,
Student's t quantile found with mpmath at 80 digits. The oracle runs only
when a case is checked, so listing the cases stays fast."""
import functools
import os
from collections import Counter
from decimal import Decimal
from fractions import Fraction

DESCRIBE = ["n", "missing", "mean", "se", "median", "mode", "mode_count", "unbiased_sd",
            "unbiased_variance", "kurtosis", "skewness", "range", "min", "q1", "q3", "max",
            "sum", "ci_low", "ci_high", "ci_half"]
EXTRA = ["variance", "sd", "cv", "iqr", "mad", "p0", "p2.5", "p12.3456", "p100", "p0.0000001",
         "p99.9999999", "p33.3"]
EN = {"n": "Count", "missing": "Missing", "mean": "Mean", "variance": "Variance", "sd": "SD",
      "unbiased_variance": "Unbiased variance", "unbiased_sd": "SD(unbiased variance)",
      "min": "Minimum", "q1": "First quartile", "median": "Median", "q3": "Third quartile",
      "max": "Maximum", "sum": "Sum", "se": "Standard error", "ci_low": "%s CI lower",
      "ci_high": "%s CI upper", "ci_half": "%s CI half-width",
      "cv": "Coefficient of variation", "range": "Range", "iqr": "Interquartile range",
      "mad": "Median absolute deviation", "mode": "Mode", "mode_count": "Mode count",
      "skewness": "Skewness", "kurtosis": "Kurtosis"}
JA = {"n": "個数", "missing": "欠損値", "mean": "平均値", "variance": "分散", "sd": "SD",
      "unbiased_variance": "不偏分散", "unbiased_sd": "SD(不偏分散)", "min": "最小値",
      "q1": "第1四分位数", "median": "中央値", "q3": "第3四分位数", "max": "最大値",
      "sum": "合計", "se": "標準誤差", "ci_low": "信頼区間 下限 (%s)",
      "ci_high": "信頼区間 上限 (%s)", "ci_half": "信頼度 (%s)", "cv": "変動係数",
      "range": "範囲", "iqr": "四分位範囲", "mad": "中央絶対偏差", "mode": "最頻値",
      "mode_count": "最頻値の度数", "skewness": "歪度", "kurtosis": "尖度"}

# The spreadsheet tool's published example for SKEW and KURT.
SKEW = ["3", "4", "5", "2", "3", "4", "5", "6", "4", "7"]
# Far from zero: doubles of these lose the last digits (10000001.05 is
# 10000001.0500000007 as a double, a tie as written).
FAR = ["10000000.1", "10000000.3", "10000000.2", "10000000.7", "10000000.3", "9999999.85",
       "10000001.05"]
# A negative mean and skewness; 2.675 is 2.67499999... as a double.
NEG = ["-0.1", "-0.2", "-0.3", "-2.675", "1.25", "-0.2", "0.7", "0.0025"]
SMALL = [("n0.txt", []), ("n1.txt", ["2.5"]), ("n2.txt", ["1", "4"]),
         ("n3.txt", ["1", "6", "7"]), ("n4.txt", ["-2", "1", "4", "9.5"])]
EDGE_SETS = [("equal.txt", ["0.3"] * 5), ("zeros.txt", ["0", "0", "0"]),
           ("tie.txt", ["5", "3", "5", "3", "9"]), ("unique.txt", ["4", "1", "3"]),
           ("zero_mean.txt", ["-1", "1"]), ("tenths.txt", ["0.1", "0.2", "0.3"])]


def marker_file(texts):
    return b"h\n/\n" + b"".join(t.encode() + b"\n" for t in texts) + b"/\n"


def t_quantile(p, df):
    """Student's t quantile at p > 1/2 with df degrees of freedom: the x of
    I_x(df/2, 1/2) = 2(1 - p), found by bisection at 80 digits, gives
    t = sqrt(df (1 - x) / x)."""
    import mpmath
    with mpmath.mp.workdps(80):
        mpf = mpmath.mpf
        target = mpf(2 * (1 - p).numerator) / (1 - p).denominator
        a, b, lo, hi = mpf(df) / 2, mpf(1) / 2, mpf(0), mpf(1)
        while hi - lo > mpf(10) ** -76 * hi:
            mid = (lo + hi) / 2
            if mpmath.betainc(a, b, 0, mid, regularized=True) < target:
                lo = mid
            else:
                hi = mid
        x = (lo + hi) / 2
        return mpmath.sqrt(df * (1 - x) / x)


def mp_fraction(x):
    sign, man, exp, _ = x._mpf_
    return (-1) ** sign * Fraction(man) * Fraction(2) ** exp


def quantile(xs, p):
    """R type 7 over sorted exact values."""
    h = (len(xs) - 1) * p
    k = h.numerator // h.denominator
    return xs[k] if h == k else xs[k] + (h - k) * (xs[k + 1] - xs[k])


@functools.lru_cache(maxsize=None)
def exact(texts, level, missing, keys):
    """Every statistic of the decimals exactly: an int for counts, None where
    undefined, else (value, root, sign): sign · value or sign · sqrt(value)."""
    xs = [Fraction(Decimal(t)) for t in texts]
    n, q = len(xs), lambda v: (v, False, 1)
    counts = Counter(xs)
    top = max(counts.values(), default=0)
    r = dict.fromkeys(DESCRIBE + EXTRA + list(keys))
    r.update(n=n, missing=missing, sum=q(sum(xs)), mode_count=top)
    if top > 1:
        r["mode"] = q(min(x for x, c in counts.items() if c == top))
    if n == 0:
        return r
    s = sorted(xs)
    mean = sum(xs) / n
    m2, m3, m4 = (sum((x - mean) ** k for x in xs) for k in (2, 3, 4))
    med = quantile(s, Fraction(1, 2))
    # The extremes are written as the listing writes values (their doubles);
    # the range is over the numbers as written.
    r.update(mean=q(mean), variance=q(m2 / n), sd=(m2 / n, True, 1), min=("listed", float(s[0])),
             max=("listed", float(s[-1])), range=q(s[-1] - s[0]), median=q(med), q1=q(quantile(s, Fraction(1, 4))),
             q3=q(quantile(s, Fraction(3, 4))), mad=q(quantile(sorted(abs(x - med) for x in xs),
                                                               Fraction(1, 2))))
    r["iqr"] = q(r["q3"][0] - r["q1"][0])
    for key in r:
        if key.startswith("p"):
            r[key] = q(quantile(s, Fraction(Decimal(key[1:])) / 100))
    if n >= 2:
        u = m2 / (n - 1)
        r.update(unbiased_variance=q(u), unbiased_sd=(u, True, 1), se=(u / n, True, 1))
        if mean != 0:
            r["cv"] = (u / mean ** 2, True, 1 if mean > 0 else -1)
        if u == 0:
            r.update(ci_low=q(mean), ci_high=q(mean), ci_half=q(Fraction(0)))
        else:
            import mpmath
            t = t_quantile((1 + Fraction(Decimal(level)) / 100) / 2, n - 1)
            with mpmath.mp.workdps(80):
                mpf = mpmath.mpf
                half = t * mpmath.sqrt(mpf(u.numerator) / (u.denominator * n))
                m = mpf(mean.numerator) / mean.denominator
                r.update(ci_low=q(mp_fraction(m - half)), ci_high=q(mp_fraction(m + half)),
                         ci_half=q(mp_fraction(half)))
    if n >= 3 and m2 != 0:
        g1 = Fraction(n * n, (n - 1) ** 2 * (n - 2) ** 2) * m3 ** 2 / u ** 3
        r["skewness"] = (g1, True, -1 if m3 < 0 else 1)
    if n >= 4 and m2 != 0:
        r["kurtosis"] = q(Fraction(n * (n + 1), (n - 1) * (n - 2) * (n - 3)) * m4 / u ** 2
                          - Fraction(3 * (n - 1) ** 2, (n - 2) * (n - 3)))
    return r


def text_of(h, e, digits):
    """As the report (or a machine format with -d) writes it."""
    if e is None:
        return "nan"
    if isinstance(e, int):
        return str(e)
    if e[0] == "listed":
        return "%.*g" % (digits, e[1])
    value, root, sign = e
    return ("-" if sign < 0 and value else "") + h.rounded_once((value, root), digits)


def double_of(h, e):
    if e is None:
        return float("nan")
    if isinstance(e, int):
        return float(e)
    if e[0] == "listed":
        return e[1]
    return e[2] * h.nearest_of(e[:2])


def level_text(level, japanese):
    text = level.rstrip("0").rstrip(".") if "." in level else level
    return text + (".0" if japanese and "." not in text else "") + "%"


def percentile_label(number, japanese):
    if japanese:
        return number + " パーセンタイル"
    k = int(Decimal(number))
    suffix = "th" if "." in number or k % 100 in (11, 12, 13) else {1: "st", 2: "nd", 3: "rd"}.get(
        k % 10, "th")
    return number + suffix + " percentile"


def label(key, japanese, level):
    if key.startswith("p"):
        return percentile_label(key[1:], japanese)
    text = (JA if japanese else EN)[key]
    return text % level_text(level, japanese) if "%s" in text else text


def first_difference(got, want):
    g, w = got.split(b"\n"), want.split(b"\n")
    for k, (a, b) in enumerate(zip(g, w)):
        if a != b:
            return "line %d: got %r, expected %r" % (k + 1, a, b)
    return "got %d lines, expected %d" % (len(g), len(w))


def text_case(h, name, args, texts, keys, digits=6, japanese=False, encoding="cp932",
              level="95", lines=()):
    """A report: the five results' block, an empty line, then "LABEL = value"
    for each key asked, in order; `lines` are literal lines it must hold."""
    values = [float(t) for t in texts]
    assert all(h.written(v) == Fraction(Decimal(t)) for v, t in zip(values, texts))

    def verify(folder):
        with open(os.path.join(folder, "report.txt"), "rb") as f:
            got = f.read().replace(b"\r\n", b"\n")  # a Windows program's line ends
        stats = exact(tuple(texts), level, 0, tuple(keys))
        block = "".join("%s = %s\n" % (label(k, japanese, level), text_of(h, stats[k], digits))
                        for k in keys)
        want = h.report("data.txt", values, encoding=encoding, digits=digits,
                        english=not japanese) + b"\n" + block.encode(encoding)
        held = got.decode(encoding, "replace").split("\n")
        missing = [t for t in lines if not any(g == t or g.startswith(t + " = ") for g in held)]
        if missing:
            return "lines missing: %r" % missing
        return None if got == want else first_difference(got, want)
    return h.Case("statistics: " + name, args=list(args) + ["data.txt", "report.txt"],
                  files={"data.txt": marker_file(texts)}, stdin=b"", console=b"",
                  report=lambda got: True, verify=verify)


def machine_case(h, name, args, sets, keys, fmt="tsv", digits=None, level="95"):
    """Machine rows into out (-o): the header is file, the keys asked and, in
    tsv and csv, error; each count exact, each number the oracle's double
    (shortest) or its text at -d digits. sets: (file, texts[, data, missing])."""
    files = {s[0]: s[2] if len(s) > 2 else marker_file(s[1]) for s in sets}
    names = [s[0] for s in sets]

    def verify(folder):
        with open(os.path.join(folder, "out"), "rb") as f:
            out = f.read().replace(b"\r\n", b"\n")
        rows = h.parsed_rows(fmt, out)
        if fmt == "json":
            if any(list(r) != ["file"] + keys for r in rows):
                return "keys %r" % [list(r) for r in rows]
        elif out.split(b"\n")[0].decode() != ("\t" if fmt == "tsv" else ",").join(
                ["file"] + keys + ["error"]):
            return "header %r" % out.split(b"\n")[0]
        if len(rows) != len(sets):
            return "%d rows" % len(rows)
        problems = []
        for row, s in zip(rows, sets):
            stats = exact(tuple(s[1]), level, s[3] if len(s) > 3 else 0, tuple(keys))
            for k in keys:
                got, e = row[k], stats[k]
                if isinstance(e, int):
                    ok = got == e if fmt == "json" else got == str(e)
                elif digits:
                    ok = got == text_of(h, e, digits)
                else:
                    ok = h.same_number(fmt, got, double_of(h, e))
                if not ok:
                    want = text_of(h, e, digits) if digits else repr(double_of(h, e))
                    problems.append("%s %s: got %r, expected %s" % (s[0], k, got, want))
            if fmt != "json" and row["error"]:
                problems.append("%s error %r" % (s[0], row["error"]))
        return "; ".join(problems) or None
    extra = [] if digits is None else ["-d", str(digits)]
    return h.Case("statistics: " + name, args=["-F", fmt, "-o", "out"] + extra + list(args) + names,
                  files=files, untouched=tuple(names), stdin=b"", console=b"",
                  report_name="out", report=lambda got: True, verify=verify)


def refused(h, name, args, start):
    """A usage error: exit 2, its message, the hint, and nothing made."""
    def stderr(err):
        err = err.replace(b"\r\n", b"\n")
        return err.startswith(b"descstat: " + start.encode()) and err.endswith(h.TRY_HELP)
    return h.Case("statistics: refused: " + name, args=list(args) + ["data.txt"],
                  **dict(h.usage_error(""), stderr=stderr, files={"data.txt": marker_file(SKEW)}))


def cases(h):
    keys = DESCRIBE + EXTRA
    extra = ["-S", ",".join(EXTRA)]
    three = [("skew.txt", SKEW), ("far.txt", FAR), ("neg.txt", NEG)]
    every = three + SMALL + EDGE_SETS
    return [
        # The spreadsheet tool's published SKEW and KURT results, pinned.
        text_case(h, "SKEW and KURT example, English -D", ["-L", "en", "-D"], SKEW, DESCRIBE,
                  lines=["Skewness = 0.359543", "Kurtosis = -0.1518", "Mode = 4",
                         "Mode count = 3", "First quartile = 3.25", "Sum = 43"]),
        text_case(h, "SKEW and KURT example, Japanese -D in Shift_JIS", ["-D"], SKEW, DESCRIBE,
                  japanese=True, lines=["歪度 = 0.359543", "尖度 = -0.1518",
                                        "信頼度 (95.0%) = 1.06905"]),
        # Every number rounded once at each number of digits, and as the
        # shortest double: 0 to 4 values (what is undefined), all equal, all
        # zero (no cv), a tie of modes (the smallest), no mode, a zero mean,
        # tenths; percentiles with up to seven decimals.
        *[machine_case(h, "-D and more at %d digits" % d, ["-D"] + extra, every, keys,
                       digits=d) for d in range(1, 18)],
        *[machine_case(h, "-D and more, shortest, " + fmt, ["-D"] + extra, every, keys, fmt=fmt)
          for fmt in ("tsv", "csv", "json")],
        text_case(h, "no values, English report", ["-L", "en", "-D"] + extra, [], keys,
                  lines=["Mode count = 0", "Sum = 0", "Skewness = nan", "Mode = nan"]),
        text_case(h, "one value, Japanese report in UTF-8", ["-e", "utf-8", "-D"], ["2.5"],
                  DESCRIBE, japanese=True, encoding="utf-8",
                  lines=["標準誤差 = nan", "最頻値 = nan", "最頻値の度数 = 1", "中央値 = 2.5"]),
        text_case(h, "all values equal: the interval is the mean",
                  ["-L", "en", "-S", "ci,ci_half,se"], ["0.3"] * 5,
                  ["ci_low", "ci_high", "ci_half", "se"],
                  lines=["95% CI lower = 0.3", "95% CI half-width = 0"]),
        # Aliases, repetition, the order asked, keys without trailing zeros.
        machine_case(h, "aliases, repeated -S and -D, in order",
                     ["-S", "mode", "-S", "ci,n", "-D", "-S", "p2.50,p97.500,variance"],
                     three, ["mode", "mode_count", "ci_low", "ci_high", "n"] + DESCRIBE
                     + ["p2.5", "p97.5", "variance"]),
        machine_case(h, "missing cells of a table", ["-S", "n,missing,mean,median,sum"],
                     [("t.csv", ["1.5", "2.5", "4"], b"x\n1.5\nNA\n2.5\n4\nNA\n", 2)],
                     ["n", "missing", "mean", "median", "sum"], fmt="csv"),
        # Other confidence levels: their intervals and their labels.
        *[machine_case(h, "confidence %s" % level, ["--confidence=" + level, "-S", "ci,ci_half"],
                       three + SMALL[1:5], ["ci_low", "ci_high", "ci_half"], level=level,
                       digits=17) for level in ("99.9", "0.000000001", "99.999999999")],
        *[text_case(h, "confidence %s, %s labels" % (level, "Japanese" if ja else "English"),
                    ["--confidence", level, "-S", "ci,ci_half,p12.3456,p1,p22,p13"]
                    + (["-e", "utf-8"] if ja else ["-L", "en"]), NEG,
                    ["ci_low", "ci_high", "ci_half", "p12.3456", "p1", "p22", "p13"],
                    japanese=ja, encoding="utf-8" if ja else "cp932", level=level,
                    lines=[("信頼区間 下限 (%s)" if ja else "%s CI lower") % shown])
          for level, ja, shown in [("99", False, "99%"), ("99.9", True, "99.9%"),
                                   ("97.250", False, "97.25%"), ("50", True, "50.0%")]],
        # Decimals that doubles would get wrong in the last digits; the
        # extremes as the listing writes them, their range as written.
        text_case(h, "far from zero at 17 digits, English", ["-L", "en", "-d", "17", "-D"] + extra,
                  FAR, keys, digits=17,
                  lines=["Maximum = 10000001.050000001", "Minimum = 9999999.8499999996",
                         "Range = 1.2"]),
        # Refused: the message names what is wrong.
        *[refused(h, "statistic " + a[-1], a, "invalid statistic '%s'" % bad) for a, bad in [
            (["-S", "xyz"], "xyz"), (["--statistics=mean,xyz"], "xyz"), (["-S", "p101"], "p101"),
            (["-S", "p100.00000001"], "p100.00000001")]],
        *[refused(h, "confidence " + level, ["-D", "--confidence=" + level],
                  "invalid confidence level '%s'" % level)
          for level in ["100", "0", "95.1234567891"]],
    ]
