#!/usr/bin/env python3
"""Runs descstat with standard error on a pseudo-terminal (or a pipe) while a
named pipe feeds it a data file slowly, with a pause of 1.2 seconds after the
first 5000 value lines; writes what standard error got, a line
"--stdout--" and what standard output got, for the progress cases.

Usage: progress_pty.py pty|pipe PROGRAM ARG... (the data is ./slow.txt)
"""
import os
import pty
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_e2e import read_terminal  # noqa: E402

FIRST, REST = 5000, 12000


def feed(path):
    with open(path, "wb") as f:
        f.write(b"slow data\n/\n" + b"".join(b"%d\n" % k for k in range(FIRST)))
        f.flush()
        time.sleep(1.2)
        f.write(b"".join(b"%d\n" % k for k in range(REST)) + b"NA\n"
                + b"".join(b"%d\n" % k for k in range(REST)) + b"/\n")


def main():
    mode, program, args = sys.argv[1], sys.argv[2], sys.argv[3:]
    os.mkfifo("slow.txt")
    feeder = threading.Thread(target=feed, args=("slow.txt",), daemon=True)
    feeder.start()
    if mode == "pipe":
        proc = subprocess.run([program] + args, capture_output=True, timeout=60)
        err, out = proc.stderr, proc.stdout
    else:
        master, slave = pty.openpty()
        proc = subprocess.Popen([program] + args, stdout=subprocess.PIPE, stderr=slave)
        os.close(slave)
        got = read_terminal(master)
        out = proc.communicate(timeout=60)[0]
        os.close(master)
        err = got.replace(b"\r\n", b"\n")
    feeder.join(timeout=5)
    os.unlink("slow.txt")
    sys.stdout.buffer.write(err + b"--stdout--\n" + out)


if __name__ == "__main__":
    main()
