"""Tables: files without a marker line, read as rows of cells. Every number
is checked against exact fractions over the decimals as written, the cells
split by Python's csv module; the text table's layout is rebuilt here from
the rows (display widths, wrapping at 80 columns)."""
import csv
import io
import os
import re
import unicodedata
from decimal import Decimal
from fractions import Fraction

MISSING = {"", "NA", "N/A", "NaN", "nan", "-", "#N/A", "null", "NULL", "."}
NUMBER = re.compile(r"[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\Z")
KEYS = ["mean", "variance", "sd", "unbiased_variance", "unbiased_sd"]
EN = ["Count", "Mean", "Variance", "SD", "Unbiased variance", "SD(unbiased variance)", "Missing"]
JA = ["個数", "平均値", "分散", "SD", "不偏分散", "SD(不偏分散)", "欠損値"]

# R: write.csv(head(faithful, 12)), row names and all.
FAITHFUL = b'"","eruptions","waiting"\n' + b"".join(
    b'"%d",%s,%s\n' % (k + 1, e, w) for k, (e, w) in enumerate(
        [(b"3.6", b"79"), (b"1.8", b"54"), (b"3.333", b"74"), (b"2.283", b"62"),
         (b"4.533", b"85"), (b"2.883", b"55"), (b"4.7", b"88"), (b"3.6", b"85"),
         (b"1.95", b"51"), (b"4.35", b"85"), (b"1.833", b"54"), (b"3.917", b"84")]))
# R: write.csv of airquality's first days of May and June, NA and all.
AIR = b"""\"","Ozone","Solar.R","Wind","Temp","Month","Day"
"1",41,190,7.4,67,5,1
"2",36,118,8,72,5,2
"3",12,149,12.6,74,5,3
"4",18,313,11.5,62,5,4
"5",NA,NA,14.3,56,5,5
"6",28,NA,14.9,66,5,6
"7",23,299,8.6,65,5,7
"32",NA,286,8.6,78,6,1
"33",NA,287,9.7,74,6,2
"34",NA,242,16.1,67,6,3
"38",29,127,9.7,82,6,7
"40",71,291,13.8,90,6,9
"""
# A Japanese spreadsheet's CSV: Shift_JIS, CR LF, an empty cell.
CLASS = ("氏名,性別,学年,身長,体重\r\n山田,男,1,171.3,62.5\r\n佐藤,女,1,158.2,50.1\r\n"
         "鈴木,男,2,175.0,70.3\r\n高橋,女,2,162.4,\r\n田中,男,1,168.1,60.0\r\n"
         "伊藤,女,2,155.9,48.7\r\n中村,女,1,160.5,53.2\r\n").encode("cp932")
# "CSV UTF-8" with its byte order mark; "Unicode text": UTF-16 LE, tabs.
SCORES = "\ufeff番号,氏名,得点\r\n1,山田,78\r\n2,佐藤,85\r\n3,鈴木,\r\n4,高橋,92\r\n".encode()
PREFECTURES = "\ufeff都道府県\t人口(千人)\t面積(km2)\r\n" + "".join(
    "%s\t%s\t%s\r\n" % r for r in [("北海道", "5140", "83424.44"), ("青森県", "1204", "9645.64"),
                                   ("岩手県", "1181", "15275.01"), ("宮城県", "2280", "7282.29"),
                                   ("秋田県", "930", "11637.52")])
UTF16 = PREFECTURES.encode("utf-16-le")
# A German spreadsheet: semicolons, decimal commas, dates with points.
WEATHER = ("Datum;Temperatur (°C);Niederschlag (mm)\r\n01.05.2023;12,5;0\r\n"
           "02.05.2023;14,1;2,3\r\n03.05.2023;-;0,4\r\n04.05.2023;-1,5;12\r\n").encode()
# Short rows, a row with a remark beyond the header, an empty row, blank lines.
RAGGED = b"station,temp,humidity\nA,21.5,40\nB,22.0\nC,20.5,45,checked\n\n,,\nD,19.25,50\n\n\n"
# A logger's export: a header line of 5,009 bytes, rows of about 2,600.
SENSORS = 455
WIDE = ("time," + ",".join("sensor_%03d" % k for k in range(1, SENSORS + 1)) + "\n"
        + "".join("12:00:0%d," % r + ",".join("%d.%02d" % (k % 40, (k * r * 37) % 100)
                                              for k in range(1, SENSORS + 1)) + "\n"
                  for r in range(1, 4))).encode()
