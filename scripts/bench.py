#!/usr/bin/env python3
"""Benchmark: run descstat on 1 thousand to 10 million normally distributed
values and GNU datamash (where installed) on the same values for the same five
statistics; print wall time, peak memory, nanoseconds per value and the ratio
to datamash, check the memory bound (8 bytes per value plus 4 MiB) and that
both programs agree.

Usage: bench.py PROGRAM [SIZE ...]
"""
import os
import random
import shutil
import subprocess
import sys
import time

SIZES = [1_000, 100_000, 1_000_000, 10_000_000]
RUNS = 3
HERE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "build", "bench"))


def make_data(n):
    """The data file for descstat and the bare value list for datamash."""
    data = os.path.join(HERE, "data_%d.txt" % n)
    plain = os.path.join(HERE, "values_%d.txt" % n)
    if not (os.path.exists(data) and os.path.exists(plain)):
        rng = random.Random(n)
        with open(plain + ".tmp", "w") as f:
            for start in range(0, n, 100_000):
                f.write("".join("%.6f\n" % rng.gauss(100.0, 15.0)
                                for _ in range(min(100_000, n - start))))
        with open(data + ".tmp", "w") as out, open(plain + ".tmp") as values:
            out.write("normally distributed, mean 100, sd 15\n/\n")
            shutil.copyfileobj(values, out)
            out.write("/\n")
        os.replace(plain + ".tmp", plain)
        os.replace(data + ".tmp", data)
    return data, plain


def run_timed(cmd, stdin_bytes=None, stdin_path=None):
    """Runs a command once under GNU time: (wall s, peak resident bytes, stdout).
    GNU time is a small program, so the peak is the command's own, not that of
    the Python process that started it."""
    stats = os.path.join(HERE, "time.out")
    full = ["/usr/bin/time", "-f", "%M %x", "-o", stats] + cmd
    stdin = open(stdin_path, "rb") if stdin_path else subprocess.PIPE
    start = time.perf_counter()
    try:
        proc = subprocess.run(full, input=stdin_bytes, stdin=None if stdin_bytes else stdin,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, cwd=HERE)
    finally:
        if stdin_path:
            stdin.close()
    elapsed = time.perf_counter() - start
    with open(stats) as f:
        kib, code = f.read().split()[-2:]
    if int(code) != 0:
        sys.exit("%s ended with exit code %s" % (cmd[0], code))
    return elapsed, int(kib) * 1024, proc.stdout


def best_of(cmd, stdin_bytes=None, stdin_path=None):
    """Best time and highest peak of RUNS runs, and the output of the last."""
    runs = [run_timed(cmd, stdin_bytes, stdin_path) for _ in range(RUNS)]
    return min(r[0] for r in runs), max(r[1] for r in runs), runs[-1][2]


def descstat_results(report):
    with open(report, "rb") as f:
        lines = f.read().decode("cp932").splitlines()
    return [float(line.rsplit("= ", 1)[1]) for line in lines[-5:]]


def datamash_run(plain):
    """Best time and peak memory of datamash, and its five results."""
    cmd = ["datamash", "mean", "1", "pvar", "1", "pstdev", "1", "svar", "1", "sstdev", "1"]
    secs, peak, out = best_of(cmd, stdin_path=plain)
    return secs, peak, [float(x) for x in out.split()]


def write_call_cost(count=200_000):
    """Seconds per small write to a file: what flushing each report line costs."""
    path = os.path.join(HERE, "write_cost.tmp")
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC)
    line = b"123456:  101.234\n"
    start = time.perf_counter()
    for _ in range(count):
        os.write(fd, line)
    elapsed = time.perf_counter() - start
    os.close(fd)
    os.remove(path)
    return elapsed / count


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    program = os.path.abspath(sys.argv[1])
    sizes = [int(s) for s in sys.argv[2:]] or SIZES
    os.makedirs(HERE, exist_ok=True)
    has_datamash = shutil.which("datamash") is not None
    if not os.path.exists("/usr/bin/time"):
        sys.exit("GNU time (/usr/bin/time) is needed to measure peak memory")
    if not has_datamash:
        print("datamash is not installed: its columns are left empty")

    print("| values | descstat s | peak MiB | bound MiB | ns/value | datamash s | ratio | agree |")
    print("|---:|---:|---:|---:|---:|---:|---:|:---:|")
    bound_ok = True
    per_value = []
    for n in sizes:
        data, plain = make_data(n)
        stdin = ("%s\nreport_%d.txt\nx\n" % (os.path.basename(data), n)).encode()
        secs, peak, _ = best_of([program], stdin)
        bound = 8 * n + 4 * 1024 * 1024
        bound_ok &= peak <= bound
        ns = secs * 1e9 / n
        per_value.append(ns)
        ours = descstat_results(os.path.join(HERE, "report_%d.txt" % n))
        dm_cols = ["", "", ""]
        if has_datamash:
            dsecs, _, theirs = datamash_run(plain)
            agree = all(abs(a - b) <= 1e-5 * max(abs(b), 1e-300) for a, b in zip(ours, theirs))
            dm_cols = ["%.3f" % dsecs, "%.2f" % (secs / dsecs), "yes" if agree else "NO"]
        print("| %d | %.3f | %.1f | %.1f | %.0f | %s | %s | %s |"
              % (n, secs, peak / 2**20, bound / 2**20, ns, *dm_cols))

    cost = write_call_cost()
    print()
    print("Memory bound (8 bytes per value + 4 MiB): %s" % ("kept" if bound_ok else "EXCEEDED"))
    if len(per_value) > 1:
        print("ns per value from the smallest to the largest size: %s"
              % ", ".join("%.0f" % v for v in per_value))
    print("One flushed report line costs about %.2f us of write system call here: %.1f s for"
          " 10 million values." % (cost * 1e6, cost * 1e7))
    return 0 if bound_ok else 1


if __name__ == "__main__":
    sys.exit(main())
