"""End-to-end cases: the data file's rules. No value is made up and none is
lost without a word: a field beyond a line's fields, a separated field that
is not wholly a number (decimal commas), CR line ends, a quoted field over
several lines, a folder named as the data, a field name the header line
holds twice. The dialogue without options reads as it always has."""

NAN = float("nan")
CR_NOTE = "CR line ends (each lone CR ends a line)"
# Old Mac line ends: a marker file, and a plain list.
MAC_MARKED = b"Sample weights\r/\r12.5\r13.0   first sample\r11.75\r/\rtrailer\r"
MAC_PLAIN = b"1\r2\r3\r"
# A spreadsheet's CSV with line breaks typed in cells: in a note, in a name.
MULTI_LINE = (b'"Weight\n(kg)",Note\r\n12.5,"first\r\nsample"\r\n13,"two\n\nbreaks, ""and"" '
              b'a quote"\r\n11.75,\r\n')
UNCLOSED = b"v,note\n1,x\n2,\"an open\nquote\n3,y\n"
UNCLOSED_AT = "To read input data file failed: %sa quoted field opened on line 3 is not closed."
EUROPEAN = b"x;y\n5,1;2\n12kg;3\n3 4;4\n 7 ;5\n\"8\";6\n"


def record_of(size):
    """A value line of `size` bytes whose first field, quoted, spans two lines
    and whose second is 5."""
    return b'"' + b"1" * 600 + b"\n" + b"2" * (size - 605) + b'",5'


def cr_note(h, name):
    return ("descstat: %s: %s\n" % (name, CR_NOTE)).encode()


def field_cases(h):
    """Fields a separator splits: beyond the line, and wholly numbers or none."""
    bonus = b"name,score,bonus\nA,10\nB,20,5\n"
    return [
        # A marker file's separated fields: a field is a number only when it
        # is wholly one (a table finds decimal commas; a marker file does not).
        h.form("input: a field beyond a separated line's fields holds no number",
               ["-H", "-t", ",", "-f", "bonus"], b"/\n" + bonus, [NAN, 5.0],
               warnings=h.warn("data.txt", 3, "the line has no field 3: read as nan")),
        h.form("input: a field beyond a separated line's fields, left out",
               ["-H", "-t", ",", "-f", "3", "--skip-invalid"], b"/\n" + bonus, [5.0],
               warnings=h.warn("data.txt", 3, "the line has no field 3: left out")),
        h.form("input: decimal commas hold no number", ["-H", "-t", ";"], b"/\n" + EUROPEAN,
               [NAN, NAN, NAN, 7.0, 8.0],
               warnings=h.warn("data.txt", 3, "'5,1' holds no number: read as nan")
               + h.warn("data.txt", 4, "'12kg' holds no number: read as nan")
               + h.warn("data.txt", 5, "'3 4' holds no number: read as nan")),
        h.form("input: decimal commas left out", ["-H", "-t", ";", "--skip-invalid"],
               b"/\n" + EUROPEAN, [7.0, 8.0],
               warnings=h.warn("data.txt", 3, "'5,1' holds no number: left out")
               + h.warn("data.txt", 4, "'12kg' holds no number: left out")
               + h.warn("data.txt", 5, "'3 4' holds no number: left out")),
        # Blank-separated fields keep the data file's rule: text may follow.
        h.form("input: blank-separated fields still read the number at the start", [],
               b"/\n2kg\n5,1\n", [2.0, 5.0],
               warnings=h.warn("data.txt", 2, "'2kg' read as 2")
               + h.warn("data.txt", 3, "'5,1' read as 5")),
        h.Case("input: a field name the header line holds twice",
               args=["-p", "-H", "-t", ",", "-f", "x", "data.txt"],
               files={"data.txt": b"x,y,z,x\n1,2,3,4\n"}, stdin=b"", console=b"", code=9,
               stderr=b"descstat: To find the field in input data file failed: data.txt: "
                      b"'x' names fields 1 and 4 of the header line\n"),
        h.form("input: a name twice that is not asked for does no harm",
               ["-p", "-H", "-t", ",", "-f", "z"], b"x,z,x\n1,2,3\n4,5,6\n", [2.0, 5.0]),
    ]


def cr_cases(h):
    """Lone CR line ends: lines in the argument run, machine formats and with
    data options; the dialogue alone keeps the reader's own rule."""
    return [
        h.form("input: CR line ends from a pipe", ["-p"], MAC_PLAIN, [1.0, 2.0, 3.0],
               warnings=cr_note(h, "-"), stdin=True),
        h.Case("input: CR line ends in a marker file, the report file byte for byte",
               **h.by_arguments(["data.txt", "report.txt"], files={"data.txt": MAC_MARKED},
                                stderr=cr_note(h, "data.txt"))),
        h.Case("input: CR line ends in a machine format",
               args=["-F", "tsv", "data.txt"], files={"data.txt": MAC_MARKED}, stdin=b"",
               report=None, stderr=cr_note(h, "data.txt"),
               console=h.machine_check("tsv", [("data.txt", h.WORKED_VALUES, None)])),
        h.form("input: CR LF is one line end, no CR note", ["-f", "1"], b"/\r\n1\r\n\r\n2\r\n",
               [1.0, NAN, 2.0],
               warnings=h.warn("data.txt", 3, "an empty line holds no number: read as nan")),
        h.Case("input: the dialogue with a data option reads CR line ends", args=["-p"],
               **h.data_only(MAC_PLAIN, [1.0, 2.0, 3.0])),
        # The reader's own rule: the lone CRs inside a line are dropped, so the
        # file is one marker line and the section is empty.
        h.Case("input: the dialogue without options keeps its CR rule",
               **h.data_only(b"/\r1\r2\r/\r", [])),
        h.Case("input: the dialogue without options, an old Mac marker file",
               **h.data_only(MAC_MARKED, code=9, report=b"Input data file = data.txt\n\n",
                             console=h.failure(
                                 "To find numbers in input data file failed: no column holds "
                                 "numbers; the columns are '1' ('Sample' first), '2' "
                                 "('weights/12.513.0' first), '3' ('first' first) and '4' "
                                 "('sample11.75/trailer' first)"))),
    ]