# A point between the cells: each number's fraction is the next cell, which
# a number read past its cell would take in (rows past the first block's
# sample are read where they lie).
POINTED = ("id.whole.frac\n" + "".join("%d.%d.%02d\n" % (i, (i * 37) % 1000 - 500, i % 100)
                                      for i in range(3000))).encode()
MATRIX = b"  1.5   2\n  3.25  4\n  x     5\n  6     7\n"
YEARS = b"2019 2020 2021\n12 15 11\n14 13 17\n"
# Commas split every line alike, but the separator is |.
PRICES = b"Preis, EUR|Menge\n1,5|2\n3,25|4\n"
NA_FIRST = b"NA,NA\n1.5,2\n3,4.5\n"
WEIGHTS = b"sample,weight (g)\nA,12.5\nB,13\nC,NA\nD,11.75\n"
EXAM = (b"student,score,remark\nS01,78,\nS02,81,sick\nS03,absent,\nS04,91,2\nS05,66,late\n"
        b"S06,NA,\n")
ABSENT = b"student,score\n" + b"".join(
    b"S%02d,%s\n" % (k, b"absent" if k % 2 else b"%d" % (50 + k)) for k in range(1, 27))


def number(cell, comma=False):
    """The decimal a cell holds as written (None: missing or no number)."""
    cell = cell.strip()
    if comma:
        cell = cell.replace(",", ".")
    return cell if NUMBER.match(cell) else None


def parse(data, sep, encoding, header):
    """The names and the rows of a table: rows of no cells left out, short
    rows filled with empty cells, fields beyond the header named by number."""
    text = data.decode(encoding)
    if sep == " ":
        rows = [line.split() for line in text.splitlines()]
    else:
        rows = list(csv.reader(io.StringIO(text, newline=""), delimiter=sep))
    rows = [r for r in rows if any(c.strip() for c in r)]
    names = rows.pop(0) if header else []
    width = max(len(r) for r in rows + [names])
    names += [str(i + 1) for i in range(len(names), width)]
    return names, [r + [""] * (width - len(r)) for r in rows]


def result_sets(data, sep=",", fields=None, groups=(), encoding="utf-8", comma=False, header=True):
    """(field, group label, decimals as written, missing) of every result set."""
    names, body = parse(data, sep, encoding, header)
    at = [names.index(g) for g in groups]

    def numeric(i):
        kept = [r[i] for r in body if r[i].strip() not in MISSING]
        count = sum(number(c, comma) is not None for c in kept)
        return count >= 1 and 2 * count > len(kept)
    if fields is None:
        fields = [n for i, n in enumerate(names)
                  if i not in at and not (i == 0 and n == "") and numeric(i)]
    sets = []
    for field in fields:
        i = names.index(field)
        found = {}
        for r in body:
            texts, missing = found.setdefault(" / ".join(r[j].strip() for j in at), ([], [0]))
            t = number(r[i], comma)
            if t is None:
                missing[0] += 1
            else:
                texts.append(t)
        sets += [(field, g, texts, m[0]) for g, (texts, m) in found.items()]
    return sets


def doubles(h, texts):
    """The decimals as doubles whose shortest decimals are those written, so
    that the helpers' exact arithmetic is over the numbers as written."""
    values = [float(t) for t in texts]
    assert all(h.written(v) == Fraction(Decimal(t)) for v, t in zip(values, texts))
    return values


