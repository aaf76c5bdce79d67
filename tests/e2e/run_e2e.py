#!/usr/bin/env python3
"""End-to-end tests: run the built program with piped standard input in a
scratch folder and compare console bytes, report bytes and the exit code.

Usage: run_e2e.py --program PATH [--emulator CMD] [--windows] [-k SUBSTRING]
                  [--skip-memory-limit] [--require TOOL] [--shim LIBRARY]
                  [--group NAME]... [--skip-group NAME]... [--list-groups]

--windows tests a Windows build: CR LF line ends on the console and in the
report, and the Windows outcome where the platforms differ; --emulator runs the
program through, say, wine. --shim is the fault-injection library
(FaultShim.cpp) that the cases injecting read errors, changes during the run
or a failing close load with LD_PRELOAD; without it those cases are skipped.
--group runs only the named groups of cases, --skip-group all but those, so
that a test runner can run the groups side by side. A line is printed as each
case ends, and a closing line "N passed, N failed, N skipped".
"""
import argparse
import array
import struct
import copy
import csv
import io
import json
import decimal
import fcntl
import math
import os
import pty
import random
import resource
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import termios
import threading
import time
import traceback
from fractions import Fraction

SJIS = "cp932"

PROMPTS = b"Input data file = Output file = "
KEY_REQUEST = b"Press down any character key, then press Enter key.\n"
FINISHED = (b"\n" + "計算終了。".encode(SJIS) + b"\n"
            + "何か文字キーを押してからEnterキーを押して下さい。".encode(SJIS) + b"\n")
LABELS = ["平均値 = ", "分散   = ", "SD     = ", "不偏分散 = ", "SD(不偏分散) = "]


def failure(message, prompts=PROMPTS):
    """Console of a run that ends with a message and a key request."""
    return prompts + message.encode() + b"\n" + KEY_REQUEST


NO_MARKER = failure("To find the marker line in input data file failed.")
LONG_LINE = failure("To read input data file failed: a line is longer than 998 bytes.")
CHANGED = failure("To read input data file failed: it changed while being read.")
OPEN_OUTPUT = failure("To open output file failed.")
OUTPUT_IS_INPUT = failure("To open output file failed: it is the input data file.")
WRITE_OUTPUT = failure("To write output file failed.")
NO_MEMORY = failure("To allocate memory for the values failed.")
READ_ERROR = failure("To read input data file failed: a read error occurred.")
CONSOLE_FAILED = b"To write to the console failed.\n"
OPEN_INPUT = failure("To open input data file failed.", prompts=b"Input data file = ")
SUCCESS = PROMPTS + FINISHED


def g(x):
    """A number as the program writes it: six significant digits, general."""
    return "nan" if x != x else "%g" % x


def nearest(fr):
    """The double nearest to an exact fraction, ties to even; inf beyond the
    range. Python's integer true division rounds correctly, subnormals too."""
    try:
        return fr.numerator / fr.denominator
    except OverflowError:
        return math.inf if fr > 0 else -math.inf


