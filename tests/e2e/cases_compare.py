"""Comparisons (-c): Welch's, the pooled and the paired t-test of each sample
against the first. The oracle is exact fractions over the decimals as written
(square roots rounded with integers, through the runner's helpers) and, for
Student's t quantile, p and the interval, mpmath at 80 digits. The oracle runs
only when a case is checked."""
import functools
import os
import unicodedata
from decimal import Decimal
from fractions import Fraction

import cases_statistics as stats
import nist_strd

COLUMNS = ["baseline", "sample", "n", "mean", "diff", "diff_low", "diff_high", "diff_percent",
           "percent_low", "percent_high", "t", "df", "pooled_sd", "p", "p_underflow", "method",
           "confidence", "different", "note"]
NUMBERS = ["mean", "diff", "diff_low", "diff_high", "diff_percent", "percent_low",
           "percent_high", "t", "df", "pooled_sd", "p"]
MIN_NORMAL = Fraction(2.2250738585072014e-308)
EN = {"labels": ["Count", "Minimum", "Maximum", "Median", "Mean", "SD(unbiased variance)"],
      "head": "Comparison: %s, %s confidence",
      "welch": "Welch's t-test", "pooled": "Student's t-test, pooled SD",
      "paired": "paired t-test", "diff": "Difference = %s +/- %s [%s, %s]",
      "percent": "Difference in percent = %s%% +/- %s%% [%s%%, %s%%]",
      "t": "t = %s, df = %s, p = %s", "yes": "Difference at %s confidence",
      "no": "No difference proven at %s confidence", "too few values":
      "Too few values (fewer than 2)",
      "not paired": "Not paired: the counts differ or a cell is missing"}
JA = {"labels": ["個数", "最小値", "最大値", "中央値", "平均値", "SD(不偏分散)"],
      "head": "比較: %s, %s 信頼水準", "welch": "Welch の t 検定",
      "pooled": "Student の t 検定 (プールした SD)", "paired": "対応のある t 検定",
      "diff": "差 = %s ± %s [%s, %s]", "percent": "差の割合 = %s%% ± %s%% [%s%%, %s%%]",
      "t": "t = %s, 自由度 = %s, p = %s", "yes": "差がある (%s 信頼水準)",
      "no": "差があるとは言えない (%s 信頼水準)", "too few values": "値が少なすぎる (2 個未満)",
      "not paired": "対にできない: 個数が異なるか欠損値がある"}

# Different spreads and counts: Welch's df is a fraction. THIRD is close to
# BEFORE (no difference), AFTER far from it.
BEFORE = ("12.5", "13.1", "11.8", "12.9", "13.4", "12.2", "12.75")
AFTER = ("14.2", "15.9", "13.1", "16.8", "14.7", "15.3", "17.2", "12.9", "15.25")
THIRD = ("12.6", "12.4", "13.05", "12.8")
# Pairs whose differences doubles get wrong (10000000.5 - 10000000.2 is
# 0.30000000074505806 in doubles).
PAIR_A = ("10000000.2", "0.1", "3.3", "10000000.7", "2.675", "-4.25")
PAIR_B = ("10000000.5", "0.3", "3.1", "10000001.1", "2.7", "-4.0")
PAIR_C = ("10000000.1", "0.2", "3.35", "10000000.6", "2.6", "-4.3")
SETS = {"before.txt": BEFORE, "after.txt": AFTER, "third.txt": THIRD, "a.txt": PAIR_A,
        "b.txt": PAIR_B, "c.txt": PAIR_C, "one.txt": ("2.5",), "four.txt": ("4",),
        "flat.txt": ("0.3",) * 4, "flat3.txt": ("0.3",) * 3, "up.txt": ("0.7",) * 5,
        "down.txt": ("0.1",) * 2, "copy.txt": BEFORE,
        "numacc3.txt": tuple(nist_strd.texts()["NumAcc3"]),
        "numacc4.txt": tuple(nist_strd.texts()["NumAcc4"])}
# A UTF-8 table; its groups' names are two columns wide each.
TABLE = ("grp,before,after,x\n東,12.5,13.1,0.1\n西,11.8,12.9,0.25\n東,13.4,14.2,10.2\n"
         "西,12.2,12.75,3\n南,12.9,15.9,-0.5\n東,13.1,13.3,7\n西,12.4,12.6,0.3\n"
         "南,12.0,14.4,2.2\n").encode()
