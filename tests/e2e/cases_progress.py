"""The progress line of a long read: on a terminal (a pseudo-terminal) after
about a second, erased before a warning and at the end; never in a pipe. The
data comes through a named pipe that pauses after its first lines
(progress_pty.py)."""
import os

HELPER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "progress_pty.py")
WARNING = b"descstat: slow.txt:17003: 'NA' holds no number: left out\n"
ROW = b"slow.txt\t29000\t"


def split(out):
    err, _, rest = out.partition(b"--stdout--\n")
    return err, rest


def on_terminal(out):
    err, rest = split(out)
    line = b"descstat: reading values, 8192 so far"
    erase = b"\r" + b" " * len(line) + b"\r"
    return (err.startswith(b"\r" + line) and erase + WARNING in err
            and err.endswith(b" \r") and err.count(b"\n") == 1 and ROW in rest)


def in_pipe(out):
    err, rest = split(out)
    return err == WARNING and ROW in rest


def cases(h):
    command = "python3 %s %%s {prog} -F tsv --skip-invalid slow.txt" % HELPER
    return [
        h.Case("progress: a slow read on a terminal shows a line, erased before a warning "
               "and at the end", bash=command % "pty", posix_only=True, stdin=b"", report=None,
               untouched=(), console=on_terminal),
        h.Case("progress: none when standard error is a pipe", bash=command % "pipe",
               posix_only=True, stdin=b"", report=None, untouched=(), console=in_pipe),
    ]