def rows_check(h, fmt, name, sets, summary=False, plain=False):
    """Standard output: the header, then a row per result set in order, each
    number the exact oracle's double bit for bit."""
    head = ["file"] + ([] if plain else ["field", "group"]) + ["n"] + KEYS
    head += ([] if plain else ["missing"]) + (h.SUMMARY_KEYS if summary else []) + ["error"]

    def check(out):
        out = out.replace(b"\r\n", b"\n")  # a Windows program's text line ends
        rows = h.parsed_rows(fmt, out)
        if fmt == "json" and any(list(r) != head[:-1] for r in rows):
            return False
        if fmt != "json" and out.split(b"\n")[0] != ("\t" if fmt == "tsv" else ",").join(
                head).encode():
            return False
        if len(rows) != len(sets):
            return False
        for row, (field, group, texts, missing) in zip(rows, sets):
            values = doubles(h, texts)
            want = h.results(values) + (h.summary(values) if summary else [])
            if row["file"] != name or int(row["n"]) != len(values) or row.get("error", "") != "":
                return False
            if not plain and (row["field"], row["group"], int(row["missing"])) != (
                    field, group, missing):
                return False
            keys = KEYS + (h.SUMMARY_KEYS if summary else [])
            if not all(h.same_number(fmt, row[k], w) for k, w in zip(keys, want)):
                return False
        return True
    return check