COLS = {"before": ("12.5", "11.8", "13.4", "12.2", "12.9", "13.1", "12.4", "12.0"),
        "after": ("13.1", "12.9", "14.2", "12.75", "15.9", "13.3", "12.6", "14.4"),
        "東": ("0.1", "10.2", "7"), "西": ("0.25", "3", "0.3"), "南": ("-0.5", "2.2")}


def q(v):
    """An exact value that is no square root."""
    return (v, False, 1)


def moments(texts):
    """The values exactly, their count, mean and unbiased variance."""
    return spread([Fraction(Decimal(t)) for t in texts])


def spread(xs):
    """Exact values with their count, mean and unbiased variance."""
    n = len(xs)
    mean = sum(xs) / n if n else None
    var = sum((x - mean) ** 2 for x in xs) / (n - 1) if n > 1 else None
    return xs, n, mean, var


def as_mp(mpmath, fr):
    """A fraction at mpmath's working precision."""
    return mpmath.mpf(fr.numerator) / fr.denominator


@functools.lru_cache(maxsize=None)
def compared(a, b, method, level):
    """One row exactly: None where undefined, a float for an infinity or a
    double as given, else (value, root, sign) standing for sign · value or
    sign · sqrt(value); "half" and "percent_half" are the report's widths."""
    xa, na, ma, va = moments(a)
    xb, nb, mb, vb = moments(b)
    r = dict.fromkeys(NUMBERS + ["half", "percent_half"])
    r.update(n=nb, mean=q(mb) if nb else None, different=False, p_underflow=False, note="",
             p_text=None)
    if method == "paired" and na != nb:
        r["note"] = "not paired"
        return r
    if na and nb:
        d = mb - ma
        r["diff"] = q(d)
        r["diff_percent"] = q(d * 100 / ma) if ma else None
    if na < 2 or nb < 2:
        r["note"] = "too few values"
        return r
    if method == "welch":
        se2 = va / na + vb / nb
        low = (va / na) ** 2 / (na - 1) + (vb / nb) ** 2 / (nb - 1)
        df = se2 ** 2 / low if low else None
    elif method == "pooled":
        sp2 = ((na - 1) * va + (nb - 1) * vb) / (na + nb - 2)
        se2, df = sp2 * (Fraction(1, na) + Fraction(1, nb)), Fraction(na + nb - 2)
        r["pooled_sd"] = (sp2, True, 1)
    else:
        _, n, d, vd = spread([y - x for x, y in zip(xa, xb)])
        se2, df = vd / n, Fraction(n - 1)
    r["df"] = q(df) if df is not None else None
    if se2 == 0:
        r.update(diff_low=q(d), diff_high=q(d), half=q(Fraction(0)))
        if ma:
            r.update(percent_low=r["diff_percent"], percent_high=r["diff_percent"],
                     percent_half=q(Fraction(0)))
        if d:
            r.update(t=float("inf") if d > 0 else float("-inf"), p=q(Fraction(0)),
                     different=True)
        return r
    import mpmath
    t2 = d * d / se2
    r["t"] = (t2, True, -1 if d < 0 else 1)
    with mpmath.mp.workdps(90):
        quantile = stats.t_quantile((1 + Fraction(Decimal(level)) / 100) / 2, as_mp(mpmath, df))
    with mpmath.mp.workdps(80):
        half = quantile * mpmath.sqrt(as_mp(mpmath, se2))
        dm = as_mp(mpmath, d)
        r.update(half=q(stats.mp_fraction(half)), diff_low=q(stats.mp_fraction(dm - half)),
                 diff_high=q(stats.mp_fraction(dm + half)),
                 different=dm - half > 0 or dm + half < 0)
        if ma:
            ph = half * 100 / abs(as_mp(mpmath, ma))
            pm = as_mp(mpmath, d * 100 / ma)
            r.update(percent_half=q(stats.mp_fraction(ph)),
                     percent_low=q(stats.mp_fraction(pm - ph)),
                     percent_high=q(stats.mp_fraction(pm + ph)))
        x = df / (df + t2)
        p = mpmath.betainc(as_mp(mpmath, df) / 2, mpmath.mpf(1) / 2, 0, as_mp(mpmath, x),
                           regularized=True) if x != 1 else mpmath.mpf(1)
        if 0 < p < as_mp(mpmath, MIN_NORMAL):
            r.update(p=0.0, p_underflow=True, p_text="< 2.2e-308")
        else:
            r["p"] = q(stats.mp_fraction(p))
    return r


