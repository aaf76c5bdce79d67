#!/usr/bin/env python3
"""Benchmark: run descstat on 1 thousand to 10 million normally distributed
values, and GNU datamash (where installed) on the same values for the same five
statistics; print wall times (best of three), peak memory and nanoseconds per
value, and say whether each target holds:

- the argument run (descstat DATA REPORT) at most 0.5 times datamash's time;
- the dialogue at most 0.67 times the dialogue of the version before the speed
  work (BASELINE, built here from git in build/bench/baseline);
- the argument run with --summary at most 1.2 times the argument run, on 10
  million values;
- the argument run on standard input (`descstat - REPORT < DATA`, read in one
  pass) no slower than on the named file (within 10 %, the machine's noise);
- the statistics alone (-F tsv: no listing, but the same two passes and exact
  sums) at most 0.2 times datamash's time, and on standard input no slower
  than on the named file (within 10 %);
- every run within 8 bytes per value plus 4 MiB of peak memory, and so
  --histogram and --plot on the smallest file;
- time linear in the number of values (ns per value within a factor of 1.5
  from 1 million to 10 million);
- a table: a CSV of 1 million rows and 6 columns (a group column of 10
  labels, 5 numeric columns), every numeric column by group with the summary
  (-F tsv -s -g 1) at most 0.25 times datamash's time for the same statistics
  (and Miller's stats1, where installed, for comparison), within 8 bytes per
  value plus 4 MiB;
- the statistics a report asks for: --describe (sum, standard error, mode,
  skewness, kurtosis, quartiles, range, the t interval, ...) at most 1.5
  times -s, on the largest size (10 million values), within 8 bytes per
  value plus 4 MiB;
- instructions per value, counted by valgrind's callgrind (the difference
  between 100 thousand and 10 thousand values over 90 thousand, so that
  starting the process cancels out), of descstat's ways of reading and
  reporting and of the floor (bench/floor.cpp: the least work that gives the
  five statistics, exactly over the decimals, or in doubles with --plain):
  -F tsv at most 1.25 times the exact floor; a pipe at most 1.1 times a
  redirected file; --histogram and --plot at most 1.3 times -F tsv -s; a CSV
  column at most 1.3 times the marker file; the report with its listing at
  most 1.5 times -F tsv. The exact floor's results must be descstat's, to
  17 digits.

Usage: bench.py PROGRAM [SIZE ...]
       bench.py --instructions PROGRAM   (the instructions per value alone)
"""
import os
import random
import re
import tarfile
import io
import shutil
import subprocess
import sys
import time

SIZES = [1_000, 100_000, 1_000_000, 10_000_000]
RUNS = 3
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
HERE = os.path.join(ROOT, "build", "bench")
# The last version before the speed work: the command line, the exact
# statistics, the per-value string stream and stream formatting.
BASELINE = "41780927f6393d83e3b09e1027a35fbecb1034fe"
TARGET_VS_DATAMASH = 0.5
TARGET_VS_BASELINE = 0.67
TARGET_SUMMARY = 1.2
TARGET_STDIN = 1.1
TARGET_TSV_VS_DATAMASH = 0.2
TARGET_TABLE_VS_DATAMASH = 0.25
TARGET_DESCRIBE = 1.5
TABLE_ROWS = 1_000_000
TABLE_COLUMNS = 5
# Instructions per value: the counts on the larger size less those on the
# smaller one, over the difference of the sizes.
INSTRUCTION_SIZES = (10_000, 100_000)
TARGET_TSV_VS_FLOOR = 1.25
TARGET_PIPE = 1.1
TARGET_CHARTS = 1.3
TARGET_CSV = 1.3
TARGET_LISTING = 1.5
# -F tsv on the largest file, with every core, against the version before the
# work toward the floor (the parent of the commit that added bench/floor.cpp).
BEFORE_FLOOR = "9ed0fa2^"
TARGET_TSV_VS_BEFORE = 0.6


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