def width(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def table_report(h, name, sets, labels=EN, grouped=False, encoding="utf-8", columns=80):
    """The text report of several result sets: the labels' column, then a
    column per set, right-aligned, two blanks apart, wrapped at 80 columns
    (or the terminal's)."""
    cols = []
    for field, group, texts, missing in sets:
        exact = h.exact_results(doubles(h, texts))
        cells = [str(len(texts))] + [h.rounded_once(r, 6) for r in exact] + [str(missing)]
        head = [field] + ([group] if grouped else [])
        cols.append((head, cells, max(width(c) for c in head + cells)))
    left = max(width(t) for t in labels)
    pad = lambda t, w: " " * (w - width(t)) + t
    blocks, used = [[]], left
    for col in cols:
        if blocks[-1] and used + 2 + col[2] > columns:
            blocks, used = blocks + [[]], left
        blocks[-1].append(col)
        used += 2 + col[2]
    lines = ["Input data file = " + name]
    for block in blocks:
        lines.append("")
        for k in range(1 + grouped):
            lines.append(" " * left + "".join("  " + pad(c[0][k], c[2]) for c in block))
        for k, label in enumerate(labels):
            lines.append(label + " " * (left - width(label))
                         + "".join("  " + pad(c[1][k], c[2]) for c in block))
    return ("\n".join(lines) + "\n").encode(encoding)


def one_set(h, name, values, field=None, missing=0):
    """The report of a single result set in English: the field line when the
    field was chosen among several, the missing line when any is missing."""
    text = h.report(name, values, english=True)
    if field is not None:
        text = text.replace(b"Data...", b"Field = " + field.encode() + b"\nData...", 1)
    return text + (b"Missing = %d\n" % missing if missing else b"")


def run(h, name, args, data, console, stdin=False, stderr=b"", code=0, file="data.csv"):
    shown = "-" if stdin else file
    files = {} if stdin else {file: data}
    return h.Case("table: " + name, args=list(args) + [shown], files=files,
                  untouched=tuple(files), stdin=data if stdin else b"", console=console,
                  report=None, stderr=stderr, code=code, posix_only=stdin)


def failing(h, name, args, data, message):
    return run(h, name, args, data, b"", code=9, stderr=("descstat: " + message + "\n").encode())


def machine(h, name, args, data, fmt, expected, plain=False, **kw):
    """A machine run whose rows must be the expected result sets'."""
    shown = "-" if kw.get("stdin") else "data.csv"
    return run(h, name, ["-F", fmt] + args, data, rows_check(
        h, fmt, shown, expected, summary="-s" in args, plain=plain), **kw)


def ten_then_more(h, err, absent):
    """Ten warnings, then the line that counts the rest."""
    lines = err.split(b"\n")
    return (lines[:10] == [h.warn("data.csv", k, absent)[:-1] for k in range(2, 22, 2)]
            and lines[10].startswith(b"descstat: data.csv: 3 more ") and err.count(b"\n") == 11)


def chart_of_sets(h, expected):
    """The chart of several result sets: a row each, labelled with its field
    and group, with one box and its mean at the oracle's double."""
    def check(folder):
        import xml.etree.ElementTree as ET
        with open(os.path.join(folder, "chart.svg"), "rb") as f:
            root = ET.fromstring(f.read())
        ns = "{http://www.w3.org/2000/svg}"
        labels = [t.text for t in root.iter(ns + "text") if t.get("class") == "set"]
        boxes = [r for r in root.iter(ns + "rect") if r.get("class") == "box"]
        means = [float(m.get("data-value")) for m in root.iter(ns + "line")
                 if m.get("class") == "mean"]
        want = [h.results(doubles(h, texts))[0] for _, _, texts, _ in expected]
        if labels != ["%s / %s" % (f, g) for f, g, _, _ in expected]:
            return "labels %r" % labels
        if len(boxes) != len(expected) or means != want:
            return "boxes %d, means %r, expected %r" % (len(boxes), means, want)
        return None
    return check


def cases(h):
    sets = result_sets
    class_ja = sets(CLASS, fields=["身長", "体重"], groups=["性別"], encoding="cp932")
    absent = "'absent' in column 'score' is no number: counted as missing"
    # Three values a group, the mean apart from the median.
    marked = (b"sex,h,w\nm,171.3,62.5\nf,158.2,50.1\nm,180,71.25\nf,162.5,55\nm,165,60\n"
              b"f,150,48.5\n")
    return [
        # A marker file takes fields and groups too, from its value lines.
        machine(h, "groups of a marker file", ["-H", "-t", ",", "-g", "sex", "-f", "h,w"],
                b"Survey\n/\n" + marked + b"/\n", "tsv",
                sets(marked, fields=["h", "w"], groups=["sex"])),
        # The chart: a box plot per result set on one axis.
        h.Case("table: the chart of several result sets", args=["--plot=chart.svg", "-g", "sex",
                                                               "data.csv", "r.txt"],
               files={"data.csv": marked}, stdin=b"", console=b"", report_name="r.txt",
               report=lambda r: True,
               verify=chart_of_sets(h, sets(marked, fields=["h", "w"], groups=["sex"]))),
        # R's write.csv: the row names' column is left out.
        *[machine(h, "R's faithful, every numeric column, " + fmt, [], FAITHFUL, fmt,
                  sets(FAITHFUL)) for fmt in ("tsv", "csv", "json")],
        machine(h, "R's faithful with the summary", ["-s"], FAITHFUL, "csv", sets(FAITHFUL)),
        run(h, "R's faithful, the report table in English", ["-L", "en"], FAITHFUL,
            table_report(h, "data.csv", sets(FAITHFUL))),
        # NA is missing, counted, without a word.
        machine(h, "airquality with NA", [], AIR, "tsv", sets(AIR)),
        machine(h, "airquality from standard input, one group field", ["-t", ",", "-f",
                "Ozone,Temp", "-g", "Month"], AIR, "json",
                sets(AIR, fields=["Ozone", "Temp"], groups=["Month"]), stdin=True),
        *[machine(h, "airquality, fields " + " ".join(f), f, AIR, "tsv",
                  sets(AIR, fields=["Ozone", "Wind", "Temp"]))
          for f in (["-f", "2,4-5"], ["-f", "2", "-f", "Wind,5"])],
        machine(h, "airquality, fields in the order asked", ["-f", "Temp,2"], AIR, "csv",
                sets(AIR, fields=["Temp", "Ozone"])),
        run(h, "airquality by month, the report wrapped at 80 columns", ["-L", "en", "-g",
            "Month"], AIR, table_report(h, "data.csv", sets(AIR, groups=["Month"]),
                                        grouped=True)),
        # On a terminal the table wraps at its width (a pseudo-terminal of 200
        # and of 80 columns; Japanese labels take two columns each).
        *[h.Case("table: on a terminal of %d columns" % cols, args=["-g", "Month", "data.csv"],
                 files={"data.csv": AIR}, stdin=b"", report=None, posix_only=True,
                 terminal={"LC_ALL": "C.UTF-8", "LANG": "C.UTF-8", "_columns": str(cols)},
                 console=table_report(h, "data.csv", sets(AIR, groups=["Month"]), labels=JA,
                                      grouped=True, columns=cols))
          for cols in (200, 80)],
        run(h, "one field asked for: the old report and its missing count",
            ["-L", "en", "-f", "Ozone"], AIR,
            one_set(h, "data.csv", doubles(h, sets(AIR, fields=["Ozone"])[0][2]), missing=4)),
        run(h, "one numeric column among others: the field named", ["-L", "en"], WEIGHTS,
            one_set(h, "data.csv", h.WORKED_VALUES, field="weight (g)", missing=1)),
        # Shift_JIS names typed in UTF-8; one and two group fields.
        *[machine(h, "Shift_JIS, -f 身長 -g 性別, " + fmt, ["-f", "身長", "-g", "性別"], CLASS,
                  fmt, sets(CLASS, fields=["身長"], groups=["性別"], encoding="cp932"))
          for fmt in ("tsv", "json")],
        machine(h, "Shift_JIS, two group fields", ["-g", "性別,学年"], CLASS, "csv",
                sets(CLASS, groups=["性別", "学年"], encoding="cp932")),
        run(h, "Shift_JIS, the report table in Japanese, UTF-8", ["-e", "utf-8", "-f",
            "身長,体重", "-g", "性別"], CLASS,
            table_report(h, "data.csv", class_ja, labels=JA, grouped=True)),
        # Byte order marks: no part of the first name; UTF-16 decoded.
        machine(h, "CSV UTF-8 with its byte order mark", [], SCORES, "json",
                sets(SCORES, encoding="utf-8-sig")),
        machine(h, "UTF-16 LE Unicode text, tabs", [], UTF16, "json",
                sets(UTF16, sep="\t", encoding="utf-16")),
        machine(h, "UTF-16 LE, a field by its Japanese name", ["-f", "面積(km2)"], UTF16, "tsv",
                sets(UTF16, sep="\t", encoding="utf-16", fields=["面積(km2)"]), plain=True),
        # Decimal commas: found, and asked for (the separator is then ;).
        machine(h, "semicolons and decimal commas", [], WEATHER, "tsv",
                sets(WEATHER, sep=";", comma=True)),
        machine(h, "--decimal-comma on a list", ["--decimal-comma"], b"12,5\n13\n11,75\n", "csv",
                [("", "", ["12.5", "13", "11.75"], 0)], plain=True),
        machine(h, "-t | with --decimal-comma", ["-t", "|", "--decimal-comma"], PRICES, "tsv",
                sets(PRICES, sep="|", comma=True)),
        # Rows of any shape and length.
        machine(h, "-t . : a point between the cells, not in the numbers",
                ["-t", ".", "-f", "whole"], POINTED, "tsv",
                sets(POINTED, sep=".", fields=["whole"]), plain=True),
        machine(h, "ragged rows, an empty row, blank lines at the end", [], RAGGED, "csv",
                sets(RAGGED)),
        machine(h, "a 5,000-byte header line", [], WIDE, "tsv", sets(WIDE)),
        # Header lines: none found, forced, refused.
        machine(h, "blank-separated numbers without a header", [], MATRIX, "tsv",
                sets(MATRIX, sep=" ", header=False),
                stderr=h.warn("data.csv", 3, "'x' in field 1 is no number: counted as missing")),
        machine(h, "-H: a header line of years", ["-H"], YEARS, "tsv", sets(YEARS, sep=" ")),
        machine(h, "--no-header: a first row of NA", ["--no-header"], NA_FIRST, "json",
                sets(NA_FIRST, header=False)),
        # Warnings: a column not read, cells counted as missing, ten at most.
        machine(h, "text in columns of numbers", [], EXAM, "tsv", sets(EXAM),
                stderr=h.warn("data.csv", 3, "column 'remark' holds text ('sick' here) among "
                              "its numbers: not read (-f 3 reads its numbers)")
                + h.warn("data.csv", 4, absent)),
        machine(h, "ten warnings, then how many more", ["-f", "score"], ABSENT, "tsv",
                sets(ABSENT, fields=["score"]), plain=True,
                stderr=lambda err: ten_then_more(h, err.replace(b"\r\n", b"\n"), absent)),
        # Failures.
        *[failing(h, "no column holds numbers" + t, a, b"city,country\nParis,France\n"
                  b"Tokyo,Japan\n", "To find numbers in input data file failed: data.csv: "
                  "no column holds numbers; the columns are " + n)
          for t, a, n in [(", -H", ["-H"], "'city' ('Paris' first) and 'country' ('France' "
                           "first)"),
                          ("", [], "'1' ('city' first) and '2' ('country' first)")]],
        failing(h, "no field of that name", ["-f", "weight"], b"name,v\nA,1\nB,2\n",
                "To find the field in input data file failed: data.csv: no field named "
                "'weight' (the header line names 'name' and 'v')"),
    ]