def text(h, e, digits):
    """As written at `digits` significant digits, or the shortest (0)."""
    if e is None:
        return "nan"
    if isinstance(e, float):
        return h.shortest(e) if digits == 0 else "%.*g" % (digits, e)
    if digits == 0:
        return h.shortest(double(h, e))
    return ("-" if e[2] < 0 and e[0] else "") + h.rounded_once(e[:2], digits)


def double(h, e):
    """The double nearest to the value (NaN where undefined)."""
    if e is None:
        return float("nan")
    return e if isinstance(e, float) else e[2] * h.nearest_of(e[:2])


def level_text(level, report):
    """The level without trailing zeros; the report's with ".0" and "%"."""
    shown = level.rstrip("0").rstrip(".") if "." in level else level
    return shown + (".0" if report and "." not in shown else "") + ("%" if report else "")


def width(s):
    """Columns on a terminal: two for a wide (Japanese) character."""
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in s)


def expected_report(h, inputs, samples, method="welch", level="95", digits=6, ja=False):
    """The whole report; samples are (name, texts), the first the baseline."""
    w = JA if ja else EN
    lv = level_text(level, True)
    cells = []
    for name, texts in samples:
        xs, n, mean, var = moments(texts)
        s = sorted(xs)
        cells.append([str(n)] + [text(h, e, digits) for e in (
            float(min(s)), float(max(s)), q(stats.quantile(s, Fraction(1, 2))), q(mean),
            (var, True, 1) if n > 1 else None)])
    left = max(width(name) for name, _ in samples)
    sizes = [max([width(lab)] + [width(c[k]) for c in cells]) for k, lab in enumerate(w["labels"])]
    row = lambda first, cs: first + " " * (left - width(first)) + "".join(
        "  " + " " * (sz - width(c)) + c for c, sz in zip(cs, sizes))
    lines = ["Input data file = " + f for f in inputs]
    lines += ["", w["head"] % (w[method], lv), "", row("", w["labels"])]
    lines += [row(name, c) for (name, _), c in zip(samples, cells)]
    for name, texts in samples[1:]:
        r = compared(samples[0][1], texts, method, level)
        t = lambda key: text(h, r[key], digits)
        lines += ["", "%s - %s" % (name, samples[0][0]),
                  w["diff"] % tuple(map(t, ("diff", "half", "diff_low", "diff_high"))),
                  w["percent"] % tuple(map(t, ("diff_percent", "percent_half", "percent_low",
                                                "percent_high"))),
                  (w["t"] % (t("t"), t("df"), r["p_text"] or t("p"))).replace("= <", "<")]
        lines += ["pooled s = " + t("pooled_sd")] if method == "pooled" else []
        lines.append(w[r["note"]] if r["note"] else w["yes" if r["different"] else "no"] % lv)
    return "\n".join(lines) + "\n"


def report_case(h, name, args, names, method="welch", level="95", digits=6, ja=False,
                encoding="cp932", files=None, samples=None, tail=False, lines=(), code=0,
                stderr=b""):
    """A report into out: byte for byte, or (tail) from its "Comparison" line
    on, or holding just the given lines."""
    files = files or {n: stats.marker_file(SETS[n]) for n in names}
    samples = samples or [(n, SETS[n]) for n in names]
    extra = (["--" + method] if method != "welch" else []) + (
        ["--confidence", level] if level != "95" else []) + (
        ["-d", str(digits)] if digits != 6 else [])

    def verify(folder):
        with open(os.path.join(folder, "out"), "rb") as f:
            raw = f.read().replace(b"\r\n", b"\n")  # a Windows program's line ends
        got = raw.decode(encoding, "replace")
        if lines:
            missing = [t for t in lines if t not in got.split("\n")]
            return "lines missing: %r in %r" % (missing, got) if missing else None
        want = expected_report(h, names, samples, method, level, digits, ja).encode(encoding)
        if tail:  # from the "Comparison" line on
            raw, want = raw[raw.find(b"\n\n") + 2:], want[want.find(b"\n\n") + 2:]
        return None if raw == want else stats.first_difference(raw, want)
    return h.Case("compare: report: " + name, args=["-c", "-o", "out"] + extra + list(args)
                  + list(names), files=files, untouched=tuple(files), stdin=b"", console=b"",
                  report_name="out", report=lambda got: True, verify=verify, code=code,
                  stderr=stderr)