def nearest_sqrt(fr):
    """The double nearest to the square root of a fraction. The integer root r
    of fr·4^k has over 64 bits, so no rounding boundary lies strictly between
    r and r + 1: the midpoint stands for any inexact root."""
    if fr == 0:
        return 0.0
    p, q = fr.numerator, fr.denominator
    k = max(0, (140 - p.bit_length() + q.bit_length()) // 2)
    scaled, rest = divmod(p << (2 * k), q)
    r = math.isqrt(scaled)
    if r * r == scaled and rest == 0:
        return nearest(Fraction(r, 1 << k))
    return nearest(Fraction(2 * r + 1, 1 << (k + 1)))


def written(v):
    """A value as its shortest decimal, exactly: the number as written (Python's
    repr gives the fewest digits that read back as the double)."""
    return Fraction(decimal.Decimal(repr(v)))


def exact_results(values):
    """The five results of the values exactly, over their shortest decimals:
    (fraction, is a square root) each, None where undefined."""
    n = len(values)
    if n == 0 or any(v != v for v in values):
        return [None] * 5
    xs = [written(v) for v in values]
    s = sum(xs)
    t = n * sum(x * x for x in xs) - s * s
    var = t / (n * n)
    first = [(s / n, False), (var, False), (var, True)]
    if n == 1:
        return first + [None, None]
    u = t / (n * (n - 1))
    return first + [(u, False), (u, True)]


def nearest_of(exact):
    """The double nearest to an exact result (NaN where undefined)."""
    if exact is None:
        return float("nan")
    value, root = exact
    return nearest_sqrt(value) if root else nearest(value)


def results(values):
    """The five results of the values: exact arithmetic on their shortest
    decimals, each result rounded once to the nearest double."""
    return [nearest_of(r) for r in exact_results(values)]


def rounded_once(exact, digits):
    """An exact result as the report writes it at `digits` significant digits:
    its exact value rounded once, ties to even, in printf's %g notation; where
    its nearest double is NaN, an infinity, zero or subnormal, that double as
    %g writes it. Plain integer arithmetic over the fraction."""
    d = nearest_of(exact)
    if d != d or d in (math.inf, -math.inf) or abs(d) < sys.float_info.min:
        return "nan" if d != d else "%.*g" % (digits, d)
    value, root = exact
    negative, value = value < 0, abs(value)

    def floor_scaled(s):  # floor(x · 10^s) for x the result
        q = value * Fraction(10) ** (2 * s if root else s)
        f = q.numerator // q.denominator
        return math.isqrt(f) if root else f
    lead = int(math.floor(math.log10(d if d > 0 else -d)))
    while floor_scaled(digits - 1 - lead) >= 10 ** digits:
        lead += 1
    while floor_scaled(digits - 1 - lead) < 10 ** (digits - 1):
        lead -= 1
    s = digits - 1 - lead
    kept = floor_scaled(s)
    if root:
        q = value * Fraction(10) ** (2 * s)
        half = Fraction(2 * kept + 1, 2) ** 2
        up = q > half or (q == half and kept % 2 == 1)
    else:
        rest = value * Fraction(10) ** s - kept
        up = rest > Fraction(1, 2) or (rest == Fraction(1, 2) and kept % 2 == 1)
    kept += 1 if up else 0
    if kept == 10 ** digits:
        kept, lead = 10 ** (digits - 1), lead + 1
    text = str(kept).rstrip("0") or "0"
    sign = "-" if negative else ""
    if lead < -4 or lead >= digits:
        mantissa = text[0] + ("." + text[1:] if len(text) > 1 else "")
        return "%s%se%s%02d" % (sign, mantissa, "-" if lead < 0 else "+", abs(lead))
    if lead < 0:
        return sign + "0." + "0" * (-lead - 1) + text
    whole = text[:lead + 1].ljust(lead + 1, "0")
    return sign + whole + ("." + text[lead + 1:] if len(text) > lead + 1 else "")


SUMMARY_LABELS = ["最小値 = ", "第1四分位数 = ", "中央値 = ", "第3四分位数 = ", "最大値 = "]


def exact_summary(values):
    """Minimum, quartiles, median and maximum exactly, over the shortest
    decimals: linear interpolation between order statistics (h = (n - 1)p + 1).
    The extremes are the doubles themselves, written as the listing writes a
    value."""
    n = len(values)
    if n == 0 or any(v != v for v in values):
        return [None] * 5
    xs = sorted(written(v) for v in values)

    def quantile(quarters):
        whole, part = divmod((n - 1) * quarters, 4)
        if part == 0:
            return (xs[whole], False)
        return (xs[whole] + Fraction(part, 4) * (xs[whole + 1] - xs[whole]), False)

    return ([(Fraction(min(values)), False)] + [quantile(q) for q in (1, 2, 3)]
            + [(Fraction(max(values)), False)])


def summary(values):
    """The summary's five numbers, each exact value rounded once to a double."""
    return [nearest_of(r) for r in exact_summary(values)]


ENGLISH = {"データ...": "Data...", "平均値 = ": "Mean     = ", "分散   = ": "Variance = ",
           "SD     = ": "SD       = ", "不偏分散 = ": "Unbiased variance = ",
           "SD(不偏分散) = ": "SD(unbiased variance) = ", "個数 = ": "Count = ",
           "最小値 = ": "Minimum = ", "第1四分位数 = ": "First quartile = ",
           "中央値 = ": "Median = ", "第3四分位数 = ": "Third quartile = ",
           "最大値 = ": "Maximum = ", "項目 = ": "Field = ", "欠損値 = ": "Missing = "}


def shortest(x):
    """The fewest digits that read back as x (Python's repr finds them), in
    fixed notation for decimal exponents -4 to 16, otherwise d.ddde+XX."""
    if x != x:
        return "nan"
    if x in (math.inf, -math.inf):
        return "inf" if x > 0 else "-inf"
    sign, digits, exp = decimal.Decimal(repr(x)).as_tuple()
    digits = "".join(map(str, digits)).rstrip("0") or "0"
    exponent = len("".join(map(str, decimal.Decimal(repr(x)).as_tuple()[1]))) + exp - 1
    if x == 0:
        exponent = 0
    head = "-" if sign else ""
    if exponent < -4 or exponent > 16:
        mantissa = digits[0] + ("." + digits[1:] if len(digits) > 1 else "")
        return "%s%se%s%02d" % (head, mantissa, "-" if exponent < 0 else "+", abs(exponent))
    if exponent < 0:
        return head + "0." + "0" * (-exponent - 1) + digits
    whole = digits[:exponent + 1].ljust(exponent + 1, "0")
    return head + whole + ("." + digits[exponent + 1:] if len(digits) > exponent + 1 else "")


def report(data_name, values, listed=None, encoding=SJIS, digits=6, with_summary=False,
           english=False, listing=True, missing=None, field=None):
    """The whole report of a complete run over the given values (digits 0:
    the shortest; listing False: without the listing's value lines); a
    table's column with its missing cells counted, named when `field`."""
    if english:
        return report_in_english(data_name, values, digits, with_summary, listing, missing, field)
    fmt = lambda x: "nan" if x != x else shortest(x) if digits == 0 else "%.*g" % (digits, x)
    lines = ["Input data file = " + data_name, ""]
    lines += [] if field is None else ["項目 = " + field]
    lines += ["データ..."]
    shown = listed if listed is not None else [fmt(v) for v in values]
    shown = shown if listing else []
    lines += ["%d:  %s" % (k + 1, s) for k, s in enumerate(shown)]
    lines += ["", ""]
    once = lambda r: fmt(nearest_of(r)) if digits == 0 else rounded_once(r, digits)
    lines += [label + once(r) for label, r in zip(LABELS, exact_results(values))]
    lines += [] if missing is None else ["欠損値 = %d" % missing]
    if with_summary:
        lines += ["", "個数 = %d" % len(values)]
        lines += [label + once(r) for label, r in zip(SUMMARY_LABELS, exact_summary(values))]
    return ("\n".join(lines) + "\n").encode(encoding)


def report_in_english(data_name, values, digits, with_summary, listing=True, missing=None,
                      field=None):
    japanese = report(data_name, values, digits=digits, with_summary=with_summary,
                      listing=listing, missing=missing, field=field).decode(SJIS)
    for label, english in ENGLISH.items():
        japanese = japanese.replace(label, english)
    return japanese.encode("ascii")


WORKED_DATA = b"Sample weights\n/\n12.5\n13.0   first sample\n11.75\n/\n"
WORKED_REPORT = """Input data file = data.txt

データ...
1:  12.5
2:  13
3:  11.75


平均値 = 12.4167
分散   = 0.263889
SD     = 0.513701
不偏分散 = 0.395833
SD(不偏分散) = 0.629153
""".encode(SJIS)

NAN = float("nan")
SJIS_NAME = "データ.txt".encode(SJIS)


class Case:
    def __init__(self, name, files=None, stdin=b"data.txt\nreport.txt\nx\n", console=SUCCESS,
                 code=0, report=None, report_name="report.txt", setup=None, limit_mb=None,
                 untouched=("data.txt",), fifo=None, posix_only=False, windows_only=False,
                 windows=None, first_run=None, shim_env=None, stdout="pipe", stderr=b"",
                 steps=None, after=None, args=(), terminal=None, temp_empty=False, bash=None,
                 verify=None, typed=False, locale=None):
        self.name = name
        self.files = files or {}
        self.stdin = stdin              # None: a folder, which cannot be read
        self.console = console
        self.code = code
        self.report = report            # expected bytes; None: no report file is made
        self.report_name = report_name
        self.setup = setup              # extra preparation in the scratch folder
        self.limit_mb = limit_mb        # address-space limit for the run
        self.untouched = untouched      # files that must keep their bytes
        self.fifo = fifo                # (name, [contents for each open])
        self.posix_only = posix_only    # needs named pipes or rlimits
        self.windows_only = windows_only  # Windows spellings of file names
        self.windows = windows or {}    # what differs on Windows
        self.first_run = first_run      # stdin of a run before the tested one, whose
                                        # files must then keep their bytes
        self.shim_env = shim_env        # environment of the fault-injection library
        self.stdout = stdout            # "pipe", "full" (/dev/full) or "closed"
        self.stderr = stderr            # expected standard error
        self.after = after or {}        # files the run must leave with these bytes
        self.args = list(args)          # command-line arguments
        self.terminal = terminal        # a locale: standard output on a pseudo-terminal
        self.temp_empty = temp_empty    # the temporary folder must be left empty
        self.bash = bash                # a bash command line instead of args, in which
                                        # {prog} stands for the program (POSIX only)
        self.verify = verify            # a function of the folder: a problem or None
        self.locale = locale            # a locale name, its variables, or a function
                                        # giving them (None where it cannot be made)
        self.typed = typed              # with terminal: stdin is typed at that terminal
                                        # ("hang up": which then goes away; standard
                                        # output is a pipe)
        self.steps = steps              # a dialogue step by step instead of stdin:
                                        # ("send", bytes), ("wait", console bytes),
                                        # ("do", function of the folder), ("alive",)


def values_file(values):
    """A data file holding exactly the given doubles (shortest round trip)."""
    return b"/\n" + b"".join(repr(v).encode() + b"\n" for v in values) + b"/\n"


def random_double(rng):
    """A finite double from random bits: every exponent, subnormals, both signs."""
    while True:
        (v,) = struct.unpack("<d", rng.getrandbits(64).to_bytes(8, "little"))
        if math.isfinite(v):
            return v


def random_set(seed):
    """A seeded data set: random bits, or values about one random magnitude
    (cancellation), or a few huge values with small ones."""
    rng = random.Random(seed)
    n = rng.choice([1, 2, 3, 4, 7, 10, 50])
    kind = seed % 3
    if kind == 0:
        return [random_double(rng) for _ in range(n)]
    scale = 10.0 ** rng.randint(-300, 300)
    if kind == 1:
        base = rng.uniform(-1, 1) * scale
        return [base + rng.uniform(-1, 1) * scale * 10.0 ** -rng.randint(5, 15) for _ in range(n)]
    return [rng.choice([1.7e308, -1.7e308, scale, -scale, 1.0]) for _ in range(n)]


RANDOM_SETS = 60


def data_only(data, values=None, listed=None, missing=None, **kw):
    """A complete run over data.txt whose report lists the given values."""
    kw.setdefault("report", report("data.txt", values or [], listed, missing=missing))
    return dict(files={"data.txt": data}, **kw)


def make_dir(name):
    return lambda d: os.mkdir(os.path.join(d, name))


def make_hard_link(d):
    os.link(os.path.join(d, "data.txt"), os.path.join(d, "link.txt"))


MANY_EMPTY_LINES = 40_000_000
# 22 million values, 2 and 3 in turn: 176 MB as doubles.
MANY_VALUES = b"/\n" + b"2\n3\n" * 11_000_000 + b"/\n"
MANY_CSV_ROWS = b"a,b\n" + b"2,1\n3,1\n" * 11_000_000

# 2000 value lines; a read error after CUT bytes falls inside the line "1818".
READ_DATA = b"h\n/\n" + b"".join(b"%d\n" % k for k in range(1, 2001)) + b"/\n"
CUT = READ_DATA.index(b"\n1818\n") + 3


def listed_before(data, cut):
    """The report of a reading pass that a read error stops after `cut` bytes:
    the header, the heading and every value line whose line end came before."""
    lines = data[:cut].split(b"\n")[2:-1]
    return (b"Input data file = data.txt\n\n" + "データ...\n".encode(SJIS)
            + b"".join(b"%d:  %s\n" % (k + 1, g(float(v)).encode()) for k, v in enumerate(lines)))


def read_error(passes, cut=CUT, once=False):
    """A run whose data file fails with EIO after `cut` bytes in the given passes
    (`once`: that one read fails, and the reads after it work again)."""
    shown = listed_before(READ_DATA, cut) if passes == "2" else b"Input data file = data.txt\n\n"
    fault = "%d:%s" % (cut, passes) + (":once" if once else "")
    return dict(files={"data.txt": READ_DATA}, console=READ_ERROR, code=9, report=shown,
                shim_env={"SHIM_DATA": "data.txt", "SHIM_READ_FAIL": fault})


def changed_at_open(when, command, data=b"h\n/\n10\n20\n30\n/\n"):
    """A run during which a shell command changes the data file: before the
    second open ("BEFORE") or just after the first ("AFTER")."""
    return dict(files={"data.txt": data}, console=CHANGED, code=9, untouched=(),
                report=listed_before(b"h\n/\n10\n20\n30\n", 1000),
                shim_env={"SHIM_DATA": "data.txt", "SHIM_%s_OPEN" % when:
                          ("2:" if when == "BEFORE" else "1:") + command})


WORKED_VALUES = [12.5, 13, 11.75]
TRY_HELP = b"Try 'descstat --help' for more information.\n"


def usage_error(message):
    """A command line that cannot be used: its message, the hint, exit 2,
    and nothing made."""
    return dict(files={"data.txt": WORKED_DATA}, stdin=b"", console=b"", code=2,
                stderr=b"descstat: " + message.encode() + b"\n" + TRY_HELP)


def by_arguments(args, values=WORKED_VALUES, to_file=True, **kw):
    """An argument run over the worked example; its report in report.txt or,
    without to_file, on standard output."""
    rep = report(kw.pop("shown_name", "data.txt"), values, encoding=kw.pop("encoding", SJIS),
                 digits=kw.pop("digits", 6), with_summary=kw.pop("with_summary", False),
                 english=kw.pop("english", False))
    kw.setdefault("files", {"data.txt": WORKED_DATA})
    if to_file:
        return dict(args=args, stdin=b"", console=b"", report=rep, **kw)
    return dict(args=args, stdin=kw.pop("stdin", b""), console=rep, report=None, **kw)


def argument_failure(args, message, **kw):
    kw.setdefault("files", {"data.txt": WORKED_DATA})
    return dict(args=args, stdin=kw.pop("stdin", b""), console=b"", code=9,
                stderr=b"descstat: " + message + b"\n", **kw)


# The closing lines on a UTF-8 terminal, and in English.
FINISHED_UTF8 = ("\n計算終了。\n何か文字キーを押してからEnterキーを押して下さい。\n").encode()
FINISHED_ENGLISH = b"\nCalculation finished.\n" + KEY_REQUEST


def rename(old, new):
    return lambda d: os.rename(os.path.join(d, old), os.path.join(d, new))


def key_wait(answers, before_wait, code):
    """Steps that answer, wait for the key request, then check that Enter
    alone and blanks do not end the wait and that a character does."""
    return dict(steps=[("send", answers), ("wait", before_wait), ("send", b"\n \n\t\n"),
                       ("alive",), ("send", b"x\n")], code=code)

CASES = [
    # The worked example, byte for byte.
    Case("worked example", files={"data.txt": WORKED_DATA}, report=WORKED_REPORT),
    # The data file cannot be opened: no report prompt, no report.
    Case("data file missing", stdin=b"nothere.txt\nx\n", console=OPEN_INPUT, code=9),
    Case("end of input at data prompt", stdin=b"", console=OPEN_INPUT, code=9),
    # The report cannot be made.
    Case("end of input at report prompt", files={"data.txt": WORKED_DATA}, stdin=b"data.txt",
         console=OPEN_OUTPUT, code=9),
    Case("report folder missing", files={"data.txt": WORKED_DATA},
         stdin=b"data.txt\nnodir/r.txt\nx\n", console=OPEN_OUTPUT, code=9),
    Case("report is a folder", files={"data.txt": WORKED_DATA}, setup=make_dir("out"),
         stdin=b"data.txt\nout\nx\n", console=OPEN_OUTPUT, code=9),
    # The report would overwrite the data file.
    *[Case("report is data file as " + spelling, files={"data.txt": WORKED_DATA},
           setup=make_dir("sub"), stdin=b"data.txt\n" + spelling.encode() + b"\nx\n",
           console=OUTPUT_IS_INPUT, code=9)
      for spelling in ["data.txt", "./data.txt", "sub/../data.txt"]],
    *[Case("report is data file as " + spelling, files={"data.txt": WORKED_DATA},
           setup=make_dir("sub"), stdin=b"data.txt\n" + spelling.encode() + b"\nx\n",
           console=OUTPUT_IS_INPUT, code=9, windows_only=True)
      for spelling in ["DATA.TXT", "sub\\..\\data.txt", ".\\data.txt"]],
    # A name that is not ASCII (Shift_JIS bytes); a first run makes the file.
    Case("report is data file with Shift_JIS name", files={"data.txt": WORKED_DATA},
         first_run=b"data.txt\n" + SJIS_NAME + b"\nx\n",
         stdin=SJIS_NAME + b"\n" + SJIS_NAME + b"\nx\n", console=OUTPUT_IS_INPUT, code=9),
    Case("report is hard link of data file", files={"data.txt": WORKED_DATA},
         setup=make_hard_link, stdin=b"data.txt\nlink.txt\nx\n", console=OUTPUT_IS_INPUT,
         code=9),
    # Writing the report fails.
    # Wine maps /dev/full to the same device for a Windows program.
    Case("report on full device", files={"data.txt": WORKED_DATA},
         stdin=b"data.txt\n/dev/full\nx\n", console=WRITE_OUTPUT, code=9),
    # No opening marker line.
    Case("empty data file", **data_only(b"", console=NO_MARKER, code=9, report=b"Input data file = data.txt\n\n")),
    # No marker line: a table, whose first line names its column; the
    # dialogue says nothing of the cell that is no number.
    Case("no marker line: a table", **data_only(b"title\n 1\n\t/2\n3\n", [1.0, 3.0], missing=1)),
    # A folder cannot be opened as the data file; it is named as such.
    Case("data file is a folder", setup=make_dir("data.txt"), code=9, report=None, untouched=(),
         console=failure("To open input data file failed: data.txt is a folder.",
                         prompts=b"Input data file = ")),
    # No closing marker line: the data section ends at end of file.
    Case("no closing marker", **data_only(b"/\n1\n2\n", [1, 2])),
    Case("no closing marker, no last line end", **data_only(b"/\n1\n2", [1, 2])),
    Case("no closing marker, empty last line", **data_only(b"/\n1\n2\n\n", [1, 2, NAN])),
    Case("marker at end of file", **data_only(b"/", [])),
    # Lines longer than the reader delivers.
    Case("long line in data section", **data_only(b"/\n1\n" + b"9" * 999 + b"\n/\n",
                                                  console=LONG_LINE, code=9,
                                                  report=b"Input data file = data.txt\n\n")),
    Case("long line in header", **data_only(b"x" * 5000 + b"\n/\n1\n/\n", console=LONG_LINE,
                                            code=9, report=b"Input data file = data.txt\n\n")),
    Case("998-byte line is read", **data_only(b"/\n" + b"7" + b" " * 997 + b"\n/\n", [7])),
    # The data file is replaced between the passes (a named pipe serves two contents).
    Case("file shorter on second pass", fifo=("data.txt", [b"/\n1\n2\n3\n/\n", b"/\n1\n2\n"]),
         console=CHANGED, code=9, report=b"Input data file = data.txt\n\n"
         + "データ...\n".encode(SJIS) + b"1:  1\n2:  2\n", untouched=(), posix_only=True),
    # The values array does not fit in memory.
    Case("values do not fit in memory", files={"data.txt": b"/\n" + b"\n" * MANY_EMPTY_LINES},
         limit_mb=160, console=NO_MEMORY, code=9, report=b"Input data file = data.txt\n\n",
         posix_only=True),
    # Edge cases of the data format and the dialogue.
    Case("empty lines before marker and in data section",
         **data_only(b"\n\ntitle\n\n/\n1\n\n3\n/\n", [1, NAN, 3])),
    Case("marker lines with text, trailer with markers",
         **data_only(b"head\n/ begin\n4\n6\n/ end\n8\n/\nrest\n", [4, 6])),
    Case("text after a number", **data_only(b"/\n13.0   first sample\n2kg\n\t-1e1 x\n/\n",
                                            [13, 2, -10])),
    Case("values that are no numbers", **data_only(b"/\nabc\n1\n7e\n/\n", [NAN, 1, NAN])),
    Case("no values", **data_only(b"/\n/\n", [])),
    Case("one value", **data_only(b"/\n42\n/\n", [42])),
    Case("CR LF line ends", **data_only(b"t\r\n/\r\n1\r\n\r\n3\r\n/\r\n", [1, NAN, 3])),
    Case("values far from zero",
         **data_only(b"/\n10000000.2\n" + b"10000000.1\n10000000.3\n" * 500 + b"/\n",
                     [10000000.2] + [10000000.1, 10000000.3] * 500)),
    # Results right to the last digit on data that defeats the usual methods.
    *[Case("exact results: " + name, **data_only(values_file(vals), vals))
      for name, vals in [("cancellation", [1e20, 1, -1e20]),
                         ("sum beyond range", [1.5e308, -1.5e308, 1.5e308]),
                         ("squares beyond range", [1.3e154, -1.3e154]),
                         ("identical huge values", [1e300] * 7),
                         ("subnormal variance", [1e-160, 2e-160]),
                         ("near tie of the sixth digit",
                          [-1.5120271521495572, 0.0, 1.5120271521495572])]],
    # A seeded differential check against exact fractions.
    *[Case("random data set %d" % seed, **data_only(values_file(random_set(seed)),
                                                    random_set(seed)))
      for seed in range(RANDOM_SETS)],
    Case("six-digit format", **data_only(b"/\n1234567\n0.00001\n-0\n/\n", [1234567, 0.00001, -0.0],
                                         listed=["1.23457e+06", "1e-05", "-0"])),
    Case("both names on one input line", stdin=b"data.txt report.txt x\n",
         **data_only(WORKED_DATA, [12.5, 13, 11.75])),
    Case("end of input at the key wait", stdin=b"data.txt\nreport.txt\n",
         **data_only(WORKED_DATA, [12.5, 13, 11.75])),
    # A name as long as a file name may be; on Windows the whole path must
    # stay within 260 characters.
    # Read errors (EIO injected after CUT bytes): never taken for the end of the file.
    *[Case("read error in pass " + passes, **read_error(passes)) for passes in ["1", "2", "12"]],
    Case("read error at the first byte", **read_error("1", cut=0)),
    *[Case("a read error that passes in pass " + passes, **read_error(passes, once=True))
      for passes in ["1", "2"]],
    # At the closing marker line, after every counted value was read again.
    Case("read error at the closing marker in pass 2",
         **read_error("2", cut=len(READ_DATA) - 2)),
    # A data section that is longer on the second pass, or replaced during the first.
    Case("file grown before closing marker", fifo=("data.txt", [b"h\n/\n10\n20\n30\n/\n",
                                                                b"h\n/\n10\n20\n30\n1000000\n/\n"]),
         console=CHANGED, code=9, untouched=(), posix_only=True,
         report=listed_before(b"h\n/\n10\n20\n30\n", 1000)),
    Case("file grown without closing marker",
         **changed_at_open("BEFORE", "printf '1000000\\n' >> data.txt",
                           data=b"h\n/\n10\n20\n30\n")),
    Case("value inserted before closing marker",
         **changed_at_open("BEFORE", "printf 'h\\n/\\n10\\n20\\n30\\n40\\n/\\n' > data.txt")),
    Case("editor-style save during first pass",
         **changed_at_open("AFTER", "printf 'h\\n/\\n10\\n20\\n30\\n40\\n/\\n' > new.txt"
                                    " && mv new.txt data.txt")),
    # The report name refers to the open data file only after a rename.
    Case("data file renamed at report prompt", files={"data.txt": WORKED_DATA},
         steps=[("send", b"data.txt\n"), ("wait", b"Output file = "),
                ("do", rename("data.txt", "data.old")), ("send", b"data.old\nx\n")],
         console=OUTPUT_IS_INPUT, code=9, untouched=(), after={"data.old": WORKED_DATA}),
    # A UTF-8 byte order mark opens the file only.
    Case("byte order mark before opening marker",
         **data_only(b"\xef\xbb\xbf/\n1\n2\n3\n/\n4\n5\n", [1, 2, 3])),
    Case("byte order mark before empty section", **data_only(b"\xef\xbb\xbf/\n1\n2\n/\n", [1, 2])),
    Case("byte order mark before header", **data_only(b"\xef\xbb\xbfhead\r\n/\r\n7\r\n/\r\n", [7])),
    Case("byte order mark inside data section",
         **data_only(b"/\n\xef\xbb\xbf1\n2\n/\n", [NAN, 2], listed=["nan", "2"])),
    # Console output that fails.
    Case("console on full device", stdout="full", stderr=CONSOLE_FAILED, code=9,
         **data_only(WORKED_DATA, [12.5, 13, 11.75])),
    Case("console closed", stdout="closed", stderr=CONSOLE_FAILED, code=9, posix_only=True,
         **data_only(WORKED_DATA, [12.5, 13, 11.75])),
    # A NUL byte in an answer names no file.
    Case("NUL in data file name", files={"data.txt": WORKED_DATA},
         stdin=b"data.txt\0junk\nx\n", console=OPEN_INPUT, code=9),
    Case("NUL in report name", files={"data.txt": WORKED_DATA},
         stdin=b"data.txt\nrep\0.txt\nx\n", console=OPEN_OUTPUT, code=9),
    # The report fails only when it is closed.
    Case("report fails at close", shim_env={"SHIM_CLOSE_FAIL": "report.txt"}, console=WRITE_OUTPUT,
         code=9, **data_only(WORKED_DATA, [12.5, 13, 11.75])),
    # An answer too large for memory.
    Case("answer too large for memory", stdin=b"a" * 300_000_000, limit_mb=160,
         console=b"Input data file = To allocate memory failed.\n", code=9, posix_only=True),
    # The key waits: Enter alone or blanks do not end them.
    Case("key wait after complete run", files={"data.txt": WORKED_DATA}, report=WORKED_REPORT,
         console=SUCCESS, **key_wait(b"data.txt\nreport.txt\n", FINISHED, 0)),
    Case("key wait after failure", console=OPEN_INPUT,
         **key_wait(b"nothere.txt\n", KEY_REQUEST, 9)),
    # The command line: the argument run writes the dialogue's report bytes.
    Case("arguments: data and report", **by_arguments(["data.txt", "report.txt"])),
    Case("arguments: report on standard output", **by_arguments(["data.txt"], to_file=False)),
    Case("arguments: report - on standard output",
         **by_arguments(["data.txt", "-"], to_file=False)),
    Case("arguments: data - from standard input", temp_empty=True, posix_only=True,
         **by_arguments(["-"], to_file=False, stdin=WORKED_DATA, shown_name="-")),
    Case("arguments: data - from standard input, windows", windows_only=True,
         **by_arguments(["-"], to_file=False, stdin=WORKED_DATA, shown_name="-")),
    Case("arguments: data - empty", temp_empty=True, posix_only=True,
         **argument_failure(["-", "out.txt"], b"To find the marker line in input data file failed: "
                            b"standard input has no line starting with '/' (--plain reads a list "
                            b"of values)", stdin=b"")),
    Case("arguments: data - with a read error", temp_empty=True, posix_only=True,
         **argument_failure(["-"], b"To read input data file failed: a read error occurred.",
                            stdin=None)),
    Case("arguments: options after operands",
         **by_arguments(["data.txt", "report.txt", "-d", "3"], digits=3)),
    Case("arguments: -- ends options", untouched=("-d",),
         **by_arguments(["--", "-d"], to_file=False, shown_name="-d",
                        files={"-d": WORKED_DATA})),
    *[Case("option " + " ".join(opts), **by_arguments(opts + ["data.txt", "report.txt"], **kw))
      for opts, kw in [(["-e", "utf-8"], dict(encoding="utf-8")),
                       (["--encoding=UTF8"], dict(encoding="utf-8")),
                       (["--enc", "SJIS"], {}), (["-ecp932"], {}),
                       (["--encoding=Shift_JIS"], {}),
                       (["-d", "17"], dict(digits=17)), (["--digits=1"], dict(digits=1)),
                       (["-d9", "-e", "utf8"], dict(digits=9, encoding="utf-8")),
                       (["-d", "017"], dict(digits=17)), (["--digits=05"], dict(digits=5))]],
    Case("option -e utf-8 with the dialogue", args=["-e", "utf-8"],
         **data_only(WORKED_DATA, report=report("data.txt", WORKED_VALUES, encoding="utf-8"))),
    Case("option -d 17 with the dialogue far from zero", args=["-d", "17"],
         **data_only(b"/\n10000000.1\n10000000.3\n/\n",
                     report=report("data.txt", [10000000.1, 10000000.3], digits=17))),
    *[Case("usage error: " + " ".join(a), args=a, **usage_error(m)) for a, m in [
        (["-e", "latin1", "data.txt"],
         "invalid encoding 'latin1' (shift_jis, sjis, cp932, utf-8 or utf8)"),
        (["-d", "18", "data.txt"], "invalid number of digits '18' (0 for the shortest, or 1 to 17)"),
        (["-dx", "data.txt"], "invalid number of digits 'x' (0 for the shortest, or 1 to 17)"),
        (["--digits=", "data.txt"], "invalid number of digits '' (0 for the shortest, or 1 to 17)"),
        (["data.txt", "-e"], "option requires an argument -- 'e'"),
        (["data.txt", "--digits"], "option '--digits' requires an argument"),
        (["--frobnicate", "data.txt"], "unrecognized option '--frobnicate'"),
        (["-x"], "invalid option -- 'x'"),
        (["--help=yes"], "option '--help' doesn't allow an argument"),
        (["data.txt", "r.txt", "extra"], "extra operand 'extra'"),
        (["--=x", "data.txt"], "unrecognized option '--=x'"),
        (["-d", "0170", "data.txt"], "invalid number of digits '0170' (0 for the shortest, or 1 to 17)")]],
    Case("help", args=["--help"], stdin=b"", code=0,
         console=lambda out: out.startswith(b"Usage: descstat [OPTION]... [DATA [REPORT]]")
         and b"--encoding" in out and b"--digits" in out and b"Exit status" in out),
    Case("version", args=["-V"], stdin=b"", code=0,
         console=lambda out: out.splitlines()[0].startswith(b"descstat 1.")),
    # The summary block, against exact order statistics.
    *[Case("summary: " + name, args=["--summary", "data.txt", "report.txt"], stdin=b"",
           console=b"", files={"data.txt": values_file(vals)},
           report=report("data.txt", vals, with_summary=True))
      for name, vals in [
          ("no values", []), ("one value", [-2.5]), ("two values", [3.0, 1.0]),
          ("three values", [2.0, 9.0, 4.0]), ("four values", [4.0, 1.0, 3.0, 2.0]),
          ("five values", [5.0, 1.0, 4.0, 2.0, 3.0]),
          ("even count unsorted", [10.0, -3.0, 7.5, 0.25, 12.0, -8.0, 1e3, 2.0]),
          ("odd count unsorted", [9.0, 1.0, 8.0, 2.0, 7.0, 3.0, 6.0, 4.0, 5.0]),
          ("ties", [2.0, 2.0, 1.0, 2.0, 3.0, 2.0, 2.0]),
          ("huge values whose midpoint overflows", [1.7e308, 1.6e308, -1.7e308, 1.75e308]),
          ("neighbours one ulp apart", [1.0, 1.0000000000000002, 1.0000000000000004, 1.0]),
          ("tiny neighbours", [5e-324, 1e-323, 1.5e-323, 2e-323, 2.5e-323, 3e-323]),
          ("negative", [-1.0, -5.0, -2.0, -4.0, -3.0, -6.0]),
          ("mixed signs and zero", [-0.0, 3.0, -2.0, 0.0, 1.0])]],
    Case("summary: a value that is no number", args=["--summary", "data.txt", "report.txt"],
         stdin=b"", console=b"", files={"data.txt": values_file([1.0, NAN, 3.0])},
         report=report("data.txt", [1.0, NAN, 3.0], with_summary=True),
         stderr=b"descstat: data.txt:3: 'nan' holds no number: read as nan\n"),
    *[Case("summary: random data set %d" % seed, args=["-s", "-d", "17", "data.txt", "r.txt"],
           stdin=b"", console=b"", files={"data.txt": values_file(random_set(seed))},
           report_name="r.txt",
           report=report("data.txt", random_set(seed), digits=17, with_summary=True))
      for seed in range(0, RANDOM_SETS, 4)],
    Case("summary in UTF-8 with the dialogue", args=["-e", "utf-8", "--summary"],
         **data_only(WORKED_DATA, report=report("data.txt", WORKED_VALUES, encoding="utf-8",
                                                with_summary=True))),
    # Failures of the argument run: one line on standard error.
    Case("arguments: data file missing",
         **argument_failure(["nosuch.txt"],
                            b"To open input data file failed: nosuch.txt: No such file or directory")),
    Case("arguments: report folder missing",
         **argument_failure(["data.txt", "nodir/r.txt"],
                            b"To open output file failed: nodir/r.txt: No such file or directory")),
    Case("arguments: report is data file",
         **argument_failure(["data.txt", "./data.txt"],
                            b"To open output file failed: it is the input data file.")),
    Case("arguments: report on full device",
         **argument_failure(["data.txt", "/dev/full"], b"To write output file failed.")),
    Case("arguments: report on standard output that is full", stdout="full",
         **argument_failure(["data.txt"], b"To write output file failed.")),
    Case("arguments: long line",
         **argument_failure(["data.txt", "r.txt"],
                            b"To read input data file failed: a line is longer than 998 bytes.",
                            files={"data.txt": b"/\n" + b"1" * 1000 + b"\n"})),
    # The argument run reads a named file once: the read error comes in its one pass.
    Case("arguments: read error", args=["data.txt", "report.txt"], stdin=b"",
         stderr=b"descstat: To read input data file failed: a read error occurred.\n",
         **dict(read_error("1"), console=b"", report=None)),
    # On a terminal the closing lines follow the locale; the report does not.
    Case("terminal with UTF-8 locale", terminal="C.UTF-8", posix_only=True,
         console=PROMPTS + FINISHED_UTF8, **data_only(WORKED_DATA, WORKED_VALUES)),
    # The C locale says nothing of the terminal, which is taken to be UTF-8.
    Case("terminal with C locale", terminal="C", posix_only=True,
         console=PROMPTS + FINISHED_UTF8, **data_only(WORKED_DATA, WORKED_VALUES)),
    Case("long report name", stdin=b"data.txt\n" + b"r" * 250 + b"\nx\n",
         report_name="r" * 250, **data_only(WORKED_DATA, [12.5, 13, 11.75]),
         windows=dict(stdin=b"data.txt\n" + b"r" * 200 + b"\nx\n", report_name="r" * 200)),
]


LOCALES = tempfile.mkdtemp(prefix="descstat-locales-")


def generated(name, source, charmap):
    """A locale made with localedef in a scratch folder, for a case's terminal;
    None where this system cannot make it."""
    path = os.path.join(LOCALES, name)
    if not os.path.isdir(path):
        made = subprocess.run(["localedef", "-i", source, "-f", charmap, path],
                              capture_output=True)
        if made.returncode not in (0, 1) or not os.path.isdir(path):  # 1: warnings only
            return None
    return {"LANG": name, "LOCPATH": LOCALES}


def on_screen(name, terminal, args, console, **kw):
    """An argument run whose report goes to a pseudo-terminal."""
    kw.setdefault("files", {"data.txt": WORKED_DATA})
    return Case(name, terminal=terminal, posix_only=True, args=args, stdin=b"",
                console=console, **kw)


EUC_JP = lambda: generated("ja_JP.EUC-JP", "ja_JP", "EUC-JP")
LATIN_1 = lambda: generated("en_US.ISO-8859-1", "en_US", "ISO-8859-1")
WORKED_UTF8 = report("data.txt", WORKED_VALUES, encoding="utf-8")
WORKED_ENGLISH = report("data.txt", WORKED_VALUES, english=True)
QUOTED_DATA = {"my data.txt": WORKED_DATA}

SCREEN_CASES = [
    # A report on a terminal is written in what the terminal shows.
    on_screen("screen: report under C.UTF-8", "C.UTF-8", ["data.txt"], WORKED_UTF8),
    on_screen("screen: report under C", "C", ["data.txt"], WORKED_UTF8),
    on_screen("screen: report with no locale set", {}, ["data.txt"], WORKED_UTF8),
    on_screen("screen: report under a UTF-8 locale that is not installed",
              {"LANG": "xx_YY.UTF-8"}, ["data.txt"], WORKED_UTF8),
    on_screen("screen: report under a Latin-1 locale that is not installed",
              {"LANG": "xx_YY.ISO-8859-1"}, ["data.txt"], WORKED_ENGLISH),
    on_screen("screen: report under an EUC-JP locale that is not installed",
              {"LC_ALL": "xx_YY.EUC-JP@x"}, ["data.txt"],
              report("data.txt", WORKED_VALUES, encoding="euc_jp")),
    on_screen("screen: report under EUC-JP", EUC_JP, ["-s", "data.txt"],
              report("data.txt", WORKED_VALUES, encoding="euc_jp", with_summary=True)),
    on_screen("screen: report under a character set without Japanese", LATIN_1, ["data.txt"],
              WORKED_ENGLISH),
    # An encoding asked for holds on a terminal too.
    on_screen("screen: -e sjis on a UTF-8 terminal", "C.UTF-8", ["-e", "sjis", "data.txt"],
              WORKED_REPORT),
    on_screen("screen: -e utf-8 on an EUC-JP terminal", EUC_JP, ["-e", "utf-8", "data.txt"],
              WORKED_UTF8),
    on_screen("screen: English on a UTF-8 terminal", "C.UTF-8", ["-L", "en", "data.txt"],
              WORKED_ENGLISH),
    # A report to a file never depends on the terminal.
    on_screen("screen: report file under C.UTF-8", "C.UTF-8", ["data.txt", "report.txt"], b"",
              report=WORKED_REPORT),
    # The dialogue's closing lines follow the terminal; its report file does not.
    Case("screen: dialogue under EUC-JP", terminal=EUC_JP, posix_only=True,
         console=PROMPTS + "\n計算終了。\n何か文字キーを押してからEnterキーを押して下さい。\n"
         .encode("euc_jp"), **data_only(WORKED_DATA, WORKED_VALUES)),
    Case("screen: dialogue under a character set without Japanese", terminal=LATIN_1,
         posix_only=True, console=PROMPTS + FINISHED_ENGLISH,
         **data_only(WORKED_DATA, WORKED_VALUES)),
    # English: the same lines, in ASCII, wherever the report goes.
    Case("English: arguments to a file", **by_arguments(["--language=en", "data.txt", "report.txt"],
                                                        english=True)),
    Case("English: arguments to a pipe", **by_arguments(["-L", "EN", "-s", "data.txt"],
                                                        to_file=False, english=True,
                                                        with_summary=True)),
    Case("English: dialogue", args=["--language", "en"], console=PROMPTS + FINISHED_ENGLISH,
         **data_only(WORKED_DATA, WORKED_VALUES, report=WORKED_ENGLISH)),
    Case("English: ja is the default", args=["-L", "ja"], **data_only(WORKED_DATA, WORKED_VALUES)),
    Case("English: unknown language", **usage_error("invalid language 'fr' (ja or en)"),
         args=["-L", "fr", "data.txt"]),
    # Quoted answers: the name between the quotes, blanks and all.
    Case("quoted answers with blanks", files=QUOTED_DATA, untouched=("my data.txt",),
         stdin=b'  "my data.txt"\n"my report.txt"\nx\n', report_name="my report.txt",
         report=report("my data.txt", WORKED_VALUES)),
    Case("quoted answers on one line", files=QUOTED_DATA, untouched=("my data.txt",),
         stdin=b'"my data.txt" "my report.txt" x\n', report_name="my report.txt",
         report=report("my data.txt", WORKED_VALUES)),
    Case("quoted answer without its closing quote", files=QUOTED_DATA,
         untouched=("my data.txt",), stdin=b'"my data.txt\r\nreport.txt\nx\n',
         report=report("my data.txt", WORKED_VALUES)),
    Case("empty quoted answer", stdin=b'""\nx\n', console=OPEN_INPUT, code=9),
]



def warn(name, line, text):
    return ("descstat: %s:%d: %s\n" % (name, line, text)).encode()


def form(name, args, data, values, warnings=b"", listed=None, stdin=None, missing=None, **kw):
    """An argument run over data in another form: the report on standard
    output, lists the values kept, and the warnings on standard error. With
    stdin the data is standard input ("-"), otherwise data.txt."""
    shown = "-" if stdin else "data.txt"
    files = {} if stdin else {"data.txt": data}
    return Case(name, args=list(args) + [shown], files=files, untouched=tuple(files),
                stdin=data if stdin else b"", console=report(shown, values, listed,
                                                             missing=missing),
                report=None, stderr=warnings, posix_only=bool(stdin), **kw)


R_CSV = (b'"","eruptions","waiting"\n"1",3.6,79\n"2",1.8,54\n"3",3.333,74\n'
         b'"4",2.283,62\n"5",4.533,85\n')
SHEET_CSV = (b'\xef\xbb\xbf"Weight (kg)","Note"\r\n12.5,"first, sample"\r\n13,""\r\n'
             b'11.75,"a ""quoted"" note"\r\n')
AIR = b"Ozone,Wind\n41,7.4\nNA,14.3\n36,12.6\nNA,8.6\n28,20.1\n"
BAD_LINES = b"head\n/\n1,234\n3,6\n0x10\n1_000\n\n2kg\nNA\n1e400\n7\n/\n"
BAD_WARNINGS = b"".join(warn("data.txt", n, t) for n, t in [
    (3, "'1,234' read as 1"), (4, "'3,6' read as 3"), (5, "'0x10' read as 0"),
    (6, "'1_000' read as 1"), (7, "an empty line holds no number: read as nan"),
    (8, "'2kg' read as 2"), (9, "'NA' holds no number: read as nan"),
    (10, "'1e400' holds no number: read as nan")])
MANY_BAD = b"/\n" + b"".join(b"x%d\n" % i for i in range(13)) + b"5\n"
NO_FIELD = ("To find the field in input data file failed: no field named 'Temp' (the "
            "header line names 'Ozone' and 'Wind')")

# Values typed in their shortest form with 1 to 17 significant digits, at
# exponents from -4 to 15.
TYPED_SHORTEST = [repr(float("%.*e" % (k - 1, random.Random(k).uniform(1, 10) * 10.0 ** e)))
                  for k in range(1, 18) for e in (-4, -1, 0, 3, 7, 15)]
TYPED_SHORTEST = [t[:-2] if t.endswith(".0") else t for t in TYPED_SHORTEST]

LISTING_CASES = [
    Case("digits 0: listed as typed, results shortest", args=["-d", "0", "-s", "data.txt"],
         files={"data.txt": b"/\n" + "\n".join(TYPED_SHORTEST).encode() + b"\n/\n"}, stdin=b"",
         report=None, console=report("data.txt", [float(t) for t in TYPED_SHORTEST],
                                     listed=TYPED_SHORTEST, digits=0, with_summary=True)),
    Case("digits 0: awkward values", args=["--digits=0", "data.txt"],
         files={"data.txt": b"/\n10000000.1\n0.1\n1e300\n5e-324\n-0\n1e-5\n100000000\n/\n"},
         stdin=b"", report=None,
         console=report("data.txt", [10000000.1, 0.1, 1e300, 5e-324, -0.0, 1e-5, 1e8], digits=0)),
    Case("no listing", **dict(by_arguments(["--no-listing", "data.txt", "report.txt"]),
                              report=report("data.txt", WORKED_VALUES, listing=False))),
    Case("no listing with the summary", args=["--no-listing", "-s", "-"], stdin=WORKED_DATA,
         files={}, untouched=(), posix_only=True, report=None,
         console=report("-", WORKED_VALUES, listing=False, with_summary=True)),
    Case("no listing in the dialogue", args=["--no-listing"],
         **data_only(WORKED_DATA, WORKED_VALUES, report=report("data.txt", WORKED_VALUES,
                                                               listing=False))),
    # A number too long to be read where it lies goes the common way, and is
    # no more listed than the others.
    Case("no listing in the dialogue, a long number", args=["--no-listing"],
         **data_only(WORKED_DATA.replace(b"11.75\n", b"11.750000000000000000\n"), WORKED_VALUES,
                     report=report("data.txt", WORKED_VALUES, listing=False))),
]

KEYS = ["mean", "variance", "sd", "unbiased_variance", "unbiased_sd"]
SUMMARY_KEYS = ["min", "q1", "median", "q3", "max"]


def parsed_rows(fmt, out):
    """The rows of a machine format, read by Python's own csv and json."""
    text = out.decode("utf-8", "surrogateescape")
    if fmt == "json":
        return [json.loads(line) for line in text.splitlines()]
    rows = list(csv.reader(io.StringIO(text, newline=""), delimiter="\t" if fmt == "tsv" else ","))
    return [dict(zip(rows[0], r)) for r in rows[1:]]


def same_number(fmt, got, want):
    """A number as a format writes it is the oracle's double, bit for bit (in
    JSON, NaN and an infinite result are null)."""
    if fmt == "json" and not math.isfinite(want):
        return got is None
    got = float(got)
    if want != want:
        return got != got
    return got == want and math.copysign(1, got) == math.copysign(1, want)


def machine_check(fmt, files, with_summary=False):
    """Standard output of a machine run: one row per file in order, each number
    bit for bit the exact oracle's double (None: the file fails, with that
    message start)."""
    def check(out):
        rows = parsed_rows(fmt, out)
        if len(rows) != len(files):
            return False
        for row, (name, values, error) in zip(rows, files):
            if row["file"] != name:
                return False
            if values is None:
                if not row["error"].startswith(error):
                    return False
                continue
            expected = results(values) + (summary(values) if with_summary else [])
            keys = KEYS + (SUMMARY_KEYS if with_summary else [])
            if int(row["n"]) != len(values) or (fmt != "json" and row["error"] != ""):
                return False
            if not all(same_number(fmt, row[k], want) for k, want in zip(keys, expected)):
                return False
        return True
    return check


MACHINE_DATA = {"a.txt": WORKED_DATA, "b.txt": b"/\n1e300\n-1e300\n/\n",
                "c.txt": b"/\n0.1\n0.2\n0.3\n1e-300\n/\n", "none.txt": b"",
                "one.txt": b"/\n7\n/\n"}
A, B, C = WORKED_VALUES, [1e300, -1e300], [0.1, 0.2, 0.3, 1e-300]

MACHINE_CASES = [
    *[Case("format %s: several files, one missing, one without marker" % fmt,
           args=["-F", fmt, "a.txt", "missing.txt", "b.txt", "none.txt", "c.txt", "one.txt"],
           files=MACHINE_DATA, stdin=b"", code=9, report=None, untouched=tuple(MACHINE_DATA),
           console=machine_check(fmt, [("a.txt", A, None), ("missing.txt", None,
                                        "To open input data file failed: missing.txt: "),
                                       ("b.txt", B, None), ("none.txt", None,
                                        "To find the marker line in input data file failed: "
                                        "none.txt has no line"),
                                       ("c.txt", C, None), ("one.txt", [7.0], None)]))
      for fmt in ("tsv", "csv", "json")],
    *[Case("format %s with the summary" % fmt, args=["--format=" + fmt, "-s", "c.txt", "a.txt"],
           files=MACHINE_DATA, stdin=b"", report=None, untouched=tuple(MACHINE_DATA),
           console=machine_check(fmt, [("c.txt", C, None), ("a.txt", A, None)], True))
      for fmt in ("tsv", "csv", "json")],
    Case("format tsv: the header row and the exact bytes", args=["-F", "tsv", "a.txt"],
         files=MACHINE_DATA, stdin=b"", report=None,
         console=b"file\tn\tmean\tvariance\tsd\tunbiased_variance\tunbiased_sd\terror\n"
                 b"a.txt\t3\t12.416666666666666\t0.2638888888888889\t0.5137011669140814\t"
                 b"0.3958333333333333\t0.6291528696058958\t\n"),
    Case("format json: nan and inf are null", args=["-F", "json", "b.txt", "x.txt"],
         files={"b.txt": b"/\n1e308\n-1e308\n/\n", "x.txt": b"/\nNA\n/\n"}, stdin=b"",
         report=None, untouched=("b.txt", "x.txt"),
         stderr=b"descstat: x.txt:2: 'NA' holds no number: read as nan\n",
         console=b'{"file": "b.txt", "n": 2, "mean": 0, "variance": null, "sd": 1e+308, '
                 b'"unbiased_variance": null, "unbiased_sd": 1.4142135623730951e+308}\n'
                 b'{"file": "x.txt", "n": 1, "mean": null, "variance": null, "sd": null, '
                 b'"unbiased_variance": null, "unbiased_sd": null}\n'),
    Case("format tsv and csv: nan and inf", args=["-F", "csv", "b.txt"],
         files={"b.txt": b"/\n1e308\n-1e308\n/\n"}, stdin=b"", report=None,
         console=b"file,n,mean,variance,sd,unbiased_variance,unbiased_sd,error\n"
                 b"b.txt,2,0,inf,1e+308,inf,1.4142135623730951e+308,\n"),
    Case("format: awkward names escaped", posix_only=True,
         args=["-F", "tsv", "a\tb.txt", "q\"u,o.txt", b"\xff.txt".decode("utf-8", "surrogateescape")],
         files={"a\tb.txt": WORKED_DATA, "q\"u,o.txt": WORKED_DATA}, stdin=b"", code=9, report=None,
         untouched=(), console=lambda out: out.split(b"\n")[1].startswith(b"a\\tb.txt\t3\t")
         and out.split(b"\n")[2].startswith(b'q"u,o.txt\t3\t')
         and out.split(b"\n")[3].startswith(b"\xff.txt\t\t")),
    Case("format csv: awkward names quoted", posix_only=True,
         args=["-F", "csv", "q\"u,o.txt"], files={"q\"u,o.txt": WORKED_DATA}, stdin=b"",
         report=None, untouched=(),
         console=machine_check("csv", [('q"u,o.txt', A, None)])),
    Case("format json: a name that is no UTF-8", posix_only=True,
         args=["-F", "json", b"\xff\xe3\x81\x82.txt".decode("utf-8", "surrogateescape")],
         files={}, stdin=b"", code=9, report=None, untouched=(),
         console=lambda out: json.loads(out)["file"].encode("utf-8", "surrogateescape")
         == b"\xff\xe3\x81\x82.txt" and out.startswith(b'{"file": "\\udcff\xe3\x81\x82.txt"')),
    Case("format json: a read error gets its object", args=["-F", "json", "a.txt", "bad.txt"],
         files={"a.txt": WORKED_DATA, "bad.txt": READ_DATA}, stdin=b"", code=9, report=None,
         shim_env={"SHIM_DATA": "bad.txt", "SHIM_READ_FAIL": "%d:123" % CUT},
         console=machine_check("json", [("a.txt", A, None), ("bad.txt", None,
                               "To read input data file failed: a read error occurred")])),
    Case("format: standard input among the files", posix_only=True,
         args=["-F", "json", "a.txt", "-"], files={"a.txt": WORKED_DATA}, stdin=MACHINE_DATA["c.txt"],
         report=None, console=machine_check("json", [("a.txt", A, None), ("-", C, None)])),
    Case("format: digits asked for", args=["-F", "csv", "-d", "3", "a.txt"], files=MACHINE_DATA,
         stdin=b"", report=None, untouched=tuple(MACHINE_DATA),
         console=b"file,n,mean,variance,sd,unbiased_variance,unbiased_sd,error\n"
                 b"a.txt,3,12.4,0.264,0.514,0.396,0.629,\n"),
    Case("format: --output replaced whole", args=["-F", "json", "-o", "out.json", "a.txt"],
         files={"a.txt": WORKED_DATA, "out.json": b'{"file": "old.txt", "n": 1}\n'}, stdin=b"", console=b"",
         report_name="out.json", report=lambda got: machine_check("json", [("a.txt", A, None)])(got)),
    Case("format: --output refused on a data file", args=["-F", "tsv", "a.txt", "b.txt", "-o", "b.txt"],
         files=MACHINE_DATA, stdin=b"", console=b"", code=9, untouched=tuple(MACHINE_DATA),
         stderr=b"descstat: To open output file failed: it is the input data file.\n"),
    Case("format: the dialogue writes it to its report file", args=["-F", "json"],
         **data_only(WORKED_DATA, report=lambda got: machine_check("json", [("data.txt", A, None)])(got))),
    Case("format: the report is the default",
         **by_arguments(["-F", "report", "data.txt", "report.txt"])),
    Case("usage: standard input twice", **usage_error("standard input ('-') named more than once"),
         args=["-F", "tsv", "-", "-"]),
    Case("usage: --output without a format", args=["-o", "x", "data.txt"], **usage_error(
        "option '--output' needs a machine format (--format=tsv, csv or json)")),
    Case("usage: unknown format", args=["-F", "xml", "data.txt"],
         **usage_error("invalid format 'xml' (report, tsv, csv or json)")),
]

FORM_CASES = [
    # Plain lists: every line a value, the final line end no value of its own.
    form("plain: seq 10", ["-p"], b"".join(b"%d\n" % i for i in range(1, 11)),
         [float(i) for i in range(1, 11)]),
    form("plain: no final line end", ["--plain"], b"1\n2\n3", [1.0, 2.0, 3.0]),
    form("plain: CR LF", ["-p"], b"1.5\r\n2.5\r\n", [1.5, 2.5]),
    form("plain: a line starting with / is no marker", ["-p"], b"1\n/\n2\n", [1.0, 2.0], missing=1,
         warnings=warn("data.txt", 2, "'/' in field 1 is no number: counted as missing")),
    form("plain: an empty last line is no row", ["-p"], b"1\n2\n\n", [1.0, 2.0]),
    form("plain: from standard input", ["-p"], b"4\n5\n", [4.0, 5.0], stdin=True),
    # CSV as R's write.csv and a spreadsheet's "CSV UTF-8" write them.
    form("csv: R by name", ["-p", "-H", "-t", ",", "--field=waiting"], R_CSV,
         [79.0, 54.0, 74.0, 62.0, 85.0]),
    form("csv: R by number", ["-pH", "-t,", "-f", "2"], R_CSV,
         [3.6, 1.8, 3.333, 2.283, 4.533]),
    form("csv: R from standard input", ["-pHt,", "-f", "eruptions"], R_CSV,
         [3.6, 1.8, 3.333, 2.283, 4.533], stdin=True),
    form("csv: spreadsheet, byte order mark, quotes, CR LF", ["-pH", "-t,", "-f", "Weight (kg)"],
         SHEET_CSV, [12.5, 13.0, 11.75]),
    form("csv: quoted separators and quotes", ["-p", "-t", ",", "-f", "2"],
         b'"a,b",1\n"c ""d""" , "2"\n  x  ,  3  \n', [1.0, 2.0, 3.0]),
    form("csv: an empty quoted field is missing", ["-p", "-t,", "-f", "2"], b'1,""\n2,5\n', [5.0],
         missing=1),
    form("tsv", ["-pH", "--separator=tab", "-f", "b"], b"a\tb\n1\t2\n3\t4.5\n", [2.0, 4.5]),
    form("tsv spelled \\t", ["-p", "-t", "\\t", "-f", "2"], b"1\t2\n", [2.0]),
    form("semicolons with decimal points", ["-pH", "-t;", "-f", "y"], b"x;y\n1,5;2.25\n2,5;3\n",
         [2.25, 3.0]),
    form("semicolons with decimal commas are found", ["-pH", "-t;", "-f", "x"], b"x;y\n1,5;2\n",
         [1.5]),
    # A data file with its marker lines, and a header line in its section.
    form("header line in the data section", ["-H", "-f", "b"],
         b"free text\n/\na b\n1 2\n3 4\n/\n", [2.0, 4.0]),
    form("header line in a section without values", ["-H"], b"/\nname\n/\n", []),
    form("field beyond a line's fields", ["-f", "3"], b"/\n1 2 3\n4 5\n", [3.0, NAN],
         warnings=warn("data.txt", 3, "the line has no field 3: read as nan")),
    Case("missing field name", args=["-pH", "-t,", "-f", "Temp", "data.txt"], files={"data.txt": AIR},
         stdin=b"", console=b"", code=9, stderr=b"descstat: " + NO_FIELD.replace(
             "failed: ", "failed: data.txt: ").encode() + b"\n"),
    # Every warning kind, with the file's own line numbers.
    form("warnings: every kind", [], BAD_LINES, [1, 3, 0, 1, NAN, 2, NAN, NAN, 7],
         warnings=BAD_WARNINGS),
    form("warnings: from standard input after CR LF lines", [],
         b"a\r\nb\r\n/\r\n1\r\n2kg\r\n", [1.0, 2.0],
         warnings=warn("-", 5, "'2kg' read as 2"), stdin=True),
    form("warnings: ten, then how many more", [], MANY_BAD, [NAN] * 13 + [5.0],
         warnings=b"".join(warn("data.txt", n, "'x%d' holds no number: read as nan" % (n - 2))
                           for n in range(2, 12))
         + b"descstat: data.txt: 3 more lines whose field is not wholly a number\n"),
    # Lines without a number left out: the results are those of the rest.
    form("skip invalid: airquality's Ozone, NA missing", ["-pH", "-t,", "-f", "Ozone",
                                                          "--skip-invalid"], AIR,
         [41.0, 36.0, 28.0], missing=2),
    form("skip invalid: read once", ["--skip-invalid"], b"/\n1e400\n2\n\n3.5kg\n/\n", [2.0, 3.5],
         warnings=warn("-", 2, "'1e400' holds no number: left out")
         + warn("-", 4, "an empty line holds no number: left out")
         + warn("-", 5, "'3.5kg' read as 3.5"), stdin=True),
    form("skip invalid: nothing kept", ["-p", "--skip-invalid"], b"NA\n", [], missing=1),
    # No marker line: a table; an empty file, what was looked for, and what to do.
    form("arguments: no marker line, a table", [], b"1\n2\n", [1.0, 2.0]),
    Case("arguments: an empty file says what to do", args=["data.txt"],
         files={"data.txt": b""}, stdin=b"", console=b"", code=9,
         stderr=b"descstat: To find the marker line in input data file failed: data.txt has no "
                b"line starting with '/' (--plain reads a list of values)\n"),
    # The options hold in the dialogue, which stays silent about bad lines.
    Case("dialogue: plain CSV by name", args=["-pH", "-t,", "-f", "Ozone", "--skip-invalid"],
         **data_only(AIR, [41.0, 36.0, 28.0], missing=2)),
    Case("dialogue: bad lines are silent", **data_only(b"/\n2kg\nNA\n", [2.0, NAN])),
    Case("dialogue: missing field name", args=["-pH", "-t,", "-f", "Temp"],
         files={"data.txt": AIR}, console=failure(NO_FIELD), code=9,
         report=b"Input data file = data.txt\n\n"),
    # Unusable values of the new options.
    Case("field name of a marker file without --header", args=["-f", "Ozone", "data.txt"],
         files={"data.txt": WORKED_DATA}, stdin=b"", console=b"", code=9,
         stderr=b"descstat: To find the field in input data file failed: data.txt: no field named "
                b"'Ozone' (the data has no header line)\n"),
    Case("usage: field 0", **usage_error(
        "invalid field '0' (numbers from 1, ranges like 2-4, names)"), args=["-f0", "data.txt"]),
    Case("usage: two-byte separator", **usage_error("invalid separator ';;' (one byte, or tab)"),
         args=["-t", ";;", "data.txt"]),
    Case("usage: quote as separator", **usage_error("invalid separator '\"' (one byte, or tab)"),
         args=["--separator=\"", "data.txt"]),
]



# A report whose bytes a case does not check (only that it was made).
ANY_REPORT = b"<any report>"


def anything(_out):
    return True


def shuffled_set(n):
    """A shuffled data set of n values for the summary: distinct values, values
    drawn from a small pool (ties), or random bits, by n."""
    rng = random.Random(1000 + n)
    kind = n % 3
    if kind == 0:
        values = [k + 0.25 for k in range(n)]
    elif kind == 1:
        pool = [rng.uniform(-100, 100) for _ in range(max(1, n // 4))] + [0.0, -0.0]
        values = [rng.choice(pool) for _ in range(n)]
    else:
        values = [random_double(rng) for _ in range(n)]
    rng.shuffle(values)
    return values


SHUFFLED_SIZES = list(range(1, 51)) + [2999, 3000, 3001, 3002]


def summary_case(name, values, **kw):
    return Case(name, args=["-s", "-d", "17", "data.txt", "r.txt"], stdin=b"", console=b"",
                files={"data.txt": values_file(values)}, report_name="r.txt",
                report=report("data.txt", values, digits=17, with_summary=True), **kw)


def large_set(n):
    """n eighths between 0 and 125: every sum exact, the oracle still exact."""
    return [(k * 7919 % 1000) / 8 for k in range(n)]


def write_fault(target, at, once=True):
    return {"SHIM_WRITE_FAIL": "%s:%d%s" % (target, at, ":once" if once else "")}


SUMMARY_REPORT = report("data.txt", WORKED_VALUES, with_summary=True)
WRITE_FAILED = b"descstat: To write output file failed.\n"
SAMPLED_BYTES = sorted({0, len(SUMMARY_REPORT) - 1} | set(range(3, len(SUMMARY_REPORT), 11)))
OLD_REPORT = b"Input data file = earlier.txt\n\nthe report of an earlier run\n"


def report_fault(at, once=True):
    """The dialogue with the summary, its report failing at byte `at`."""
    return Case("write fault: dialogue report %s at byte %d" % ("once" if once else "full", at),
                args=["-s"], files={"data.txt": WORKED_DATA}, console=WRITE_OUTPUT, code=9,
                report=ANY_REPORT, shim_env=write_fault("report.txt", at, once))


def check_report(expected, name="report.txt"):
    """A dialogue step: the report holds exactly these bytes now."""
    def check(folder):
        got = read_file(folder, name)
        # A Windows build writes CR LF.
        if got in (expected, expected.replace(b"\n", b"\r\n")):
            return None
        return "report while waiting: %r" % got
    return ("check", check)


CASES += [
    # The summary on shuffled data of every small size and a few thousand,
    # against the exact order statistics, at 17 digits.
    *[summary_case("summary: random data set shuffled n=%d" % n, shuffled_set(n))
      for n in SHUFFLED_SIZES],
    # A zero that is the minimum, maximum or every quantile is +0.
    *[summary_case("summary: negative zero " + name, vals) for name, vals in [
        ("as minimum", [-0.0, 1.0]), ("as maximum", [-1.0, -0.0]), ("alone", [-0.0]),
        ("twice with one", [1.0, -0.0, -0.0])]],
    # Counts whose square passes 2^32: 32-bit arithmetic on n·n or n·(n − 1)
    # would divide by zero at 65,536 and give wrong variances beyond.
    *[Case("large count n=%d" % n, args=["data.txt", "r.txt"], stdin=b"", console=b"",
           files={"data.txt": values_file(large_set(n))}, report_name="r.txt",
           report=report("data.txt", large_set(n))) for n in (65536, 70001)],
    # A failed write anywhere in the report, for one write only or for every
    # write from there on (a full disk), is never a complete run.
    *[report_fault(at) for at in range(len(SUMMARY_REPORT))],
    *[report_fault(at, once=False) for at in (0, 40, len(SUMMARY_REPORT) - 1)],
    # The buffered reports: a byte of every line, and the first and last.
    # A named report is written beside it and put in place whole: after a
    # failure the old report is as it was and nothing new is left.
    *[Case("write fault: argument report once at byte %d" % at,
           args=["-s", "data.txt", "report.txt"], stdin=b"", console=b"", code=9,
           files={"data.txt": WORKED_DATA, "report.txt": OLD_REPORT}, stderr=WRITE_FAILED,
           untouched=("data.txt", "report.txt"),
           shim_env=write_fault("report.txt.descstat-*", at)) for at in SAMPLED_BYTES],
    *[Case("write fault: report on standard output once at byte %d" % at,
           args=["-s", "data.txt"], files={"data.txt": WORKED_DATA}, stdin=b"",
           console=anything, code=9, stderr=WRITE_FAILED, shim_env=write_fault("stdout", at))
      for at in SAMPLED_BYTES],
    # A console write that fails, anywhere in the dialogue.
    *[Case("write fault: console once at byte %d" % at, files={"data.txt": WORKED_DATA},
           console=anything, code=9, stderr=CONSOLE_FAILED, report=WORKED_REPORT,
           shim_env=write_fault("stdout", at)) for at in range(0, len(SUCCESS), 3)],
    # Standard input is read once, into memory: no temporary file is made, so
    # one that cannot be made changes nothing. 140,000 values outgrow the
    # first block of memory the values are given.
    *[Case("standard input needs no temporary file: %d values" % len(vals), temp_empty=True,
           shim_env={"SHIM_TEMP_FAIL": "28"},
           **by_arguments(["-"], values=vals, to_file=False, stdin=values_file(vals),
                          shown_name="-"))
      for vals in (WORKED_VALUES, [float(k % 5) for k in range(140_000)])],
    # Help and version that do not reach standard output are failures.
    *[Case("%s on full device" % opt, args=[opt], stdin=b"", stdout="full", console=b"",
           code=9, stderr=CONSOLE_FAILED) for opt in ("--help", "--version")],
    *[Case("write fault: %s once at byte %d" % (opt, at), args=[opt], stdin=b"",
           console=anything, code=9, stderr=CONSOLE_FAILED, shim_env=write_fault("stdout", at))
      for opt in ("--help", "--version") for at in (0, 9)],
    # Promises of the README and the manual page.
    # Wine cannot tell a Windows program which file its standard output is.
    Case("arguments: report appended to the data file", args=["data.txt"], stdin=b"",
         posix_only=True,
         files={"data.txt": WORKED_DATA}, stdout="append:data.txt", console=b"", code=9,
         stderr=b"descstat: To open output file failed: it is the input data file.\n"),
    Case("option -sd8", **by_arguments(["-sd8", "data.txt", "report.txt"], digits=8,
                                       with_summary=True)),
    # Read once, the data file is never opened again: its removal after the
    # first open takes nothing from the run.
    Case("arguments: data file removed once opened: the run reads it whole",
         shim_env={"SHIM_DATA": "data.txt", "SHIM_AFTER_OPEN": "1:rm data.txt"},
         **dict(by_arguments(["data.txt", "report.txt"]), untouched=())),
    Case("report complete while the key wait of a complete run waits",
         files={"data.txt": WORKED_DATA}, report=WORKED_REPORT, console=SUCCESS, code=0,
         steps=[("send", b"data.txt\nreport.txt\n"), ("wait", FINISHED),
                check_report(WORKED_REPORT), ("alive",), ("send", b"x\n")]),
    Case("report holds every listed line while the key wait of a failure waits",
         files={"data.txt": b"h\n/\n10\n20\n30\n/\n"}, console=CHANGED, code=9, untouched=(),
         report=listed_before(b"h\n/\n10\n20\n", 1000),
         shim_env={"SHIM_DATA": "data.txt",
                   "SHIM_BEFORE_OPEN": "2:printf 'h\\n/\\n10\\n20\\n/\\n' > data.txt"},
         steps=[("send", b"data.txt\nreport.txt\n"), ("wait", KEY_REQUEST),
                check_report(listed_before(b"h\n/\n10\n20\n", 1000)), ("alive",),
                ("send", b"x\n")]),
]


# Data that can be read only once, and reports replaced whole.
IS_DATA = b"descstat: To open output file failed: it is the input data file.\n"
HAVE_UNSHARE = shutil.which("unshare") is not None and subprocess.run(
    ["unshare", "-m", "true"], stderr=subprocess.DEVNULL).returncode == 0
BIG_VALUES = [float(k % 97) for k in range(60_000)]
BIG_DATA = values_file(BIG_VALUES)


def refused(command, data=WORKED_DATA):
    """A command that would write the report into the data: refused, the data
    file's bytes unchanged, nothing made."""
    return Case("report into the data refused: " + command, bash=command, posix_only=True,
                files={"data.txt": data}, stdin=b"", console=b"", code=9, stderr=IS_DATA)


def decimal_text(d):
    """An exact decimal in the program's shortest notation (as shortest())."""
    sign, digits, exp = d.normalize().as_tuple()
    if not any(digits):
        return "0"
    return ("-" if sign else "") + notation("".join(map(str, digits)), len(digits) + exp - 1)


def notation(digits, leading):
    if leading < -4 or leading > 16:
        mantissa = digits[0] + ("." + digits[1:] if len(digits) > 1 else "")
        return "%se%s%02d" % (mantissa, "-" if leading < 0 else "+", abs(leading))
    if leading < 0:
        return "0." + "0" * (-leading - 1) + digits
    return digits[:leading + 1].ljust(leading + 1, "0") + \
        ("." + digits[leading + 1:] if len(digits) > leading + 1 else "")


def histogram(values, bins=None):
    """The bins ([low text, high text, count]) and the count of values that are
    no numbers, from the shortest decimal of every value (repr), compared as
    exact fractions: the nice width (1, 2 or 5 times a power of ten) whose
    number of bins is nearest to the target (Sturges' by default), the
    smaller width on a tie."""
    nums = [Fraction(decimal.Decimal(repr(v))) for v in values if v == v]
    missing = len(values) - len(nums)
    if not nums:
        return [], missing
    lo, hi = min(nums), max(nums)
    if lo == hi:
        exp = decimal.Decimal(repr(float(lo))).normalize().as_tuple().exponent if lo else 0
        unit = Fraction(10) ** exp
        return [[decimal_text(to_decimal(lo)), decimal_text(to_decimal(lo + unit)), len(nums)]], \
            missing
    target = bins or (math.ceil(math.log2(len(nums))) + 1 if len(nums) > 1 else 1)
    best = None
    for p in range(-400, 400):
        for c in (1, 2, 5):
            w = c * Fraction(10) ** p
            count = math.floor(hi / w) - math.floor(lo / w) + 1
            if best is None or abs(count - target) < best[0]:
                best = (abs(count - target), w)
    w = best[1]
    first = math.floor(lo / w)
    counts = [0] * (math.floor(hi / w) - first + 1)
    for x in nums:
        counts[math.floor(x / w) - first] += 1
    return [[decimal_text(to_decimal((first + i) * w)), decimal_text(to_decimal((first + i + 1) * w)),
             n] for i, n in enumerate(counts)], missing


def to_decimal(f):
    """The exact decimal of a fraction whose denominator divides a power of ten."""
    with decimal.localcontext() as ctx:
        ctx.prec = 2000
        return decimal.Decimal(f.numerator) / decimal.Decimal(f.denominator)


def histogram_block(values, bins=None, english=False):
    """The text report's histogram block."""
    rows, missing = histogram(values, bins)
    most = max([n for _, _, n in rows] or [0])
    lines = ["", "Histogram" if english else "度数分布"]
    # Edges padded and counts right-aligned to the widest: the bars start in one column.
    edges = ["[%s, %s)" % (low, high) for low, high, _ in rows]
    edges_width = max([len(e) for e in edges] or [0])
    count_width = max([len(str(n)) for _, _, n in rows] or [0])
    for edge, (_, _, n) in zip(edges, rows):
        bar = max(1, math.floor(Fraction(n * 50, most) + Fraction(1, 2))) if n else 0
        lines.append(edge.ljust(edges_width) + "  " + str(n).rjust(count_width)
                     + ("  " + "*" * bar if bar else ""))
    if missing:
        lines.append(("Not numbers = %d" if english else "数値でない値 = %d") % missing)
    return "\n".join(lines) + "\n"


def histogram_case(name, values, bins=None, args=(), text=None):
    """A run with --histogram over the values (typed as `text` when given)."""
    data = b"/\n" + (text or b"".join(repr(v).encode() + b"\n" for v in values)) + b"/\n"
    extra = ["--bins=%d" % bins] if bins else []
    expected = report("data.txt", values, listing=False, english=True) + \
        histogram_block(values, bins, english=True).encode()
    return Case("histogram: " + name, args=["--histogram", "-L", "en", "--no-listing", *extra,
                                            *args, "data.txt", "-"],
                files={"data.txt": data}, stdin=b"", report=None, console=expected,
                stderr=lambda err: True)


TENTHS = [k / 10 for k in range(1, 10)]
HISTOGRAM_RNG = random.Random(22)
HISTOGRAM_CASES = [
    histogram_case("typed 0.1 to 0.9, each in the bin of its decimal", TENTHS, bins=9),
    histogram_case("0.1 to 0.9, Sturges' bins", TENTHS),
    histogram_case("values on the edges", [0.0, 0.2, 0.4, 0.6, 0.8, 1.0, 0.3]),
    histogram_case("negative values and a negative zero", [-0.0, -0.5, -1.5, -2.0, 0.5, 3.0]),
    histogram_case("huge magnitudes", [1e300, -1e300, 5e299, 1.7976931348623157e308]),
    histogram_case("tiny magnitudes", [5e-324, 1e-320, 2.5e-310, 0.0]),
    histogram_case("around a large number", [1e16 + 2, 1e16 + 4, 1e16 + 10, 1e16]),
    histogram_case("all equal", [12.5, 12.5, 12.5]),
    histogram_case("all equal: zero", [0.0, -0.0]),
    histogram_case("all equal and negative", [-1e-5] * 4),
    histogram_case("one value", [7.0]),
    histogram_case("two values", [1.0, 2.5]),
    histogram_case("no values", []),
    histogram_case("values that are no numbers", [1.0, NAN, 2.0, NAN, 3.0],
                   text=b"1\nNA\n2\nx\n3\n"),
    *[histogram_case("--bins=%d" % k, [round(HISTOGRAM_RNG.gauss(100, 15), 3) for _ in range(200)],
                     bins=k) for k in (1, 2, 3, 7, 20, 100, 1000)],
    histogram_case("one bin across a round number: a width far beyond the range",
                   [99999.9, 100000.1], bins=1),
    histogram_case("a bin of one among hundreds", [1.0] * 300 + [100.0], bins=2),
    Case("histogram: the dialogue's report in Japanese", args=["--histogram"],
         files={"data.txt": values_file(TENTHS)}, stdin=b"data.txt\nout.txt\nx\n",
         report_name="out.txt", console=lambda out: True,
         report=report("data.txt", TENTHS) + histogram_block(TENTHS).encode(SJIS)),
    Case("histogram: in JSON", args=["-F", "json", "--histogram", "--bins=9", "data.txt"],
         files={"data.txt": values_file(TENTHS + [0.35])}, stdin=b"", report=None,
         console=lambda out: json.loads(out)["histogram"] == [
             [float(lo), float(hi), n] for lo, hi, n in histogram(TENTHS + [0.35], 9)[0]]
         and b"[0.3, 0.4, 2]" in out),
    Case("histogram: --bins without --histogram", args=["--bins=5", "data.txt", "-"],
         **usage_error("option '--bins' needs --histogram or --plot")),
    *[Case("histogram: --bins=%s refused" % k, args=["--histogram", "--bins=" + k, "data.txt"],
           **usage_error("invalid number of bins '%s' (1 to 1000)" % k)) for k in ("0", "1001", "x")],
]


EXAMPLE_CHART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs",
                             "example-chart.svg")


def chart_is(name, expected=None):
    """The folder's chart: an SVG that Python's XML parser reads, with the
    given bytes when they are given."""
    def check(folder):
        with open(os.path.join(folder, name), "rb") as f:
            got = f.read()
        if expected is not None and got != expected:
            return "%s differs from the expected chart" % name
        try:
            root = ET.fromstring(got)
        except ET.ParseError as e:
            return "%s is no XML: %s" % (name, e)
        return None if root.tag == "{http://www.w3.org/2000/svg}svg" else "%s is no SVG" % name
    return check


def example_chart():
    with open(EXAMPLE_CHART, "rb") as f:
        return f.read()


def rings_are(name, values):
    """The chart's outlier rings: one of the box plot's radius for each value."""
    def check(folder):
        rings = [c for c in ET.parse(os.path.join(folder, name)).iter(
            "{http://www.w3.org/2000/svg}circle") if c.get("class") == "outlier"]
        got = [(c.get("data-value"), c.get("r")) for c in rings]
        return None if got == [(v, "3") for v in values] else "rings %s" % got
    return check


PLOT_CASES = [
    Case("plot: an outlier's ring", args=["--plot=chart.svg", "data.txt", "-"],
         files={"data.txt": b"/\n1\n2\n3\n4\n100\n/\n"}, stdin=b"", report_name="chart.svg",
         report=lambda got: True,
         console=lambda out: b"5:  100" in out,
         verify=lambda folder: chart_is("chart.svg")(folder)
         or rings_are("chart.svg", ["100"])(folder)),
    Case("plot: the example's chart, the same bytes on every system",
         args=["--plot=chart.svg", "data.txt", "report.txt"], files={"data.txt": WORKED_DATA},
         stdin=b"", console=b"", report_name="report.txt", report=WORKED_REPORT,
         verify=chart_is("chart.svg", example_chart())),
    Case("plot: the report is unchanged, the chart replaced whole",
         args=["--histogram", "--plot", "chart.svg", "-s", "data.txt", "-"],
         files={"data.txt": WORKED_DATA, "chart.svg": b"<svg>an old chart</svg>"}, stdin=b"", report=None,
         untouched=("data.txt",),
         console=report("data.txt", WORKED_VALUES, with_summary=True)
         + histogram_block(WORKED_VALUES).encode(SJIS),
         verify=lambda folder: chart_is("chart.svg")(folder)
         or only_files("data.txt", "chart.svg")(folder)),
    Case("plot: the dialogue writes the chart", args=["--plot=chart.svg", "-L", "en"],
         files={"data.txt": WORKED_DATA}, stdin=b"data.txt\nout.txt\nx\n", report_name="out.txt",
         console=lambda out: True,
         report=report("data.txt", WORKED_VALUES, english=True), verify=chart_is("chart.svg")),
    Case("plot: refused when it is the data file", args=["--plot=./data.txt", "data.txt", "-"],
         files={"data.txt": WORKED_DATA}, stdin=b"", report=None, console=b"", code=9,
         untouched=("data.txt",),
         stderr=b"descstat: To open output file failed: it is the input data file.\n"),
    Case("plot: the dialogue refuses the data file", args=["--plot=data.txt"],
         files={"data.txt": WORKED_DATA}, stdin=b"data.txt\nout.txt\nx\n", report=None,
         untouched=("data.txt",), console=OUTPUT_IS_INPUT, code=9),
    # Found before anything is read: no report either.
    Case("plot: a folder that is missing", args=["--plot=nodir/chart.svg", "data.txt", "-"],
         files={"data.txt": WORKED_DATA}, stdin=b"", report=None, code=9, console=b"",
         stderr=lambda err: err.startswith(b"descstat: To open output file failed: nodir/chart.svg")),
    Case("plot: the same file as the report", args=["--plot=r.txt", "data.txt", "r.txt"],
         **usage_error("the chart and the report would be the same file 'r.txt'")),
    Case("plot: with a machine format", args=["--plot=c.svg", "-F", "json", "data.txt"],
         **usage_error("option '--plot' needs the text report (--format=report)")),
    Case("plot: --bins with --plot alone", args=["--bins=3", "--plot=c.svg", "data.txt", "-"],
         files={"data.txt": WORKED_DATA}, stdin=b"", report_name="c.svg", report=lambda got: True,
         console=report("data.txt", WORKED_VALUES), verify=chart_is("c.svg")),
    # A compare run's chart draws the samples that have results, not a file that failed
    # (the caption's numbers from the oracle: Welch's df 3.93, t quantile 2.80).
    Case("plot: a compare run's chart leaves out a file that failed",
         args=["-c", "-L", "en", "--plot=c.svg", "a.txt", "gone.txt", "b.txt"],
         files={"a.txt": values_file([1.0, 2.0, 4.0]), "b.txt": values_file([3.0, 5.0, 6.5])},
         untouched=("a.txt", "b.txt"), stdin=b"", code=9, stderr=lambda err: b"gone.txt" in err,
         console=lambda out: b"b.txt - a.txt" in out, report_name="c.svg", report=lambda got: True,
         verify=lambda folder: chart_is("c.svg")(folder) or (None if [
             (t.get("class"), t.text) for t in ET.parse(os.path.join(folder, "c.svg")).iter(
                 "{http://www.w3.org/2000/svg}text") if t.get("class") in ("set", "caption")] == [
             ("caption", "b.txt - a.txt: No difference proven at 95.0% confidence, "
              "Difference = 2.5 +/- 3.75911 [-1.25911, 6.25911]"),
             ("set", "a.txt"), ("set", "b.txt")] else "not the chart of a.txt and b.txt")),
]


def machine_refused(command):
    """A machine run whose rows would go into one of its data files: refused
    before anything is written, both data files' bytes unchanged."""
    return Case("rows into the data refused: " + command, bash=command, posix_only=True,
                files={"data.txt": WORKED_DATA, "b.txt": MACHINE_DATA["b.txt"]},
                untouched=("data.txt", "b.txt"), stdin=b"", console=b"", code=9, stderr=IS_DATA)


MACHINE_REFUSED = [
    machine_refused("{prog} -F tsv data.txt b.txt >> b.txt"),
    machine_refused("{prog} -F json - -o data.txt < data.txt"),
    machine_refused("{prog} -F csv b.txt - < data.txt >> data.txt"),
    machine_refused("{prog} -F csv b.txt -o ./b.txt data.txt"),
]


def stdout_report(name, values):
    """A console that is the report of the values, the data shown under any
    name that starts so."""
    def check(out):
        first, _, rest = out.partition(b"\n")
        return first.startswith(b"Input data file = " + name) and \
            rest == report("x", values).partition(b"\n")[2]
    return check


def one_of(*reports):
    return lambda got: got in reports


def only_files(*names):
    """The folder holds exactly these files (no new file left anywhere)."""
    def check(folder):
        left = sorted(set(os.listdir(folder)) - {"tmp"})
        return None if left == sorted(names) else "files left: %s" % left
    return check


def mode_is(name, mode):
    def check(folder):
        got = os.stat(os.path.join(folder, name)).st_mode & 0o7777
        return None if got == mode else "%s has mode %o, not %o" % (name, got, mode)
    return check


def link_kept(folder):
    if not os.path.islink(os.path.join(folder, "link.txt")):
        return "link.txt is no longer a link"
    got = read_file(folder, "real.txt")
    return None if got == report("data.txt", WORKED_VALUES) else "real.txt: %r" % got[:100]


def signalled(signum):
    """A run reading standard input into a named report, ended by a signal
    while it waits for more data: nothing new is left in the folder."""
    return Case("signal %d while reading standard input into a report" % signum,
                posix_only=True, args=["-", "report.txt"], files={}, console=b"",
                code=-signum, untouched=(), temp_empty=True, verify=only_files(),
                steps=[("send", b"/\n1\n2\n"),
                       ("until", lambda d: any(".descstat-" in n for n in os.listdir(d))),
                       ("signal", signum)])


CASES += [
    # Finding by finding: the report may not overwrite the data, however it
    # is named or wherever standard output points.
    refused("{prog} - data.txt < data.txt"),
    refused("{prog} - /dev/stdin < data.txt"),
    refused("{prog} - /proc/self/fd/0 < data.txt"),
    refused("{prog} - < data.txt 1<> data.txt"),
    refused("{prog} - < data.txt >> data.txt"),
    Case("report into the data refused: a symbolic link to it", posix_only=True,
         setup=lambda d: os.symlink("data.txt", os.path.join(d, "link.txt")),
         args=["data.txt", "link.txt"], files={"data.txt": WORKED_DATA}, stdin=b"",
         console=b"", code=9, stderr=IS_DATA),
    refused("cat data.txt | {prog} - /dev/stdin", data=BIG_DATA),
    # Without /dev/stdout (a mount namespace with an empty /dev), where one can
    # be made.
    *([refused("unshare -m bash -c 'mount -t tmpfs none /dev && "
               "exec {prog} data.txt >> data.txt'")] if HAVE_UNSHARE else []),
    # Read once, and only up to the closing marker line.
    Case("standard input ends at the closing marker", posix_only=True, temp_empty=True,
         bash="(printf '/\\n1\\n2\\n/\\n'; yes) | {prog} -", files={}, untouched=(),
         stdin=b"", console=report("-", [1.0, 2.0])),
    Case("standard input of 60000 values", posix_only=True, temp_empty=True,
         bash="cat data.txt | {prog} - r.txt", files={"data.txt": BIG_DATA}, stdin=b"",
         console=b"", report_name="r.txt", report=report("-", BIG_VALUES)),
    Case("a FIFO as data", posix_only=True, fifo=("ff", [WORKED_DATA]), args=["ff"], stdin=b"",
         console=report("ff", WORKED_VALUES), untouched=()),
    Case("process substitution as data", posix_only=True,
         bash="{prog} <(cat data.txt)", files={"data.txt": WORKED_DATA}, stdin=b"",
         console=stdout_report(b"/dev/fd/", WORKED_VALUES)),
    Case("the README's pipe cut short by head", posix_only=True, temp_empty=True,
         bash="sort -n data.txt | sed '1i /' | {prog} - | head -n 3",
         files={"data.txt": b"".join(b"%d\n" % k for k in range(50_000))}, stdin=b"",
         console=b"Input data file = -\n\n" + "データ...\n".encode(SJIS)),
    Case("standard input under a memory limit: the reservation shrinks", posix_only=True,
         limit_mb=160, temp_empty=True, bash=None, args=["-", "r.txt"], files={},
         untouched=(), stdin=BIG_DATA, console=b"", report_name="r.txt",
         report=report("-", BIG_VALUES)),
    Case("standard input too long under a memory limit", posix_only=True, limit_mb=160,
         args=["-"], stdin=b"/\n" + b"\n" * MANY_EMPTY_LINES, files={}, untouched=(),
         console=b"", code=9,
         # Ten warnings, how many more, then the failure.
         stderr=lambda e: e.count(b"\n") == 12 and e.endswith(
             b"descstat: To allocate memory for the values failed.\n")),
    # Statistics that need no value in order keep none: 22 million values,
    # whose 176 MB would not fit under the limit, read once and twice.
    *[Case("-F tsv keeps no values: " + how, posix_only=True, limit_mb=160, temp_empty=True,
           args=["-F", "tsv", name], files=files, untouched=tuple(files), stdin=stdin,
           console=b"file\tn\tmean\tvariance\tsd\tunbiased_variance\tunbiased_sd\terror\n"
           + name.encode() + b"\t22000000\t2.5\t0.25\t0.5\t0.25000001136363686\t"
           b"0.5000000113636367\t\n")
      for how, name, files, stdin in [
          ("standard input", "-", {}, MANY_VALUES),
          ("a named file", "many.txt", {"many.txt": MANY_VALUES}, b"")]],
    # A CSV column read where it lies: 22 million values kept do not fit under
    # the limit (a failed row, exit 9); counted alone, they do.
    Case("a CSV column kept beyond a memory limit", posix_only=True, limit_mb=160,
         args=["-p", "-H", "-t", ",", "-f", "1", "-F", "tsv", "-s", "-"], files={}, untouched=(),
         stdin=MANY_CSV_ROWS, code=9,
         console=lambda out: out.endswith(b"\n-" + b"\t" * 12
                                          + b"To allocate memory for the values failed.\n")),
    Case("a CSV column counted under a memory limit", posix_only=True, limit_mb=160,
         args=["-p", "-H", "-t", ",", "-f", "1", "-F", "tsv", "-"], files={}, untouched=(),
         stdin=MANY_CSV_ROWS,
         console=b"file\tn\tmean\tvariance\tsd\tunbiased_variance\tunbiased_sd\terror\n"
         b"-\t22000000\t2.5\t0.25\t0.5\t0.25000001136363686\t0.5000000113636367\t\n"),
    # A failed run leaves a named report as it was, and writes nothing of the
    # report to standard output.
    Case("failed run keeps the old report", args=["data.txt", "report.txt"], stdin=b"",
         files={"data.txt": b"", "report.txt": OLD_REPORT}, console=b"", code=9,
         untouched=("data.txt", "report.txt"),
         stderr=b"descstat: To find the marker line in input data file failed: data.txt has no "
                b"line starting with '/' (--plain reads a list of values)\n"),
    Case("failed run writes nothing on standard output", args=["data.txt"], stdin=b"",
         files={"data.txt": b"/\n1\n" + b"9" * 1000 + b"\n/\n"}, console=b"", code=9,
         stderr=b"descstat: To read input data file failed: a line is longer than 998 bytes.\n"),
    Case("report replaced keeps its permission bits", posix_only=True, args=["data.txt", "r.txt"],
         setup=lambda d: os.chmod(os.path.join(d, "r.txt"), 0o640), stdin=b"", console=b"",
         files={"data.txt": WORKED_DATA, "r.txt": OLD_REPORT}, report_name="r.txt",
         report=report("data.txt", WORKED_VALUES), verify=mode_is("r.txt", 0o640)),
    Case("report through a symbolic link: the file it names is replaced", posix_only=True,
         setup=lambda d: os.symlink("real.txt", os.path.join(d, "link.txt")),
         files={"data.txt": WORKED_DATA, "real.txt": OLD_REPORT}, args=["data.txt", "link.txt"],
         stdin=b"", console=b"", untouched=(), verify=link_kept,
         after={"real.txt": report("data.txt", WORKED_VALUES)}),
    Case("report on /dev/null is written in place", args=["data.txt", "/dev/null"], stdin=b"",
         files={"data.txt": WORKED_DATA}, console=b"", posix_only=True,
         verify=only_files("data.txt")),
    Case("report on a FIFO is written in place", posix_only=True,
         bash="mkfifo out && { cat out > got.txt & } && {prog} data.txt out && wait && rm out",
         files={"data.txt": WORKED_DATA}, stdin=b"", console=b"",
         after={"got.txt": report("data.txt", WORKED_VALUES)}),
    Case("two runs on one report leave one whole report", posix_only=True,
         bash="{prog} a.txt r.txt & {prog} b.txt r.txt; wait",
         files={"a.txt": BIG_DATA, "b.txt": values_file(BIG_VALUES[:50_000])}, stdin=b"",
         console=b"", untouched=("a.txt", "b.txt"), report_name="r.txt",
         report=one_of(report("a.txt", BIG_VALUES), report("b.txt", BIG_VALUES[:50_000]))),
    Case("data typed at the terminal that shows the report", terminal="C", typed=True,
         posix_only=True, args=["-"], files={}, untouched=(), stdin=b"/\n1\n2\n/\n",
         console=report("-", [1.0, 2.0], encoding="utf-8")),
    # A terminal read a byte at a time, whose read fails when it hangs up.
    Case("the terminal the data is typed at hangs up", terminal="C", typed="hang up",
         posix_only=True, args=["-F", "tsv", "--plain", "-"], files={}, untouched=(),
         stdin=b"1\n2\n", code=9,
         console=b"file\tn\tmean\tvariance\tsd\tunbiased_variance\tunbiased_sd\terror\n"
                 b"-\t\t\t\t\t\t\tTo read input data file failed: a read error occurred.\n"),
    *[signalled(signum) for signum in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP,
                                       signal.SIGPIPE)],
]


def feed_fifo(path, contents):
    """Serves the contents in turn through the named pipe, holding its write end
    open throughout so that a reader that closes and reopens finds the same
    pipe. Each content is written whole (at most 4096 bytes, so atomically) once
    the one before has been taken out of the pipe (waiting for a reader when the
    program has closed its end and not yet reopened it); each but the last must end
    with a closing marker line, so that the pass reading it asks for no more."""
    fd = os.open(path, os.O_WRONLY)
    try:
        for content in contents:
            write_when_read(fd, content)
            while unread_bytes(fd) > 0:
                time.sleep(0.005)
    finally:
        os.close(fd)


def write_when_read(fd, content):
    """Writes the content once a reader has the pipe open: between its close and
    its reopen the program has none, and a write then fails whole."""
    while True:
        try:
            os.write(fd, content)
            return
        except BrokenPipeError:
            time.sleep(0.005)


def unread_bytes(fd):
    buf = array.array("i", [0])
    fcntl.ioctl(fd, termios.FIONREAD, buf, True)
    return buf[0]


class Outcome:
    def __init__(self, returncode, stdout, stderr, problem=None):
        self.returncode, self.stdout, self.stderr, self.problem = returncode, stdout, stderr, problem


def launch(cmd, case, folder, env, prepare):
    """Runs the program once: with the case's standard input whole, or step by
    step through its dialogue."""
    if case.steps:
        return run_steps(cmd, case.steps, folder, env, prepare)
    if case.terminal is not None:
        return run_on_terminal(cmd, case, folder, env)
    out = {"pipe": subprocess.PIPE, "closed": None}.get(case.stdout)
    sink = open("/dev/full", "wb") if case.stdout == "full" else None
    if case.stdout.startswith("append:"):  # descstat ... >> NAME
        sink = open(os.path.join(folder, case.stdout[len("append:"):]), "ab")
    # A folder as standard input: every read of it fails (EISDIR).
    source = {"input": case.stdin} if case.stdin is not None else {"stdin": os.open(folder, 0)}
    try:
        proc = subprocess.run(cmd, stdout=sink or out, stderr=subprocess.PIPE, cwd=folder,
                              env=env, preexec_fn=prepare, timeout=60, **source)
    finally:
        if sink:
            sink.close()
        if "stdin" in source:
            os.close(source["stdin"])
    return Outcome(proc.returncode, proc.stdout, proc.stderr)


def waiting_for_terminal(pid, timeout=60):
    """Waits until the process is blocked in a read of its standard input
    (Linux: /proc/PID/syscall names read, 0, on descriptor 0)."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        try:
            with open("/proc/%d/syscall" % pid) as f:
                if f.read().split()[:2] == ["0", "0x0"]:
                    return
        except OSError:
            return
        time.sleep(0.01)


def run_on_terminal(cmd, case, folder, env):
    """Runs the program with standard output on a pseudo-terminal under the
    given locale (a name, or the locale variables to set, or a function giving
    them; "_columns" among them sets its width, 80 otherwise); what the
    terminal got comes back with its CR LF as LF."""
    terminal = case.terminal() if callable(case.terminal) else case.terminal
    if isinstance(terminal, str):
        terminal = {"LC_ALL": terminal, "LANG": terminal}
    env = {k: v for k, v in env.items() if k not in ("LANG", "LC_ALL", "LC_CTYPE")}
    terminal = dict(terminal)
    columns = int(terminal.pop("_columns", "80"))
    env.update(terminal)
    master, slave = pty.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
    attrs = termios.tcgetattr(slave)
    attrs[1] &= ~termios.ONLCR  # the terminal shows the program's line ends as written
    attrs[3] &= ~termios.ECHO  # and not what is typed at it
    termios.tcsetattr(slave, termios.TCSANOW, attrs)
    hangup = case.typed == "hang up"
    proc = subprocess.Popen(cmd, stdin=slave if case.typed else subprocess.PIPE,
                            stdout=subprocess.PIPE if hangup else slave,
                            stderr=subprocess.PIPE, cwd=folder, env=env)
    os.close(slave)
    if case.typed:
        os.write(master, case.stdin)
    if hangup:
        # The terminal goes away while the program waits for more of it: the
        # read it waits in fails (EIO). (A read begun after the hang-up would
        # see an end of file instead.)
        waiting_for_terminal(proc.pid)
        os.close(master)
        out, stderr = proc.communicate(timeout=60)
        return Outcome(proc.returncode, out, stderr)
    _, stderr = proc.communicate(None if case.typed else case.stdin, timeout=60)
    console = read_terminal(master)
    os.close(master)
    return Outcome(proc.returncode, console, stderr)


def read_terminal(master):
    """Everything a pseudo-terminal got until the program on it has ended."""
    got = bytearray()
    while True:
        try:
            chunk = os.read(master, 4096)
        except OSError:  # the terminal is gone once the program has ended
            break
        if not chunk:
            break
        got.extend(chunk)
    return bytes(got)


def run_steps(cmd, steps, folder, env, prepare):
    """Answers the program's dialogue step by step, as a person at the console
    would: waits for console text, changes files between answers, and checks
    that the program is still waiting where it must."""
    proc = subprocess.Popen(cmd, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, cwd=folder, env=env, preexec_fn=prepare)
    console = bytearray()
    reader = threading.Thread(target=lambda: [console.extend(chunk) for chunk in
                                              iter(lambda: os.read(proc.stdout.fileno(), 4096),
                                                   b"")], daemon=True)
    reader.start()
    problem = None
    for step in steps:
        if step[0] == "send":
            proc.stdin.write(step[1])
            proc.stdin.flush()
        elif step[0] == "wait":
            deadline = time.time() + 30
            while step[1] not in console and time.time() < deadline and proc.poll() is None:
                time.sleep(0.01)
            time.sleep(0.05)
        elif step[0] == "do":
            step[1](folder)
        elif step[0] == "check":
            problem = problem or step[1](folder)
        elif step[0] == "until":  # wait until the folder is so
            deadline = time.time() + 30
            while not step[1](folder) and time.time() < deadline and proc.poll() is None:
                time.sleep(0.01)
        elif step[0] == "signal":
            proc.send_signal(step[1])
            proc.wait(timeout=30)
        elif step[0] == "alive":
            time.sleep(0.3)
            if proc.poll() is not None:
                problem = problem or "ended before %r" % (step,)
    try:
        proc.stdin.close()
    except OSError:  # the program has gone and the pipe with it
        pass
    try:
        proc.wait(timeout=60)
    finally:
        if proc.poll() is None:
            proc.kill()
    reader.join(timeout=5)
    stderr = proc.stderr.read()
    proc.stderr.close()
    proc.stdout.close()
    return Outcome(proc.returncode, bytes(console), stderr, problem)


def read_file(folder, name):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


def run_case(case, args):
    with tempfile.TemporaryDirectory(prefix="descstat-e2e-") as d:
        for name, content in case.files.items():
            with open(os.path.join(d, name), "wb") as f:
                f.write(content)
        if case.setup:
            case.setup(d)
        feeder = None
        if case.fifo:
            path = os.path.join(d, case.fifo[0])
            os.mkfifo(path)
            feeder = threading.Thread(target=feed_fifo, args=(path, case.fifo[1]), daemon=True)
            feeder.start()
        cmd = shlex.split(args.emulator) + [os.path.abspath(args.program)] + case.args
        if case.bash:
            cmd = ["bash", "-c", case.bash.replace("{prog}", shlex.quote(cmd[-1]))]
        if case.first_run is not None:
            subprocess.run(cmd, input=case.first_run, capture_output=True, cwd=d, timeout=60)
        before = sorted(os.listdir(d))
        kept = {n: read_file(d, n) for n in before if case.first_run is not None}

        def prepare():
            if case.limit_mb:
                size = case.limit_mb * 1024 * 1024
                resource.setrlimit(resource.RLIMIT_AS, (size, size))
            if case.stdout == "closed":
                os.close(1)

        # The locale is the case's own (none unless it sets one), never the caller's;
        # under Wine it stays Wine's, which maps file names by it.
        env = {k: v for k, v in os.environ.items()
               if args.windows or k not in ("LANG", "LC_ALL", "LC_CTYPE")}
        locale = case.locale() if callable(case.locale) else case.locale
        env.update({"LC_ALL": locale} if isinstance(locale, str) else locale or {})
        temp = os.path.join(d, "tmp")
        if case.temp_empty:
            os.mkdir(temp)
            env["TMPDIR"] = temp
        if case.shim_env:
            env.update(case.shim_env, LD_PRELOAD=os.path.abspath(args.shim))
            # The sanitizer runtime would otherwise insist on being loaded first.
            env["ASAN_OPTIONS"] = ":".join(
                filter(None, [env.get("ASAN_OPTIONS"), "verify_asan_link_order=0"]))
        start = lambda: launch(cmd, case, d, env, prepare)
        proc = start()
        if args.emulator and b"wine client error" in proc.stderr:
            # Wine itself failed to start the program: run it once more.
            proc = start()
        if feeder:
            feeder.join(timeout=5)

        eol = (lambda b: b.replace(b"\n", b"\r\n")) if args.windows else (lambda b: b)
        problems = []
        if proc.returncode != case.code:
            problems.append("exit code %d, expected %d" % (proc.returncode, case.code))
        if callable(case.stderr):
            if not case.stderr(proc.stderr):
                problems.append("standard error: %r" % proc.stderr[:300])
        elif proc.stderr != eol(case.stderr) and not args.emulator:
            problems.append("standard error: %r" % proc.stderr.decode(errors="replace"))
        elif eol(case.stderr) not in proc.stderr or (proc.stderr and proc.returncode != case.code):
            problems.append("standard error: %s" % proc.stderr.decode(errors="replace"))
        if proc.problem:
            problems.append(proc.problem)
        if case.temp_empty and os.listdir(temp):
            problems.append("temporary files left: %s" % os.listdir(temp))
        if callable(case.console):
            if not case.console(proc.stdout):
                problems.append("console %r" % proc.stdout[:200])
        elif case.stdout == "pipe" and proc.stdout != eol(case.console):
            problems.append("console %r\n   expected %r" % (proc.stdout, eol(case.console)))
        report_path = os.path.join(d, case.report_name)
        if case.report is None:
            made = sorted(set(os.listdir(d)) - set(before) - set(case.after) - {"tmp"})
            if made:
                problems.append("files made: %s" % made)
        elif not os.path.isfile(report_path):
            problems.append("no report file")
        else:
            with open(report_path, "rb") as f:
                got = f.read()
            if callable(case.report):
                if not case.report(got):
                    problems.append("report %r" % got[:300])
            elif got != eol(case.report) and case.report is not ANY_REPORT:
                problems.append("report %r\n   expected %r" % (got, eol(case.report)))
        for name, content in kept.items():
            if read_file(d, name) != content:
                problems.append("%r was changed" % name)
        if case.verify:
            problem = case.verify(d)
            if problem:
                problems.append(problem)
        for name, content in case.after.items():
            if not os.path.isfile(os.path.join(d, name)) or read_file(d, name) != content:
                problems.append("%s does not hold what it should" % name)
        for name in (n for n in case.untouched if n in case.files):
            with open(os.path.join(d, name), "rb") as f:
                if f.read() != case.files[name]:
                    problems.append("%s was changed" % name)
        return problems


# The groups of cases kept in modules of their own beside this script: each
# module's cases(h) builds its list from this module's helpers, passed as h.
CASE_MODULES = ("cases_outputs", "cases_input", "cases_escapes", "cases_console", "cases_rounding",
                "cases_progress", "cases_tables", "cases_statistics", "cases_compare",
                "cases_threads")


def module_groups():
    """The cases of each module in CASE_MODULES, named after it without "cases_"."""
    import importlib
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    groups = []
    for name in CASE_MODULES:
        if os.path.exists(os.path.join(sys.path[0], name + ".py")):
            module = importlib.import_module(name)
            groups.append((name.replace("cases_", "", 1), module.cases(sys.modules[__name__])))
    return groups


def case_groups():
    """Every case once, in named groups of about the same running time, so that
    a test runner can run the groups side by side (--group); each module of
    CASE_MODULES is a group of its own."""
    faults = [c for c in CASES if c.name.startswith("write fault")]
    summaries = [c for c in CASES if c.name.startswith("summary")]
    main = [c for c in CASES if c not in faults and c not in summaries]
    return [("main", main), ("write-faults", faults), ("summary", summaries),
            ("screen", SCREEN_CASES), ("form", FORM_CASES), ("listing", LISTING_CASES),
            ("machine", MACHINE_CASES + MACHINE_REFUSED), ("histogram", HISTOGRAM_CASES),
            ("plot", PLOT_CASES)] + module_groups()


def checked_run(case, args):
    """The problems of one run of a case; a broken case must not hide the others."""
    try:
        return run_case(case, args)
    except Exception:
        return [traceback.format_exc()]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--emulator", default="")
    parser.add_argument("--windows", action="store_true")
    parser.add_argument("-k", dest="select", default="")
    parser.add_argument("--exclude", action="append", default=[],
                        help="leave out the cases whose name holds this text (repeatable)")
    parser.add_argument("--require", default="",
                        help="skip every case (exit 77) when this tool is not installed")
    parser.add_argument("--shim", default="",
                        help="the fault-injection library; without it its cases are skipped")
    parser.add_argument("--skip-memory-limit", action="store_true",
                        help="leave out the case that needs an address-space limit")
    parser.add_argument("--group", action="append", default=[],
                        help="run only this group of cases (repeatable; see --list-groups)")
    parser.add_argument("--skip-group", action="append", default=[],
                        help="leave out this group of cases (repeatable)")
    parser.add_argument("--list-groups", action="store_true",
                        help="print the names of the groups of cases, one a line, and stop")
    args = parser.parse_args()
    groups = case_groups()
    if args.list_groups:
        print("\n".join(name for name, _ in groups))
        return 0
    unknown = set(args.group + args.skip_group) - {name for name, _ in groups}
    if unknown:
        parser.error("no group named %s" % ", ".join(sorted(unknown)))
    groups = [(name, cases) for name, cases in groups
              if (not args.group or name in args.group) and name not in args.skip_group]
    if args.require and shutil.which(args.require) is None:
        print("skipped: %s is not installed" % args.require)
        return 77

    chosen = [c for _, cases in groups for c in cases]
    chosen = [c for c in chosen
              if args.select in c.name and not any(e in c.name for e in args.exclude)]
    print("%d cases: %s" % (len(chosen), " ".join(name for name, _ in groups)), flush=True)
    passed = failed = skipped = 0
    failures = []
    for case in chosen:
        if ((case.limit_mb and args.skip_memory_limit) or (case.posix_only and args.windows)
                or (case.windows_only and not args.windows) or (case.shim_env and not args.shim)
                or (callable(case.terminal) and not args.windows and case.terminal() is None)
                or (callable(case.locale) and not args.windows and case.locale() is None)):
            print("skip  %s" % case.name, flush=True)
            skipped += 1
            continue
        if args.windows:
            case = copy.copy(case)
            case.__dict__.update(case.windows)
        problems = checked_run(case, args)
        if problems and args.emulator:
            # Wine now and then stumbles on a loaded machine (its server
            # starting late, a message of its own): a case is tried once more
            # there, and what went wrong the first time is still shown.
            print("again %s" % case.name)
            for p in problems:
                print("   " + p)
            problems = checked_run(case, args)
        print("%s  %s" % ("FAIL" if problems else "ok  ", case.name))
        for p in problems:
            print("   " + p)
        sys.stdout.flush()  # a line as each case ends, also into a pipe
        failed += bool(problems)
        passed += not problems
        if problems:
            failures.append(case.name)
    # Named again at the end, where a shortened log still shows them.
    for name in failures:
        print("failed: %s" % name)
    print("%d passed, %d failed, %d skipped" % (passed, failed, skipped))
    shutil.rmtree(LOCALES, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
