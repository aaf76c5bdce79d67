"""End-to-end cases: what the program writes never destroys what the user
owns. Each output is compared with the data and with the other outputs by
what it is, never by its name; a link to an open descriptor is written
through it; an existing file that holds no report is not replaced by a slip;
a failed run leaves every output as it was. The user's files are compared
byte for byte afterwards."""
import os
import shutil
import signal
import subprocess

OLD_LOG = b"an earlier line of the log\n"
NOT_A_REPORT = b"/\n20\n21\n/\n"  # a data file
DESCRIPTOR_SPELLINGS = ("/dev/stdout", "/dev/fd/1", "/proc/self/fd/1")


def is_root():
    return hasattr(os, "geteuid") and os.geteuid() == 0


def can_mount_tmpfs():
    if not is_root() or shutil.which("mount") is None:
        return False
    probe = subprocess.run(["unshare", "-m", "true"], capture_output=True)
    return probe.returncode == 0


def cases(h):
    worked = h.report("data.txt", h.WORKED_VALUES)
    rows_of = lambda name: lambda got: h.machine_check("tsv", [(name, h.A, None)])(got)
    as_nobody = "setpriv --reuid=65534 --regid=65534 --clear-groups "
    # A folder that user nobody may not write, holding a report nobody may
    # write: no new file can be made beside it.
    locked_folder = ("mkdir ro && printf 'Input data file = old\\n' > ro/r.txt && "
                     "chmod 666 ro/r.txt && chmod 555 ro && chmod 755 . && chmod 644 *.txt && ")
    cs = []

    # Through a descriptor: appended to what standard output is open on.
    for spelling in DESCRIPTOR_SPELLINGS:
        cs += [
            h.Case("output: a REPORT spelled %s appends to the log" % spelling, posix_only=True,
                   bash="{prog} data.txt %s >> log.txt" % spelling, stdin=b"", console=b"",
                   files={"data.txt": h.WORKED_DATA, "log.txt": OLD_LOG},
                   after={"log.txt": OLD_LOG + worked}),
            h.Case("output: -o %s appends the rows to the log" % spelling, posix_only=True,
                   bash="{prog} -F tsv -o %s data.txt >> log.tsv" % spelling, stdin=b"",
                   console=b"", files={"data.txt": h.WORKED_DATA, "log.tsv": OLD_LOG},
                   verify=lambda d: None if h.read_file(d, "log.tsv").startswith(OLD_LOG)
                   and rows_of("data.txt")(h.read_file(d, "log.tsv")[len(OLD_LOG):])
                   else "log.tsv lost its lines"),
        ]
    cs += [
        h.Case("output: --plot=/dev/stdout appends the chart", posix_only=True,
               bash="{prog} --plot=/dev/stdout data.txt r.txt >> log.svg", stdin=b"",
               console=b"", files={"data.txt": h.WORKED_DATA, "log.svg": OLD_LOG},
               report_name="r.txt", report=h.WORKED_REPORT,
               verify=lambda d: None if h.read_file(d, "log.svg") == OLD_LOG + h.example_chart()
               else "log.svg is not the old line and the chart"),
        h.Case("output: a link to /dev/stdout is written through it", posix_only=True,
               bash="ln -s /dev/stdout out && {prog} data.txt out >> log.txt; s=$?; rm out; exit $s", stdin=b"",
               console=b"", files={"data.txt": h.WORKED_DATA, "log.txt": OLD_LOG},
               after={"log.txt": OLD_LOG + worked}),
        h.Case("output: --plot=- with a named REPORT goes to standard output",
               args=["--plot=-", "data.txt", "r.txt"], files={"data.txt": h.WORKED_DATA},
               stdin=b"", console=h.example_chart(), report_name="r.txt",
               report=h.WORKED_REPORT, windows={"console": lambda out: True}),
    ]

    # The chart onto the report, under any spelling: refused before anything.
    for args, setup in ((["--plot=./r.txt", "data.txt", "r.txt"], None),
                        (["--plot=sub/../r.txt", "data.txt", "r.txt"], h.make_dir("sub")),
                        (["--plot=link.txt", "data.txt", "r.txt"],
                         lambda d: os.symlink("r.txt", os.path.join(d, "link.txt")))):
        kw = h.usage_error("the chart and the report would be the same file '%s'"
                           % args[0][len("--plot="):])
        kw["files"] = {"data.txt": h.WORKED_DATA, "r.txt": h.OLD_REPORT}
        cs.append(h.Case("output: the chart refused on the report as " + args[0], args=args,
                         setup=setup, untouched=("data.txt", "r.txt"),
                         posix_only=setup is not None and "link" in args[0], **kw))
    cs += [
        h.Case("output: the chart refused on the file standard output goes to", posix_only=True,
               bash="{prog} data.txt --plot=out.txt > out.txt", files={"data.txt": h.WORKED_DATA},
               stdin=b"", console=b"", code=2, after={"out.txt": b""},
               stderr=b"descstat: the chart and the report would be the same file 'out.txt'\n"
                      + h.TRY_HELP),
        h.Case("output: --plot=- beside a report on standard output",
               **h.usage_error("the chart and the report would both go to standard output "
                               "(name a REPORT)"), args=["--plot=-", "data.txt"]),
        h.Case("output: --plot=- in the dialogue",
               **h.usage_error("the chart cannot go to standard output, which shows the "
                               "dialogue"), args=["--plot=-"]),
        h.Case("output: the dialogue refuses the chart's file as its report",
               args=["--plot=c.svg"], files={"data.txt": h.WORKED_DATA, "c.svg": b"<svg/>"},
               stdin=b"data.txt\n./c.svg\nx\n", untouched=("data.txt", "c.svg"), code=9,
               console=h.failure("To open output file failed: it is the chart file.")),
        h.Case("output: --output in the dialogue is a usage error",
               **h.usage_error("option '--output' needs data files named on the command line"),
               args=["-F", "tsv", "-o", "rows.tsv"]),
        h.Case("output: an empty REPORT", args=["data.txt", ""], files={"data.txt": h.WORKED_DATA},
               stdin=b"", console=b"", code=9,
               stderr=b"descstat: To open output file failed.\n"),
    ]

    # A failed chart leaves the report as it was: both are put in place
    # together, at the end.
    cs.append(h.Case("output: a chart that cannot be written keeps the old report",
                     args=["--plot=nodir/c.svg", "data.txt", "r.txt"],
                     files={"data.txt": h.WORKED_DATA, "r.txt": h.OLD_REPORT}, stdin=b"",
                     console=b"", code=9, untouched=("data.txt", "r.txt"),
                     stderr=lambda e: e.startswith(b"descstat: To open output file failed: "
                                                   b"nodir/c.svg")))
    cs.append(h.Case("output: a chart whose write fails keeps the old report", posix_only=True,
                     args=["--plot=c.svg", "data.txt", "r.txt"],
                     files={"data.txt": h.WORKED_DATA, "r.txt": h.OLD_REPORT}, stdin=b"",
                     console=b"", code=9, untouched=("data.txt", "r.txt"),
                     shim_env=h.write_fault("c.svg.descstat-*", 100, once=False),
                     stderr=b"descstat: To write output file failed.\n",
                     verify=h.only_files("data.txt", "r.txt")))

    # The slips: an operand that is somebody's data is not replaced.
    slip = b"descstat: To open output file failed: it exists and is no report.\n"
    cs += [
        h.Case("output: two data files as DATA REPORT", args=["before.txt", "after.txt"],
               files={"before.txt": h.WORKED_DATA, "after.txt": NOT_A_REPORT}, stdin=b"",
               console=b"", code=9, untouched=("before.txt", "after.txt"),
               stderr=slip + b"descstat: 'after.txt' holds no report; --force replaces it "
                      b"anyway, and --format=tsv DATA... gives a row for each of several data "
                      b"files\n"),
        h.Case("output: --plot taking the first data file as its name",
               args=["--plot", "day1.txt", "day2.txt"],
               files={"day1.txt": NOT_A_REPORT, "day2.txt": h.WORKED_DATA}, stdin=b"",
               console=b"", code=9, untouched=("day1.txt", "day2.txt"),
               stderr=slip + b"descstat: 'day1.txt' holds no output of descstat; --force "
                      b"replaces it anyway\n"),
        h.Case("output: -o naming a data file that is not read",
               args=["-F", "csv", "-o", "keep.txt", "data.txt"],
               files={"data.txt": h.WORKED_DATA, "keep.txt": NOT_A_REPORT}, stdin=b"",
               console=b"", code=9, untouched=("data.txt", "keep.txt"),
               stderr=lambda e: e.startswith(slip.rstrip(b"\n"))),
        h.Case("output: --force replaces it anyway", args=["--force", "before.txt", "after.txt"],
               files={"before.txt": h.WORKED_DATA, "after.txt": NOT_A_REPORT}, stdin=b"",
               console=b"", untouched=("before.txt",), report_name="after.txt",
               report=h.report("before.txt", h.WORKED_VALUES)),
        h.Case("output: an earlier report is replaced", args=["data.txt", "r.txt"],
               files={"data.txt": h.WORKED_DATA, "r.txt": worked.replace(b"12.5", b"99")},
               stdin=b"", console=b"", report_name="r.txt", report=worked),
        h.Case("output: an empty file is replaced", args=["data.txt", "r.txt"],
               files={"data.txt": h.WORKED_DATA, "r.txt": b""}, stdin=b"", console=b"",
               report_name="r.txt", report=worked),
    ]

    # A name so long that the new file's name would be too long for the
    # system: the new file gets a shorter one, and the report is replaced.
    long_name = "r" * 245 + ".txt"
    cs.append(h.Case("output: a REPORT of 249 bytes is replaced whole", posix_only=True,
                     args=["data.txt", long_name], stdin=b"", console=b"",
                     files={"data.txt": h.WORKED_DATA, long_name: h.OLD_REPORT},
                     report_name=long_name, report=worked))

    # No new file can be made beside the report (a folder user nobody may not
    # write): the report is written in place, only once the run succeeded.
    if is_root() and shutil.which("setpriv"):
        cs += [
            h.Case("output: a locked folder: the report written in place", posix_only=True,
                   bash=locked_folder + as_nobody + "{prog} data.txt ro/r.txt",
                   files={"data.txt": h.WORKED_DATA}, stdin=b"", console=b"",
                   report_name="ro/r.txt", report=worked),
            h.Case("output: a locked folder: a failed run leaves the report", posix_only=True,
                   bash=locked_folder + as_nobody + "{prog} bad.txt ro/r.txt",
                   files={"data.txt": h.WORKED_DATA, "bad.txt": b""}, stdin=b"",
                   console=b"", code=9, stderr=lambda e: b"marker line" in e,
                   report_name="ro/r.txt", report=b"Input data file = old\n"),
            h.Case("output: a locked folder: twenty runs at once leave one whole report",
                   posix_only=True,
                   bash=locked_folder + "for i in $(seq 20); do " + as_nobody
                   + "{prog} -L en --no-listing big.txt ro/r.txt & " + as_nobody
                   + "{prog} -L en data.txt ro/r.txt & done; wait",
                   files={"data.txt": h.WORKED_DATA, "big.txt": h.BIG_DATA}, stdin=b"",
                   console=b"", report_name="ro/r.txt",
                   report=h.one_of(h.report("data.txt", h.WORKED_VALUES, english=True),
                                   h.report_in_english("big.txt", h.BIG_VALUES, 6, False,
                                                       listing=False))),
        ]
    # No free inode for the new file: the write failure it is, never in place.
    if can_mount_tmpfs():
        cs.append(h.Case("output: no free inode: a failure, the report left as it was",
                         posix_only=True,
                         bash="mkdir m && unshare -m bash -c 'mount -t tmpfs -o size=64k,"
                              "nr_inodes=3 none m && printf \"Input data file = old\\n\" > m/r.txt"
                              " && : > m/x && cp m/r.txt kept.txt; {prog} data.txt m/r.txt; s=$?;"
                              " cmp -s m/r.txt kept.txt || s=99; umount m; rm -r kept.txt m; exit $s'",
                         files={"data.txt": h.WORKED_DATA}, stdin=b"", console=b"", code=9,
                         stderr=b"descstat: To write output file failed: m/r.txt: No space left "
                                b"on device\n"))
    # The ending signals the new files are removed on.
    cs += [h.signalled(signum) for signum in (signal.SIGQUIT, signal.SIGXCPU, signal.SIGALRM,
                                              signal.SIGUSR1, signal.SIGUSR2)]
    return cs