def rows_case(h, name, names, fmt="tsv", method="welch", level="95", digits=None, args=(),
              files=None, samples=None, code=0, stderr=b"", only=COLUMNS):
    """Machine rows into out: a row per sample after the first with results,
    each column checked (those in `only`)."""
    files = files if files is not None else {n: stats.marker_file(SETS[n]) for n in names
                                             if n in SETS}
    samples = samples or [(n, SETS[n]) for n in names if n in SETS]
    lv = level_text(level, False)

    def verify(folder):
        with open(os.path.join(folder, "out"), "rb") as f:
            out = f.read().replace(b"\r\n", b"\n")
        rows = h.parsed_rows(fmt, out)
        if fmt == "json" and any(list(r) != COLUMNS for r in rows):
            return "keys %r" % [list(r) for r in rows]
        if fmt != "json" and out.split(b"\n")[0].decode() != (
                "\t" if fmt == "tsv" else ",").join(COLUMNS):
            return "header %r" % out.split(b"\n")[0]
        if len(rows) != len(samples) - 1:
            return "%d rows: %r" % (len(rows), out)
        problems = []
        flag = (lambda v: v) if fmt == "json" else (lambda v: "true" if v else "false")
        for row, (sample, texts) in zip(rows, samples[1:]):
            r = compared(samples[0][1], texts, method, level)
            want = dict(baseline=samples[0][0], sample=sample, method=method, note=r["note"],
                        n=r["n"] if fmt == "json" else str(r["n"]),
                        different=flag(r["different"]), p_underflow=flag(r["p_underflow"]))
            for k in (c for c in COLUMNS if c in only):
                got = row[k]
                if k == "confidence":
                    ok = (got == lv if fmt != "json" else not isinstance(got, (str, bool))
                          and got == float(level))
                    shown = lv
                elif k in NUMBERS:
                    shown = text(h, r[k], digits) if digits else repr(double(h, r[k]))
                    ok = got == shown if digits else h.same_number(fmt, got, double(h, r[k]))
                else:
                    ok, shown = got == want[k], repr(want[k])
                if not ok:
                    problems.append("%s %s: got %r, expected %s" % (sample, k, got, shown))
        return "; ".join(problems) or None
    extra = (["--" + method] if method != "welch" else []) + (
        ["--confidence", level] if level != "95" else []) + (
        ["-d", str(digits)] if digits else [])
    return h.Case("compare: rows: " + name, args=["-c", "-F", fmt, "-o", "out"] + extra
                  + list(args) + list(names), files=files, untouched=tuple(files), stdin=b"",
                  console=b"", stderr=stderr, code=code, report_name="out",
                  report=lambda got: True, verify=verify)


def unpaired(baseline, samples):
    """Standard error: a "descstat: " line for each sample not paired, naming
    it and the baseline."""
    def check(err):
        lines = err.replace(b"\r\n", b"\n").decode("utf-8", "replace").splitlines()
        return len(lines) == len(samples) and all(
            t.startswith("descstat: ") and s in t and baseline in t
            for t, s in zip(lines, samples))
    return check


def refused(h, name, args, message):
    """A usage error: exit 2, its message and the hint, nothing made."""
    return h.Case("compare: refused: " + name, args=list(args),
                  **dict(h.usage_error(message), files={n: stats.marker_file(SETS[n])
                                                        for n in ("before.txt", "after.txt")}))


# R's t.test on its data sets "sleep" (extra sleep by drug, Cushny and
# Peebles) and "mtcars" (mpg by transmission), as R 4 printed them at 15
# digits: t, df, p and the interval, for each method and at 99%. A check of
# the method, not of the last digit: compared at 12 significant digits.
SLEEP1 = "0.7 -1.6 -0.2 -1.2 -0.1 3.4 3.7 0.8 0 2".split()
SLEEP2 = "1.9 0.8 1.1 0.1 -0.1 4.4 5.5 1.6 4.6 3.4".split()
MPG0 = "21.4 18.7 18.1 14.3 24.4 22.8 19.2 17.8 16.4 17.3 15.2 10.4 10.4 14.7 21.5 15.5 15.2 " \
       "13.3 19.2".split()