def make_table():
    """The table: a group column of 10 labels and 5 numeric columns written
    as spreadsheets write them."""
    path = os.path.join(HERE, "table.csv")
    if not os.path.exists(path):
        rng = random.Random(6)
        labels = ["g%d" % i for i in range(10)]
        with open(path + ".tmp", "w") as f:
            f.write("group,a,b,c,d,e\n")
            for start in range(0, TABLE_ROWS, 100_000):
                f.write("".join("%s,%.4f,%.3f,%.2f,%d,%.6f\n" % (
                    rng.choice(labels), rng.gauss(100, 15), rng.gauss(0, 1),
                    rng.uniform(0, 1000), rng.randint(0, 100000), rng.expovariate(1.0))
                    for _ in range(min(100_000, TABLE_ROWS - start))))
        os.replace(path + ".tmp", path)
    return path


def table_bench(program, has_datamash):
    """The table's row: descstat, datamash and Miller on every numeric column
    by group; True when the targets hold."""
    table = make_table()
    ours, peak, out = best_of([program, "-F", "tsv", "-s", "-g", "1", "table.csv"])
    cols = "2-%d" % (TABLE_COLUMNS + 1)
    dm = None
    agree = ""
    if has_datamash:
        ops = []
        for op in ("mean", "pvar", "pstdev", "svar", "sstdev", "min", "q1", "median", "q3",
                   "max"):
            ops += [op, cols]
        dm, _, theirs = best_of(["datamash", "-H", "-s", "-t", ",", "-g", "1"] + ops,
                                stdin_path=table)
        # Group g0's means, by both.
        mine = {tuple(r.split("\t")[1:3]): float(r.split("\t")[4])
                for r in out.decode().splitlines()[1:]}
        row = next(r for r in theirs.decode().splitlines()[1:] if r.startswith("g0,"))
        means = [float(x) for x in row.split(",")[1:1 + TABLE_COLUMNS]]
        agree = "yes" if all(abs(mine[(c, "g0")] - m) <= 1e-9 * max(abs(m), 1)
                             for c, m in zip("abcde", means)) else "NO"
    mlr = None
    if shutil.which("mlr"):
        mlr = run_timed(["mlr", "--icsv", "--otsv", "stats1", "-a",
                         "mean,var,stddev,min,p25,median,p75,max", "-f", "a,b,c,d,e", "-g",
                         "group", "table.csv"])[0]
    values = TABLE_ROWS * TABLE_COLUMNS
    bound = 8 * values + 4 * 1024 * 1024
    ratio = ours / dm if dm else None
    cell = lambda x, f="%.3f": "" if x is None else f % x
    print()
    print("| table rows | descstat -F tsv -s -g 1 s | datamash s | mlr stats1 s | /datamash "
          "| peak MiB | bound MiB | agree |")
    print("|---:|---:|---:|---:|---:|---:|---:|:---:|")
    print("| %d | %.3f | %s | %s | %s | %.1f | %.1f | %s |"
          % (TABLE_ROWS, ours, cell(dm), cell(mlr), cell(ratio, "%.2f"), peak / 2**20,
             bound / 2**20, agree))
    fast = ratio is None or ratio <= TARGET_TABLE_VS_DATAMASH
    small = peak <= bound
    print("- table at most %.2f x datamash: %s" % (TARGET_TABLE_VS_DATAMASH, verdict(fast)))
    print("- table within 8 bytes per value + 4 MiB: %s" % verdict(small))
    return fast and small and agree != "NO"


def threads_bench(program, n):
    """-F tsv on n values with every core and with one, against the version
    before the work toward the floor; the rows must be the same bytes."""
    before = build_baseline(BEFORE_FLOOR, "before-floor")
    name = os.path.basename(make_data(n)[0])
    both, both_peak, both_out = best_of([program, "-F", "tsv", name])
    one, _, one_out = best_of([program, "-F", "tsv", "--threads=1", name])
    then = best_of([before, "-F", "tsv", name])[0] if before else None
    print()
    print("-F tsv on %d values (seconds): every core %.3f (peak %.1f MiB), one thread %.3f%s"
          % (n, both, both_peak / 2**20, one,
             "" if then is None else ", before the floor work %.3f" % then))
    same = both_out == one_out
    print("- every core and one thread give the same row: %s" % ("yes" if same else "NO"))
    if then is None:
        print("- the version before the floor work could not be built: no ratio")
        return same
    ratio = both / then
    print("- -F tsv with every core at most %.1f x before the floor work (%.2f): %s"
          % (TARGET_TSV_VS_BEFORE, ratio, verdict(ratio <= TARGET_TSV_VS_BEFORE)))
    return same and ratio <= TARGET_TSV_VS_BEFORE


