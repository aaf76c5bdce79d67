"""Text shown and written safely: the data's text in messages on standard
error never reaches the terminal as control characters, a Shift_JIS header
reads as Japanese on a UTF-8 terminal, tsv and csv hold no formula for a
spreadsheet, JSON holds only finite numbers, and the chart stays well-formed
XML whatever the file is named."""
import csv
import io
import json
import math
import os
import xml.etree.ElementTree as ET

SJIS_HEADER = "温度,湿度\n1,2\n".encode("cp932")
# A terminal title sequence, and the CSI of a C1 control in UTF-8.
TITLE = b"\x1b]0;pwned\x07"
NOT_NUMBER = "' holds no number: read as nan"


def fs(name):
    """A file name of any bytes, as the harness passes it."""
    return name.decode("utf-8", "surrogateescape")


def no_raw_controls(err):
    """Standard error holds no control byte but the line ends."""
    return not any(b < 0x20 and b not in b"\r\n" or b == 0x7F for b in err)


def stderr_is(expected):
    return lambda err: err.replace(b"\r\n", b"\n") == expected and no_raw_controls(err)


def field_named(h, name, terminal, expected_names, **kw):
    """A header line that does not hold the field asked for, its names shown
    on standard error under the terminal's locale."""
    message = (b"descstat: To find the field in input data file failed: data.txt: no field "
               b"named 'Temp' (the header line names " + expected_names + b")\n")
    return h.Case(name, terminal=terminal, posix_only=True,
                  args=["-pH", "-t,", "-f", "Temp", "data.txt"], files={"data.txt": SJIS_HEADER},
                  stdin=b"", console=b"", code=9, stderr=stderr_is(message), **kw)


def machine_names(fmt, expected_first_fields):
    """The first field of every row after the header."""
    def check(out):
        text = out.decode("utf-8").replace("\r\n", "\n")
        rows = list(csv.reader(io.StringIO(text), delimiter="," if fmt == "csv" else "\t"))[1:]
        return [r[0].encode() for r in rows] == expected_first_fields
    return check


FORMULA_FILES = ["=1+2.txt", "+1.txt", "-x.txt", "@SUM(A1).txt", "-1.5", "1e5"]
FORMULA_SHOWN = [b"'=1+2.txt", b"'+1.txt", b"'-x.txt", b"'@SUM(A1).txt", b"-1.5", b"1e5"]


def finite_edges(out):
    """Every edge of the JSON histogram a finite number, the ones beyond the
    doubles' range at the largest double of their sign."""
    def refuse(constant):
        raise ValueError("not JSON: " + constant)
    row = json.loads(out, parse_constant=refuse)
    edges = [e for low, high, _ in row["histogram"] for e in (low, high)]
    return (all(math.isfinite(e) for e in edges)
            and edges[0] == -1.7976931348623157e308 and edges[-1] == 1.7976931348623157e308
            and row["histogram"][0][2] == 1 and row["histogram"][-1][2] == 1)


def chart_title(expected):
    """The chart parses as XML and its title is the expected text."""
    def check(folder):
        with open(os.path.join(folder, "chart.svg"), "rb") as f:
            svg = f.read()
        try:
            root = ET.fromstring(svg)
        except ET.ParseError as e:
            return "the chart is no XML: %s" % e
        titles = [t.text for t in root.iter("{http://www.w3.org/2000/svg}text")
                  if t.get("class") == "title"]
        return None if titles == [expected] else "title %r, expected %r" % (titles, expected)
    return check


def posix_only(case):
    case.posix_only = True
    return case