def quote_cases(h):
    """Quoted fields over several lines, and a quote nothing closes."""
    return [
        h.form("input: a quoted field over lines is one value line",
               ["-H", "-t", ","], b"/\n" + MULTI_LINE, [12.5, 13.0, 11.75]),
        h.form("input: a header name over lines, asked for by name",
               ["-p", "-H", "-t", ",", "-f", "Weight\n(kg)"], MULTI_LINE, [12.5, 13.0, 11.75]),
        h.form("input: warnings number a value line by its first line",
               ["-t", ",", "-f", "2"], b'/\n"1\n2",a\n"x\ny",b\n3,4\n', [NAN, NAN, 4.0],
               warnings=h.warn("data.txt", 2, "'a' holds no number: read as nan")
               + h.warn("data.txt", 4, "'b' holds no number: read as nan")),
        h.form("input: a table's warnings number a row by its first line",
               ["-p", "--no-header", "-t", ",", "-f", "2"], b'"1\n2",a\n"x\ny",b\n3,4\n', [4.0], missing=2,
               warnings=h.warn("data.txt", 1, "'a' in field 2 is no number: counted as missing")
               + h.warn("data.txt", 3, "'b' in field 2 is no number: counted as missing")),
        h.Case("input: a quoted field over lines in a machine format",
               args=["-F", "json", "-p", "-H", "-t", ",", "data.txt"],
               files={"data.txt": MULTI_LINE}, stdin=b"", report=None,
               console=h.machine_check("json", [("data.txt", h.WORKED_VALUES, None)])),
        h.Case("input: a quote not closed", args=["-p", "-H", "-t", ",", "data.txt"],
               files={"data.txt": UNCLOSED}, stdin=b"", console=b"", code=9,
               stderr=b"descstat: " + (UNCLOSED_AT % "data.txt: ").encode() + b"\n"),
        h.Case("input: a quote not closed, from a pipe", args=["-p", "-H", "-t", ",", "-"],
               stdin=UNCLOSED, console=b"", code=9, untouched=(), posix_only=True,
               stderr=b"descstat: " + (UNCLOSED_AT % "-: ").encode() + b"\n"),
        h.Case("input: a quote not closed, in the dialogue", args=["-p", "-H", "-t", ","],
               **h.data_only(UNCLOSED, console=h.failure(UNCLOSED_AT % ""), code=9,
                             report=b"Input data file = data.txt\n\n")),
        # A marker file's value line has at most 998 bytes; a table's row any.
        h.Case("input: a record of 999 bytes over lines is too long",
               args=["-t", ",", "-f", "2", "data.txt"], stdin=b"", console=b"", code=9,
               files={"data.txt": b"/\n" + record_of(999) + b"\n7,8\n"},
               stderr=b"descstat: To read input data file failed: a line is longer than "
                      b"998 bytes.\n"),
        h.form("input: a record of 998 bytes over lines is read", ["-t", ",", "-f", "2"],
               b"/\n" + record_of(998) + b"\n7,8\n", [5.0, 8.0]),
        h.form("input: a table's row of 9999 bytes over lines is read", ["-p", "-t", ",", "-f", "2"],
               record_of(9999) + b"\n7,8\n", [5.0, 8.0]),
    ]


def folder_cases(h):
    """A folder named as the data: the same message on every path."""
    folder = "To open input data file failed: out is a folder."
    old = b"an old report\n"
    return [
        h.Case("input: a folder as data, with --plain", setup=h.make_dir("out"),
               **h.argument_failure(["-p", "out"], folder.encode())),
        h.Case("input: a folder as data, its report left alone", setup=h.make_dir("out"),
               **h.argument_failure(["out", "report.txt"], folder.encode(),
                                    files={"report.txt": old}, after={"report.txt": old})),
        h.Case("input: a folder as data in a machine format", setup=h.make_dir("out"),
               args=["-F", "csv", "out", "data.txt"], files={"data.txt": h.WORKED_DATA},
               stdin=b"", report=None, code=9,
               console=h.machine_check("csv", [("out", None, folder),
                                               ("data.txt", h.WORKED_VALUES, None)])),
        h.Case("input: a folder as data in the dialogue with options", args=["-p"],
               setup=h.make_dir("out"), stdin=b"out\nx\n", code=9, report=None,
               console=h.failure(folder, prompts=b"Input data file = ")),
    ]


def cases(h):
    return field_cases(h) + cr_cases(h) + quote_cases(h) + folder_cases(h)