def describe_bench(program, n):
    """--describe against -s on n values, both -F tsv; True when the targets
    hold and the two runs agree on the mean and the median."""
    name = os.path.basename(make_data(n)[0])
    summ, _, summ_out = best_of([program, "-F", "tsv", "-s", name])
    desc, peak, desc_out = best_of([program, "-F", "tsv", "-D", name])
    rows = [dict(zip(*[line.split("\t") for line in out.decode().splitlines()]))
            for out in (summ_out, desc_out)]
    agree = all(rows[0][k] == rows[1][k] for k in ("n", "mean", "median", "min", "max"))
    bound = 8 * n + 4 * 1024 * 1024
    ratio = desc / summ
    print()
    print("| values | -F tsv -s s | -F tsv -D s | -D/-s | peak MiB | bound MiB | agree |")
    print("|---:|---:|---:|---:|---:|---:|:---:|")
    print("| %d | %.3f | %.3f | %.2f | %.1f | %.1f | %s |"
          % (n, summ, desc, ratio, peak / 2**20, bound / 2**20, "yes" if agree else "NO"))
    print("- --describe at most %.1f x -s: %s" % (TARGET_DESCRIBE,
                                                 verdict(ratio <= TARGET_DESCRIBE)))
    print("- --describe within 8 bytes per value + 4 MiB: %s" % verdict(peak <= bound))
    return ratio <= TARGET_DESCRIBE and peak <= bound and agree