def cases(h):
    return [
        # A field that would retitle the terminal or clear it.
        h.form("escapes: a field that writes terminal escapes", [],
               b"/\n" + TITLE + b"\n5\n\x7f\x1b[2J\n/\n", [h.NAN, 5.0, h.NAN],
               warnings=stderr_is(h.warn("data.txt", 2, "'\\x1b]0;pwned\\x07" + NOT_NUMBER)
                                  + h.warn("data.txt", 4, "'\\x7f\\x1b[2J" + NOT_NUMBER))),
        posix_only(h.form("escapes: a C1 control in UTF-8", [], b"/\n\xc2\x9b2J\n/\n", [h.NAN],
                          warnings=stderr_is(h.warn("data.txt", 2, "'\\xc2\\x9b2J" + NOT_NUMBER)))),
        posix_only(h.form("escapes: bytes that are no text, with -t and quotes", ["-t,"],
                          b'/\n"\xff\x1b",1\n', [h.NAN],
                          warnings=stderr_is(h.warn("data.txt", 2, "'\\xff\\x1b" + NOT_NUMBER)))),
        # File names in warnings and failures.
        h.Case("escapes: a file name with an escape in a warning", posix_only=True,
               args=[fs(b"a\x1b[2Jb.txt")], files={fs(b"a\x1b[2Jb.txt"): b"/\nx\n/\n"}, stdin=b"",
               untouched=(), report=None, console=lambda out: True,
               stderr=stderr_is(b"descstat: a\\x1b[2Jb.txt:2: 'x" + NOT_NUMBER.encode() + b"\n")),
        h.Case("escapes: a file name with an escape in a failure", posix_only=True,
               **h.argument_failure([fs(b"\x1b]0;x\x07.txt")],
                                    b"To open input data file failed: \\x1b]0;x\\x07.txt: "
                                    b"No such file or directory")),
        h.Case("escapes: a file name with an escape in a machine row's error", posix_only=True,
               args=["-F", "json", fs(b"\x1b.txt")], stdin=b"", code=9, report=None,
               console=lambda out: json.loads(out)["error"]
               == "To open input data file failed: \\x1b.txt: No such file or directory",
               stderr=lambda err: no_raw_controls(err)),
        # A Shift_JIS header: its names read as Japanese where the terminal
        # shows Japanese, and escaped where it cannot.
        field_named(h, "escapes: Shift_JIS header names on a UTF-8 terminal", "C.UTF-8",
                    "'温度' and '湿度'".encode("utf-8")),
        field_named(h, "escapes: Shift_JIS header names under the C locale", "C",
                    "'温度' and '湿度'".encode("utf-8")),
        field_named(h, "escapes: Shift_JIS header names on an EUC-JP terminal", h.EUC_JP,
                    "'温度' and '湿度'".encode("euc_jp")),
        field_named(h, "escapes: Shift_JIS header names on a Latin-1 terminal", h.LATIN_1,
                    b"'\\xe6\\xb8\\xa9\\xe5\\xba\\xa6' and '\\xe6\\xb9\\xbf\\xe5\\xba\\xa6'"),
        # Names a spreadsheet would take for formulas get an apostrophe.
        h.Case("escapes: csv names that look like formulas",
               args=["-F", "csv", "-p", "--"] + FORMULA_FILES,
               files={n: b"1\n2\n" for n in FORMULA_FILES}, untouched=(), stdin=b"", report=None,
               console=machine_names("csv", FORMULA_SHOWN)),
        h.Case("escapes: tsv names that look like formulas",
               args=["-F", "tsv", "-p", "--"] + FORMULA_FILES,
               files={n: b"1\n2\n" for n in FORMULA_FILES}, untouched=(), stdin=b"", report=None,
               console=machine_names("tsv", FORMULA_SHOWN)),
        h.Case("escapes: a csv formula quoted as well", posix_only=True,
               args=["-F", "csv", "-p", '=HYPERLINK("x",1).txt'],
               files={'=HYPERLINK("x",1).txt': b"1\n"}, untouched=(), stdin=b"", report=None,
               console=lambda out: machine_names("csv", [b"'=HYPERLINK(\"x\",1).txt"])(out)
               and b'\n"\'=HYPERLINK(""x"",1).txt",' in out),
        h.Case("escapes: JSON names stay as they are", args=["-F", "json", "-p", "--", "=1+2.txt"],
               files={"=1+2.txt": b"1\n"}, untouched=(), stdin=b"", report=None,
               console=lambda out: json.loads(out)["file"] == "=1+2.txt"),
        # Histogram edges beyond the doubles' range.
        h.Case("escapes: JSON histogram edges beyond the largest double",
               args=["-F", "json", "--histogram", "data.txt"],
               files={"data.txt": b"/\n1.7e308\n-1.7e308\n/\n"}, stdin=b"", report=None,
               console=finite_edges),
        # The chart's title: what XML cannot hold is left out, other bytes
        # that are no UTF-8 become U+FFFD.
        h.Case("escapes: chart of a file named with U+FFFE and U+FFFF", posix_only=True,
               args=["--plot=chart.svg", fs(b"a\xef\xbf\xbeb\xef\xbf\xbf.txt"), "-"],
               files={fs(b"a\xef\xbf\xbeb\xef\xbf\xbf.txt"): h.WORKED_DATA}, untouched=(),
               stdin=b"", report_name="chart.svg", report=lambda svg: True,
               console=lambda out: True, verify=chart_title("ab.txt")),
        h.Case("escapes: chart of a file named with controls, a surrogate and stray bytes",
               posix_only=True,
               args=["--plot=chart.svg", fs(b"a\x01\x1b\tb\xed\xa0\x80c\xffd&<.txt"), "-"],
               files={fs(b"a\x01\x1b\tb\xed\xa0\x80c\xffd&<.txt"): h.WORKED_DATA}, untouched=(),
               stdin=b"", report_name="chart.svg", report=lambda svg: True,
               console=lambda out: True, verify=chart_title("a\tbc\ufffdd&<.txt")),
    ]
