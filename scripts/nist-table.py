#!/usr/bin/env python3
"""The README's NIST StRD table: for each univariate set, the certified mean
and sample SD, what descstat prints at -d 15, and what the computation over
the binary doubles (version 1.1.0: each result the double nearest to its
exact value over the doubles, then written at 15 digits) gives, each with its
log relative error (LRE: the number of correct significant digits, 15 when
all are right).

Usage: nist-table.py PROGRAM
"""
import math
import os
import subprocess
import sys
import tempfile
from fractions import Fraction

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import nist_strd  # noqa: E402
import run_e2e  # noqa: E402


def lre(text, certified):
    x, c = Fraction(text), Fraction(certified)
    if x == c:
        return 15.0
    return min(15.0, -math.log10(abs(x - c) / abs(c)))


def printed(program, name):
    """The mean and SD(不偏分散) lines of the report at 15 digits."""
    with tempfile.TemporaryDirectory() as d:
        data, report = os.path.join(d, "data.txt"), os.path.join(d, "report.txt")
        with open(data, "wb") as f:
            f.write(nist_strd.data_file(name))
        subprocess.run([program, "-d", "15", data, report], check=True,
                       stdout=subprocess.DEVNULL)
        lines = open(report, encoding="cp932").read().splitlines()
    value = lambda label: next(l.split(" = ")[1] for l in lines if l.startswith(label))  # noqa
    return value("平均値"), value("SD(不偏分散)")


def over_doubles(name):
    """Mean and sample SD over the binary doubles, nearest double, 15 digits."""
    values = [float(t) for t in nist_strd.texts()[name]]
    n = len(values)
    xs = [Fraction(v) for v in values]
    s = sum(xs)
    u = (n * sum(x * x for x in xs) - s * s) / (n * (n - 1))
    return "%.15g" % run_e2e.nearest(s / n), "%.15g" % run_e2e.nearest_sqrt(u)


def main():
    program = sys.argv[1]
    print("| set | n | certified mean | descstat -d 15 | LRE | over doubles | LRE "
          "| certified SD | descstat -d 15 | LRE | over doubles | LRE |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for name, (mean, sd) in nist_strd.CERTIFIED.items():
        got_mean, got_sd = printed(program, name)
        old_mean, old_sd = over_doubles(name)
        cells = [name, str(len(nist_strd.texts()[name]))]
        for certified, got, old in ((mean, got_mean, old_mean), (sd, got_sd, old_sd)):
            cells += [certified, got, "%.1f" % lre(got, certified), old,
                      "%.1f" % lre(old, certified)]
        print("| " + " | ".join(cells) + " |")


if __name__ == "__main__":
    main()
