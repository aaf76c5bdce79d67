#!/usr/bin/env python3
"""Checks that the README, the manual page and both user's guides name every
long option of the program. The options are read from the program's own
--help, whose list is laid out from the table the parser reads, so a new
option that a document leaves out fails here.

Usage: check-docs.py [--emulator CMD] PROGRAM [DOCUMENT...]
(the documents default to the four the project ships)."""
import os
import re
import shlex
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DOCUMENTS = ("README.md", "docs/descstat.1", "docs/guide/README-en.txt",
             "docs/guide/README-ja.txt")

# An entry of the help's option list: "  -e, --encoding=NAME  ..." or
# "      --force          ...".
ENTRY = re.compile(r"^  (?:-\S, |    )--([a-z][a-z0-9-]*)")


def help_options(help_text):
    """The long options of a --help text's "Options:" list, in its order."""
    lines = help_text.replace("\r\n", "\n").split("\n")
    if "Options:" not in lines:
        return []
    options = []
    for line in lines[lines.index("Options:") + 1:]:
        if not line.strip():
            break
        m = ENTRY.match(line)
        if m:
            options.append(m.group(1))
    return options


def program_options(program, emulator=()):
    """The long options of `program --help`, run under `emulator` if given
    (Wine, say, for a Windows program)."""
    env = dict(os.environ, WINEDEBUG="-all")
    try:
        done = subprocess.run(list(emulator) + [program, "--help"], stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env,
                              check=False)
    except OSError as e:
        sys.stderr.write("%s: %s\n" % (program, e))
        return []
    if done.returncode != 0:
        sys.stderr.write(done.stderr.decode("utf-8", "replace"))
        return []
    return help_options(done.stdout.decode("ascii", "replace"))


def plain_text(path):
    """A document's text with a manual page's groff escapes undone: "\\-" is a
    hyphen, and font changes ("\\fB") and zero-width marks ("\\&") go."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    if path.endswith(".1"):
        text = re.sub(r"\\f(?:\(..|\[[^]]*\]|.)|\\&|\\%", "", text).replace("\\-", "-")
    return text


def missing_options(text, options):
    """The options the text never names as --name (a longer name that begins
    with it does not count)."""
    return [o for o in options if not re.search(r"--%s(?![A-Za-z0-9-])" % re.escape(o), text)]


def main(argv):
    emulator = ()
    if argv[:1] == ["--emulator"]:
        emulator, argv = shlex.split(argv[1]), argv[2:]
    if not argv:
        sys.stderr.write(__doc__)
        return 2
    options = program_options(argv[0], emulator)
    documents = argv[1:] or [os.path.join(ROOT, d) for d in DOCUMENTS]
    problems = []
    if len(options) < 6:
        problems.append("the options of %s --help were not found" % argv[0])
    for path in documents:
        for o in missing_options(plain_text(path), options):
            problems.append("%s does not name --%s" % (os.path.relpath(path, ROOT), o))
    for p in problems:
        print("FAIL " + p)
    print("docs: %d options, %d documents: %s" % (len(options), len(documents),
                                                  "failed" if problems else "ok"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