def build_baseline(revision=BASELINE, folder="baseline"):
    """The program as it was at `revision`, built once in build/bench/FOLDER;
    None where git or the revision is missing."""
    program = os.path.join(HERE, folder, "build", "descstat")
    if os.path.exists(program):
        return program
    try:
        archive = subprocess.run(["git", "-C", ROOT, "archive", revision], check=True,
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    except (OSError, subprocess.CalledProcessError):
        return None
    src = os.path.join(HERE, folder, "src")
    with tarfile.open(fileobj=io.BytesIO(archive)) as tar:
        tar.extractall(src)
    build = os.path.join(HERE, folder, "build")
    subprocess.run(["cmake", "-S", src, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                    "-DBUILD_TESTING=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "-j", "2", "--target", "descstat"], check=True,
                    stdout=subprocess.DEVNULL)
    return program


def dialogue(program, data, report):
    """Best time and peak of the dialogue, answered through standard input."""
    stdin = ("%s\n%s\nx\n" % (os.path.basename(data), report)).encode()
    return best_of([program], stdin)[:2]


def build_floor():
    """build/bench/floor, compiled from bench/floor.cpp when missing or older
    than its source."""
    source = os.path.join(ROOT, "bench", "floor.cpp")
    program = os.path.join(HERE, "floor")
    if not os.path.exists(program) or os.path.getmtime(program) < os.path.getmtime(source):
        subprocess.run(["c++", "-O2", "-std=c++17", source, "-o", program], check=True)
    return program


def make_csv(n):
    """A CSV with a header line and 5 columns whose third holds the values of
    make_data(n), as written there."""
    path = os.path.join(HERE, "column_%d.csv" % n)
    if not os.path.exists(path):
        rng = random.Random(n + 5)
        with open(make_data(n)[1]) as values, open(path + ".tmp", "w") as f:
            f.write("id,group,value,score,count\n")
            f.write("".join("%d,g%d,%s,%.3f,%d\n" % (i, rng.randrange(10), line.rstrip("\n"),
                                                     rng.gauss(0, 1), rng.randint(0, 100000))
                            for i, line in enumerate(values)))
        os.replace(path + ".tmp", path)
    return path


def count_instructions(cmd, stdin_path=None, piped=False):
    """The instructions the command executes, start-up included, counted by
    callgrind, and its standard output. With `piped`, stdin_path reaches it
    through cat and a pipe (cat is not counted)."""
    log = os.path.join(HERE, "callgrind.log")
    full = ["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
            "--log-file=" + log] + cmd
    cat = None
    if piped:
        cat = subprocess.Popen(["cat", stdin_path], stdout=subprocess.PIPE, cwd=HERE)
        stdin = cat.stdout
    else:
        stdin = open(os.path.join(HERE, stdin_path), "rb") if stdin_path else subprocess.DEVNULL
    try:
        proc = subprocess.run(full, stdin=stdin, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, cwd=HERE)
    finally:
        if stdin_path:
            stdin.close()
        if cat:
            cat.wait()
    if proc.returncode != 0:
        sys.exit("%s ended with exit code %d under callgrind" % (" ".join(cmd), proc.returncode))
    with open(log) as f:
        found = re.search(r"Collected : (\d+)", f.read())
    if not found:
        sys.exit("callgrind gave no instruction count for %s (see %s)" % (" ".join(cmd), log))
    return int(found.group(1)), proc.stdout


def instruction_paths(program, floor, n):
    """The measured paths on n values: (label, command, standard input file
    in build/bench, through a pipe)."""
    data = os.path.basename(make_data(n)[0])
    csv = os.path.basename(make_csv(n))
    return [
        ("floor --plain DATA", [floor, "--plain", data], None, False),
        ("floor DATA (exact)", [floor, data], None, False),
        ("-F tsv DATA", [program, "-F", "tsv", data], None, False),
        ("-F tsv - < DATA", [program, "-F", "tsv", "-"], data, False),
        ("cat DATA | -F tsv -", [program, "-F", "tsv", "-"], data, True),
        ("-F tsv -s DATA", [program, "-F", "tsv", "-s", data], None, False),
        ("DATA REPORT", [program, data, "icount_report.txt"], None, False),
        ("-p -H -t , -f 3 -F tsv CSV", [program, "-p", "-H", "-t", ",", "-f", "3", "-F", "tsv",
                                         csv], None, False),
        ("--histogram DATA REPORT", [program, "--histogram", data, "icount_histogram.txt"],
         None, False),
        ("--plot C.svg DATA REPORT", [program, "--plot", "icount_chart.svg", data,
                                      "icount_plot.txt"], None, False),
    ]


def tsv_row(out, skip):
    """The n and five statistics of a header-and-row output, after `skip`
    leading columns."""
    return out.decode().splitlines()[1].split("\t")[skip:skip + 6]


def instructions_bench(program):
    """Instructions per value of each path, against the exact floor; True
    when the targets hold and the floor's and descstat's results agree."""
    floor = build_floor()
    small, large = INSTRUCTION_SIZES
    counts = {}
    rows = {}
    built = os.path.getmtime(program)
    for n in (small, large):
        for label, cmd, stdin_path, piped in instruction_paths(program, floor, n):
            counts[label, n], out = count_instructions(cmd, stdin_path, piped)
            if n == large:
                rows[label] = out
    if os.path.getmtime(program) != built:
        # The two sizes' counts would come from two programs.
        sys.exit("%s was rebuilt while its instructions were counted: run again" % program)
    per_value = {label: (counts[label, large] - counts[label, small]) / (large - small)
                 for label, _, _, _ in instruction_paths(program, floor, large)}
    exact = per_value["floor DATA (exact)"]
    print()
    print("Instructions per value (callgrind, %d values less %d):" % (large, small))
    print()
    print("| path | instructions per value | /exact floor |")
    print("|:---|---:|---:|")
    for label, ipv in per_value.items():
        print("| `%s` | %.0f | %.2f |" % (label.replace("|", "\\|"), ipv, ipv / exact))

    data = make_data(large)[0]
    reference = subprocess.run([program, "-F", "tsv", "-d", "17", os.path.basename(data)],
                               stdout=subprocess.PIPE, cwd=HERE, check=True).stdout
    agree = tsv_row(rows["floor DATA (exact)"], 0) == tsv_row(reference, 1)
    # The CSV holds the marker file's values: the same row, to shortest digits.
    csv_agrees = tsv_row(rows["-p -H -t , -f 3 -F tsv CSV"], 1) == tsv_row(rows["-F tsv DATA"], 1)
    targets = [
        ("-F tsv at most %.2f x the exact floor" % TARGET_TSV_VS_FLOOR,
         per_value["-F tsv DATA"] <= TARGET_TSV_VS_FLOOR * exact),
        ("a pipe at most %.1f x a redirected file" % TARGET_PIPE,
         per_value["cat DATA | -F tsv -"] <= TARGET_PIPE * per_value["-F tsv - < DATA"]),
        ("--histogram at most %.1f x -F tsv -s" % TARGET_CHARTS,
         per_value["--histogram DATA REPORT"] <= TARGET_CHARTS * per_value["-F tsv -s DATA"]),
        ("--plot at most %.1f x -F tsv -s" % TARGET_CHARTS,
         per_value["--plot C.svg DATA REPORT"] <= TARGET_CHARTS * per_value["-F tsv -s DATA"]),
        ("a CSV column at most %.1f x the marker file (-F tsv)" % TARGET_CSV,
         per_value["-p -H -t , -f 3 -F tsv CSV"] <= TARGET_CSV * per_value["-F tsv DATA"]),
        ("the report with its listing at most %.1f x -F tsv" % TARGET_LISTING,
         per_value["DATA REPORT"] <= TARGET_LISTING * per_value["-F tsv DATA"]),
    ]
    print()
    print("- the exact floor's n and five statistics are those of descstat -F tsv -d 17 on %d "
          "values: %s" % (large, "yes" if agree else "NO"))
    print("- the CSV column's row is the marker file's: %s" % ("yes" if csv_agrees else "NO"))
    for text, met in targets:
        print("- %s: %s" % (text, verdict(met)))
    return agree and csv_agrees and all(met for _, met in targets)


def charts_memory(program, n):
    """The peak of --histogram and --plot runs on n values, within 8 bytes per
    value plus 4 MiB."""
    name = os.path.basename(make_data(n)[0])
    peaks = [best_of([program, "--histogram", name, "histogram_%d.txt" % n])[1],
             best_of([program, "--plot", "chart_%d.svg" % n, name, "plot_%d.txt" % n])[1]]
    bound = 8 * n + 4 * 1024 * 1024
    met = max(peaks) <= bound
    print("- --histogram and --plot on %d values peak at %.1f and %.1f MiB (bound %.1f MiB): %s"
          % (n, peaks[0] / 2**20, peaks[1] / 2**20, bound / 2**20, verdict(met)))
    return met


def verdict(ok):
    return "met" if ok else "NOT MET"


def main():
    if len(sys.argv) < 2 or (sys.argv[1] == "--instructions" and len(sys.argv) != 3):
        sys.exit(__doc__)
    if sys.argv[1] == "--instructions":
        os.makedirs(HERE, exist_ok=True)
        if not shutil.which("valgrind"):
            sys.exit("valgrind is needed to count instructions")
        return 0 if instructions_bench(os.path.abspath(sys.argv[2])) else 1
    program = os.path.abspath(sys.argv[1])
    sizes = [int(s) for s in sys.argv[2:]] or SIZES
    os.makedirs(HERE, exist_ok=True)
    has_datamash = shutil.which("datamash") is not None
    if not os.path.exists("/usr/bin/time"):
        sys.exit("GNU time (/usr/bin/time) is needed to measure peak memory")
    if not has_datamash:
        print("datamash is not installed: its columns are left empty")
    baseline = build_baseline()
    if baseline is None:
        print("the baseline revision could not be built: its columns are left empty")

    print("| values | arguments s | --summary s | stdin s | dialogue s | baseline dialogue s "
          "| datamash s | args/datamash | dialogue/baseline | summary/args | stdin/args "
          "| tsv s | tsv stdin s | tsv/datamash | tsv stdin/tsv | peak MiB | bound MiB | agree |")
    print("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|:---:|")
    ok = {"datamash": True, "baseline": True, "summary": True, "memory": True, "stdin": True,
          "tsv": True, "tsv stdin": True}
    per_value = {}
    for n in sizes:
        data, plain = make_data(n)
        name = os.path.basename(data)
        args, args_peak, _ = best_of([program, name, "args_%d.txt" % n])
        summ, summ_peak, _ = best_of([program, "--summary", name, "summary_%d.txt" % n])
        stdin, stdin_peak, _ = best_of([program, "-", "stdin_%d.txt" % n], stdin_path=data)
        dial, dial_peak = dialogue(program, data, "report_%d.txt" % n)
        tsv, tsv_peak, tsv_out = best_of([program, "-F", "tsv", name])
        tsv_in, tsv_in_peak, _ = best_of([program, "-F", "tsv", "-"], stdin_path=data)
        peak = max(args_peak, summ_peak, stdin_peak, dial_peak, tsv_peak, tsv_in_peak)
        bound = 8 * n + 4 * 1024 * 1024
        ok["memory"] &= peak <= bound
        per_value[n] = args * 1e9 / n
        base = dialogue(baseline, data, "baseline_%d.txt" % n)[0] if baseline else None
        ours = descstat_results(os.path.join(HERE, "args_%d.txt" % n))
        dm, agree = None, ""
        if has_datamash:
            dm, _, theirs = datamash_run(plain)
            agree = "yes" if all(abs(a - b) <= 1e-5 * max(abs(b), 1e-300)
                                 for a, b in zip(ours, theirs)) else "NO"
            # The tsv row's five numbers agree as well.
            row = [float(x) for x in tsv_out.decode().splitlines()[1].split("\t")[2:7]]
            agree = "yes" if agree == "yes" and all(
                abs(a - b) <= 1e-5 * max(abs(b), 1e-300) for a, b in zip(row, theirs)) else "NO"
        ratios = [args / dm if dm else None, dial / base if base else None, summ / args,
                  stdin / args, tsv / dm if dm else None, tsv_in / tsv]
        if n >= 1_000_000:
            ok["datamash"] &= ratios[0] is None or ratios[0] <= TARGET_VS_DATAMASH
            ok["baseline"] &= ratios[1] is None or ratios[1] <= TARGET_VS_BASELINE
            ok["stdin"] &= ratios[3] <= TARGET_STDIN
            ok["tsv"] &= ratios[4] is None or ratios[4] <= TARGET_TSV_VS_DATAMASH
            ok["tsv stdin"] &= ratios[5] <= TARGET_STDIN
        if n >= 10_000_000:
            # A few selections cost tens of milliseconds: only a long run shows
            # their share above the machine's noise.
            ok["summary"] &= ratios[2] <= TARGET_SUMMARY
        cell = lambda x, f="%.3f": "" if x is None else f % x
        print("| %d | %.3f | %.3f | %.3f | %.3f | %s | %s | %s | %s | %s | %s | %.3f | %.3f | %s "
              "| %s | %.1f | %.1f | %s |"
              % (n, args, summ, stdin, dial, cell(base), cell(dm), cell(ratios[0], "%.2f"),
                 cell(ratios[1], "%.2f"), cell(ratios[2], "%.2f"), cell(ratios[3], "%.2f"),
                 tsv, tsv_in, cell(ratios[4], "%.2f"), cell(ratios[5], "%.2f"),
                 peak / 2**20, bound / 2**20, agree))

    print()
    print("Targets, on 1 million values and more (--summary: on 10 million):")
    print("- argument run at most %.2f x datamash: %s" % (TARGET_VS_DATAMASH, verdict(ok["datamash"])))
    print("- dialogue at most %.2f x the baseline's: %s" % (TARGET_VS_BASELINE,
                                                          verdict(ok["baseline"])))
    print("- --summary at most %.1f x the argument run: %s" % (TARGET_SUMMARY,
                                                              verdict(ok["summary"])))
    print("- standard input at most %.1f x the named file: %s" % (TARGET_STDIN,
                                                               verdict(ok["stdin"])))
    print("- -F tsv at most %.1f x datamash: %s" % (TARGET_TSV_VS_DATAMASH, verdict(ok["tsv"])))
    print("- -F tsv on standard input at most %.1f x the named file: %s"
          % (TARGET_STDIN, verdict(ok["tsv stdin"])))
    print("- peak memory within 8 bytes per value + 4 MiB: %s" % verdict(ok["memory"]))
    big = [n for n in per_value if n >= 1_000_000]
    if len(big) > 1:
        lo, hi = min(per_value[n] for n in big), max(per_value[n] for n in big)
        linear = hi <= 1.5 * lo
        print("- linear time (argument run ns per value %s): %s"
              % (", ".join("%.0f" % per_value[n] for n in sorted(per_value)), verdict(linear)))
        ok["linear"] = linear
    ok["charts memory"] = charts_memory(program, min(sizes))
    ok["threads"] = threads_bench(program, max(sizes))
    ok["table"] = table_bench(program, has_datamash)
    ok["describe"] = describe_bench(program, max(sizes))
    if shutil.which("valgrind"):
        ok["instructions"] = instructions_bench(program)
    else:
        print()
        print("valgrind is not installed: instructions per value are left out")
    return 0 if all(ok.values()) else 1


if __name__ == "__main__":
    sys.exit(main())