MPG1 = "21 21 22.8 32.4 30.4 33.9 27.3 26 30.4 15.8 19.7 15 21.4".split()
R_T_TEST = [  # (args, files, t, df, p, low, high)
    ([], (SLEEP1, SLEEP2), "1.86081346748685", "17.7764735161785", "0.0793941401873582",
     "-0.20548323071171", "3.36548323071171"),
    (["--pooled"], (SLEEP1, SLEEP2), "1.86081346748685", "18", "0.0791867142159382",
     "-0.203874032287599", "3.3638740322876"),
    (["--paired"], (SLEEP1, SLEEP2), "4.06212768338204", "9", "0.00283289019738427",
     "0.700114236723018", "2.45988576327698"),
    (["--confidence", "99"], (MPG0, MPG1), "3.76712314514493", "18.3322516384005",
     "0.00137363833307103", "1.7207508601791", "12.769127682331"),
]


def r_case(h, args, texts, *want):
    def verify(folder):
        with open(os.path.join(folder, "out"), "rb") as f:
            row = h.parsed_rows("tsv", f.read())[0]
        got = [row[k] for k in ("t", "df", "p", "diff_low", "diff_high")]
        expected = ["%.12g" % float(w) for w in want]
        return None if got == expected else "got %r, R %r" % (got, expected)
    files = {"x.txt": stats.marker_file(texts[0]), "y.txt": stats.marker_file(texts[1])}
    return h.Case("compare: R's t.test %s" % " ".join(args or ["(Welch)"]),
                  args=["-c", "-F", "tsv", "-d", "12", "-o", "out"] + args + ["x.txt", "y.txt"],
                  files=files, untouched=tuple(files), stdin=b"", console=b"", stderr=b"",
                  code=0, report_name="out", report=lambda got: True, verify=verify)


