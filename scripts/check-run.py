#!/usr/bin/env python3
"""Checks `make run` as a person meets it: in a pseudo-terminal, the first
line shown is "building descstat..." and the dialogue's prompt follows it (no
make or CMake lines); the README's answers give the sample report; and
`git status --porcelain` is as before."""
import os
import pty
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The terminal shows a line end as CR LF.
FIRST_LINE = b"building descstat...\r\n"
PROMPT = b"Input data file = "


def status():
    return subprocess.run(["git", "status", "--porcelain"], cwd=ROOT, capture_output=True,
                          check=True).stdout


def read_until(fd, wanted, shown, timeout=300):
    deadline = time.time() + timeout
    while wanted not in shown and time.time() < deadline:
        try:
            chunk = os.read(fd, 4096)
        except OSError:
            break
        if not chunk:
            break
        shown.extend(chunk)
    return wanted in shown


def main():
    before = status()
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(ROOT)
        os.execvp("make", ["make", "--no-print-directory", "run"])
    shown = bytearray()
    problems = []
    if not read_until(fd, PROMPT, shown):
        problems.append("no prompt: %r" % bytes(shown[-300:]))
    elif not shown.startswith(FIRST_LINE + PROMPT):
        problems.append("not %r then the prompt: %r" % (FIRST_LINE, bytes(shown[:300])))
    os.write(fd, b"data.txt\n")
    read_until(fd, b"Output file = ", shown)
    os.write(fd, b"report.txt\n")
    read_until(fd, b"Enter", shown)
    os.write(fd, b"x\n")
    read_until(fd, b"(the files are in build/run/)", shown, timeout=30)
    _, code = os.waitpid(pid, 0)
    if os.waitstatus_to_exitcode(code) != 0:
        problems.append("make run ended with %d" % os.waitstatus_to_exitcode(code))
    with open(os.path.join(ROOT, "build", "run", "report.txt"), "rb") as f, \
            open(os.path.join(ROOT, "examples", "report.txt"), "rb") as g:
        if f.read() != g.read():
            problems.append("build/run/report.txt is not the sample report")
    if status() != before:
        problems.append("git status changed: %r" % status())
    for p in problems:
        print("FAIL " + p)
    print("make run: %s" % ("failed" if problems else "ok"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
