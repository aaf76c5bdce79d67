"""What reaches the console and what reads it: the argument run's report in a
pipe or a file under `>` in the locale's character set (Shift_JIS where the
locale names none), the histogram's bars in one column, and the warnings'
numbers in the notation of -d 0."""

MEAN_LINE = "平均値 = 12.4167\n"


def piped(h, name, locale, expected, args=("data.txt",), **kw):
    """The worked example's report on standard output, a pipe, under a locale."""
    kw.setdefault("files", {"data.txt": h.WORKED_DATA})
    return h.Case("pipe: " + name, locale=locale, posix_only=True, args=list(args), stdin=b"",
                  console=expected, **kw)


def worked(h, **kw):
    return h.report("data.txt", h.WORKED_VALUES, **kw)


def pipe_cases(h):
    utf8 = worked(h, encoding="utf-8")
    sjis = h.WORKED_REPORT
    return [
        piped(h, "report under C.UTF-8", "C.UTF-8", utf8),
        piped(h, "report under a UTF-8 locale that is not installed", {"LANG": "xx_YY.UTF-8"},
              utf8),
        piped(h, "report under C keeps Shift_JIS", "C", sjis),
        piped(h, "report under POSIX keeps Shift_JIS", "POSIX", sjis),
        piped(h, "report with no locale keeps Shift_JIS", {}, sjis),
        piped(h, "report under a Shift_JIS locale", {"LANG": "ja_JP.SJIS"}, sjis),
        piped(h, "report under EUC-JP", h.EUC_JP, worked(h, encoding="euc_jp")),
        piped(h, "report under an EUC-JP locale that is not installed",
              {"LC_ALL": "xx_YY.eucJP"}, worked(h, encoding="euc_jp")),
        piped(h, "report under a character set without Japanese", h.LATIN_1,
              worked(h, english=True)),
        # LC_ALL outranks LANG, as the C library reads them.
        piped(h, "LC_ALL before LANG", {"LC_ALL": "C.UTF-8", "LANG": "xx_YY.ISO-8859-1"}, utf8),
        # An encoding asked for always wins; English is English everywhere.
        piped(h, "-e sjis under C.UTF-8", "C.UTF-8", sjis, args=["-e", "sjis", "data.txt"]),
        piped(h, "-e utf-8 under C", "C", utf8, args=["-e", "utf-8", "data.txt"]),
        piped(h, "English under EUC-JP", h.EUC_JP, worked(h, english=True),
              args=["-L", "en", "data.txt"]),
        piped(h, "report - under C.UTF-8", "C.UTF-8", utf8, args=["data.txt", "-"]),
        # A named report is the program's own bytes, whatever the locale.
        piped(h, "named report under C.UTF-8", "C.UTF-8", b"", args=["data.txt", "report.txt"],
              report=sjis),
        piped(h, "/dev/stdout named under C.UTF-8", "C.UTF-8", sjis,
              args=["data.txt", "/dev/stdout"]),
        # The dialogue's console and report do not change.
        h.Case("pipe: dialogue under C.UTF-8", locale="C.UTF-8", posix_only=True,
               **h.data_only(h.WORKED_DATA, h.WORKED_VALUES)),
        h.Case("pipe: grep finds the mean under C.UTF-8", locale="C.UTF-8", posix_only=True,
               files={"data.txt": h.WORKED_DATA}, stdin=b"",
               bash="{prog} data.txt | grep 平均値", console=MEAN_LINE.encode()),
        h.Case("pipe: a file under > gets what a pipe gets", locale="C.UTF-8", posix_only=True,
               files={"data.txt": h.WORKED_DATA}, stdin=b"", console=b"",
               bash="{prog} data.txt > out.txt", after={"out.txt": utf8}),
        h.Case("pipe: a file under > under C keeps Shift_JIS", locale="C", posix_only=True,
               files={"data.txt": h.WORKED_DATA}, stdin=b"", console=b"",
               bash="{prog} data.txt > out.txt", after={"out.txt": sjis}),
    ]


# Counts of one, two and three digits under edges of six to eight characters:
# the bars start in one column, written out by hand.
ALIGNED_DATA = b"/\n" + b"1\n" * 100 + b"9\n" * 5 + b"12\n/\n"
ALIGNED_BLOCK = (b"\nHistogram\n"
                 b"[0, 5)    100  " + b"*" * 50 + b"\n"
                 b"[5, 10)     5  ***\n"
                 b"[10, 15)    1  *\n")


def histogram_cases(h):
    return [h.Case("histogram: bars in one column", files={"data.txt": ALIGNED_DATA}, stdin=b"",
                   args=["--histogram", "--bins=3", "-L", "en", "--no-listing", "data.txt"],
                   console=lambda out: out.replace(b"\r\n", b"\n").endswith(ALIGNED_BLOCK))]


# The warnings' numbers as -d 0 writes them: fixed from 1e-4 to below 1e17.
NOTATION_DATA = b"/\n1e16x\n1e17x\n1e300x\n1.5e-5x\n0.0001x\n123456789012345678x\n-0.5x\n/\n"
NOTATION_VALUES = [1e16, 1e17, 1e300, 1.5e-5, 0.0001, 123456789012345678.0, -0.5]
NOTATION_WARNINGS = [
    (2, "'1e16x' read as 10000000000000000"), (3, "'1e17x' read as 1e+17"),
    (4, "'1e300x' read as 1e+300"), (5, "'1.5e-5x' read as 1.5e-05"),
    (6, "'0.0001x' read as 0.0001"),
    (7, "'123456789012345678x' read as 1.2345678901234568e+17"),
    (8, "'-0.5x' read as -0.5")]


def warning_cases(h):
    warnings = b"".join(h.warn("data.txt", n, t) for n, t in NOTATION_WARNINGS)
    return [h.form("warnings: numbers in the notation of -d 0", [], NOTATION_DATA,
                   NOTATION_VALUES, warnings=warnings)]


def cases(h):
    return pipe_cases(h) + histogram_cases(h) + warning_cases(h)