def cases(h):
    three = ["before.txt", "after.txt", "third.txt"]
    pairs = ["a.txt", "b.txt", "c.txt"]
    flat = ["flat.txt", "flat3.txt", "up.txt", "down.txt"]
    gone = b"descstat: To open input data file failed: missing.txt: No such file or directory\n"
    table = {"t.csv": TABLE}
    fields = [(k, COLS[k]) for k in ("before", "after")]
    groups = [(k, COLS[k]) for k in ("東", "西", "南")]
    return [
        *[r_case(h, *case) for case in R_T_TEST],
        # Welch: every number rounded once at each number of digits, and shortest.
        *[rows_case(h, "Welch at %d digits" % d, three, digits=d) for d in range(1, 18)],
        *[rows_case(h, "Welch, shortest, " + fmt, three, fmt=fmt) for fmt in ("tsv", "json")],
        # Pooled and paired; the paired differences exact over the decimals.
        *[rows_case(h, "%s, %s" % (m, fmt), names, fmt=fmt, method=m)
          for m, names in (("pooled", three), ("paired", pairs)) for fmt in ("csv", "json")],
        *[rows_case(h, "%s at 17 digits" % m, names, fmt="csv", method=m, digits=17)
          for m, names in (("pooled", three), ("paired", pairs))],
        rows_case(h, "Welch at 99.9% confidence", three, level="99.900", digits=17),
        # NIST NumAcc3 and NumAcc4: means 9000000 away exactly, SD 0.1 each; p
        # far below the smallest double.
        rows_case(h, "NIST NumAcc3 and NumAcc4", ["numacc3.txt", "numacc4.txt"]),
        rows_case(h, "NIST NumAcc3 and NumAcc4 at 17 digits", ["numacc3.txt", "numacc4.txt"],
                  digits=17, method="pooled", fmt="csv"),
        report_case(h, "NIST NumAcc3 and NumAcc4, English, 17 digits",
                    ["-L", "en"], ["numacc3.txt", "numacc4.txt"], digits=17),
        # Equal samples; all values equal (se 0): equal means, means that differ.
        rows_case(h, "identical files", ["before.txt", "copy.txt"]),
        report_case(h, "identical files", ["-L", "en"], ["before.txt", "copy.txt"]),
        rows_case(h, "all values equal, Welch", flat),
        rows_case(h, "all values equal, pooled", flat, fmt="json", method="pooled"),
        report_case(h, "all values equal, English", ["-L", "en"], flat),
        # Fewer than two values: the difference and its percent only.
        rows_case(h, "one value each", ["one.txt", "before.txt", "four.txt"]),
        report_case(h, "one value, English", ["-L", "en"], ["before.txt", "four.txt"]),
        # A file that cannot be opened: the first with results is the baseline.
        rows_case(h, "a missing file first", ["missing.txt"] + three, code=9, stderr=gone),
        rows_case(h, "a missing file among them", ["before.txt", "missing.txt", "after.txt",
                                                   "third.txt"], fmt="json", code=9,
                  stderr=gone),
        # Not paired: counts that differ, a missing cell.
        rows_case(h, "paired, counts differ", three, fmt="csv", method="paired", code=9,
                  stderr=unpaired("before.txt", three[1:]),
                  only=["baseline", "sample", "n", "mean", "method", "different", "note"]),
        report_case(h, "paired, counts differ", ["-e", "utf-8"], three, method="paired",
                    code=9, lines=[JA["not paired"]], encoding="utf-8",
                    stderr=unpaired("before.txt", three[1:])),
        rows_case(h, "paired, a missing cell", ["t.csv"], method="paired", args=["-f", "a,b"],
                  files={"t.csv": b"a,b\n1.5,2\n2.5,NA\n3,4.5\n"}, code=9,
                  stderr=unpaired("a", ["b"]),
                  samples=[("a", ("1.5", "2.5", "3")), ("b", ("2", "4.5"))],
                  only=["baseline", "sample", "n", "mean", "note"]),
        # Whole reports, byte for byte.
        report_case(h, "pooled, English", ["-L", "en"], three, method="pooled"),
        report_case(h, "Welch, Japanese in Shift_JIS", [], three, ja=True),
        report_case(h, "paired, Japanese in UTF-8, 99.9%, 8 digits", ["-e", "utf-8"], pairs,
                    method="paired", level="99.9", digits=8, ja=True, encoding="utf-8"),
        report_case(h, "Welch, English, 97.250%, shortest", ["-L", "en"], three, level="97.250",
                    digits=0),
        # A table's fields and groups: their names in the rows.
        rows_case(h, "a table's fields", ["t.csv"], args=["-f", "before,after"], files=table,
                  samples=fields),
        rows_case(h, "a table's fields, paired", ["t.csv"], fmt="json", method="paired",
                  args=["-f", "before,after"], files=table, samples=fields),
        rows_case(h, "a table's groups", ["t.csv"], fmt="csv", args=["-g", "grp", "-f", "x"],
                  files=table, samples=groups),
        report_case(h, "a table's groups, Japanese in UTF-8", ["-e", "utf-8", "-g", "grp", "-f",
                    "x"], ["t.csv"], files=table, samples=groups, tail=True, ja=True,
                    encoding="utf-8"),
        h.Case("compare: a single sample: nothing to compare", args=["-c", "before.txt"],
               files={"before.txt": stats.marker_file(BEFORE)}, untouched=("before.txt",),
               stdin=b"", console=lambda out: True, code=9,
               stderr=b"descstat: nothing to compare: --compare needs two samples or more\n"),
        # Usage errors.
        *[refused(h, "--%s without --compare" % m, ["--" + m, "before.txt"],
                  "option '--%s' needs --compare" % m) for m in ("pooled", "paired")],
        refused(h, "--pooled and --paired", ["-c", "--pooled", "--paired", "before.txt",
                                             "after.txt"],
                "options '--pooled' and '--paired' cannot be given together"),
        refused(h, "no data files", ["-c"],
                "option '--compare' needs data files named on the command line"),
        *[refused(h, "with " + a[0], ["-c"] + a + ["before.txt", "after.txt"],
                  "option '--compare' writes its own table: not with --statistics, "
                  "--describe, --summary or --histogram")
          for a in (["-S", "mean"], ["--describe"], ["-s"], ["--histogram"])],
        refused(h, "standard input twice", ["-c", "-", "before.txt", "-"],
                "standard input ('-') named more than once"),
    ]
