#!/usr/bin/env python3
"""Checks the Windows zip: exactly the program, the sample data file and the
two user's guides in one folder; each guide UTF-8 with a byte order mark and
CR LF line ends only; and each guide names every option of the zipped
program's --help (run under Wine) and every message the program can show (read
from the program's own sources)."""
import runpy
import os
import re
import sys
import types
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GUIDES = ("README-en.txt", "README-ja.txt")


def load_check_docs():
    """The names scripts/check-docs.py defines: it reads the options from
    --help."""
    return types.SimpleNamespace(
        **runpy.run_path(os.path.join(ROOT, "scripts", "check-docs.py"), run_name="check_docs"))


CHECK_DOCS = load_check_docs()


def program_texts(program):
    """The long options, from the program's --help (a Windows program under
    Wine), and the messages, as the sources spell them."""
    emulator = ["wine"] if program.lower().endswith(".exe") else []
    options = CHECK_DOCS.program_options(program, emulator)
    with open(os.path.join(ROOT, "app", "Messages.cpp"), encoding="utf-8") as f:
        messages = re.findall(r'return "(To [^"]*)";', f.read())
    with open(os.path.join(ROOT, "app", "Messages.h"), encoding="utf-8") as f:
        messages += re.findall(r'= "(To [^"]*)";', f.read())
    return options, messages


def main(zip_path, program):
    problems = []
    with zipfile.ZipFile(zip_path) as z:
        names = sorted(n.split("/", 1)[1] for n in z.namelist() if not n.endswith("/"))
        folders = {n.split("/", 1)[0] for n in z.namelist()}
        if names != sorted(("descstat.exe", "data.txt") + GUIDES) or len(folders) != 1:
            problems.append("contents: %s" % z.namelist())
        top = folders.pop()
        with open(program, "rb") as f:
            if z.read(top + "/descstat.exe") != f.read():
                problems.append("descstat.exe is not the program built")
        options, messages = program_texts(program)
        if len(options) < 6 or len(messages) < 12:
            problems.append("the program's options or the sources' messages were not found")
        for guide in GUIDES:
            raw = z.read(top + "/" + guide) if guide in names else b""
            if not raw.startswith(b"\xef\xbb\xbf"):
                problems.append("%s has no byte order mark" % guide)
            if raw.replace(b"\r\n", b"").count(b"\n") or raw.replace(b"\r\n", b"").count(b"\r"):
                problems.append("%s has line ends other than CR LF" % guide)
            text = raw.decode("utf-8-sig", errors="replace").replace("\r\n", "\n")
            flat = " ".join(text.split())  # a message may be wrapped
            for o in CHECK_DOCS.missing_options(text, options):
                problems.append("%s does not name --%s" % (guide, o))
            for m in messages:
                if m not in flat:
                    problems.append("%s does not list %r" % (guide, m))
    for p in problems:
        print("FAIL " + p)
    print("zip: %s" % ("failed" if problems else "ok"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
