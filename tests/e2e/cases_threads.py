"""A large data file read by two threads (--threads=2, the file cut into two
parts at a line start) gives byte for byte what one thread gives: the rows,
the warnings, the failures and the exit code. Each NIST StRD set and the
worked example are repeated to above two parts' worth, and odd lines fall
at the point where the file is cut: every kind of line end, a closing marker
line, a line longer than a part may hold, bad values, no last line end. The
certified mean is the oracle of the rows themselves."""
import os

import nist_strd

# The least bytes of a part: a file is cut in two above twice this ahead.
PART = 4 << 20
# Both runs, then whether they agree, then the two-thread run's output.
BOTH = ("{prog} %(args)s --threads=1 big.txt >one.out 2>one.err; echo \"exit $?\" >>one.err; "
        "{prog} %(args)s --threads=2 big.txt >two.out 2>two.err; echo \"exit $?\" >>two.err; "
        "if cmp -s one.out two.out && cmp -s one.err two.err; then echo same; fi; "
        "cat two.out two.err; rm -f one.out one.err two.out two.err")


def repeated(texts, end=b"\n"):
    """The value lines of a set, repeated to above two parts."""
    block = b"".join(t.encode() + end for t in texts)
    return block * (2 * PART // len(block) + 2)


def at_middle(values, line):
    """The value lines with the one where a two-part cut falls replaced by `line`,
    and how many value lines stand before it."""
    middle = len(values) // 2
    start = values.rfind(b"\n", 0, middle) + 1
    stop = values.find(b"\n", middle) + 1
    return values[:start] + line + values[stop:], values[:start].count(b"\n")


def writer(data):
    """A setup that writes big.txt (made when the case runs, not when listed)."""
    def setup(folder):
        with open(os.path.join(folder, "big.txt"), "wb") as f:
            f.write(data())
    return setup


def agreeing(*parts):
    """Both runs gave the same bytes, and those hold every part."""
    return lambda out: out.startswith(b"same\n") and all(p in out for p in parts)


def cases(h):
    sets = nist_strd.texts()
    sets["worked example"] = ["12.5", "13", "11.75"]
    certified = dict(nist_strd.CERTIFIED)
    certified["worked example"] = ("12.4166666666667", None)
    cases = []
    for name, texts in sets.items():
        count = len(repeated(texts).split(b"\n")) - 1
        mean = ("%.15g" % float(certified[name][0])).encode()
        body = lambda t=texts: b"NIST StRD\n/\n" + repeated(t) + b"/\n"
        cases.append(h.Case("threads: %s read in two parts" % name, posix_only=True,
                            bash=BOTH % {"args": "-F tsv -d 15"}, setup=writer(body),
                            stdin=b"", report=None, untouched=(),
                            console=agreeing(b"big.txt\t%d\t%s\t" % (count, mean), b"exit 0\n")))
    # Under Wine too: the parts read by position through Windows' own calls.
    lottery = sets["Lottery"]
    count = len(repeated(lottery).split(b"\n")) - 1
    cases.append(h.Case("threads: Lottery in two parts, n and the certified mean",
                        args=["-F", "tsv", "-d", "15", "--threads=2", "big.txt"], stdin=b"",
                        setup=writer(lambda: b"/\n" + repeated(lottery) + b"/\n"), report=None,
                        untouched=(), console=lambda out: out.replace(b"\r\n", b"\n").startswith(
                            b"file\tn\tmean\tvariance\tsd\tunbiased_variance\tunbiased_sd\terror"
                            b"\nbig.txt\t%d\t518.95871559633\t" % count)))
    odd = [
        # name, the value lines, the options, what the output holds
        ("CR LF line ends", lambda: repeated(lottery, b"\r\n"), "-F tsv", []),
        ("a closing marker line where the file is cut",
         lambda: at_middle(repeated(lottery), b"/ the end\n")[0] + b"99\nnot a value\n",
         "-F tsv", [b"\t%d\t" % at_middle(repeated(lottery), b"/\n")[1]]),
        ("a lone CR where the file is cut, a line end",
         lambda: at_middle(repeated(lottery), b"7\r8\n")[0], "-F tsv",
         [b"\t%d\t" % (count + 1), b"CR"]),
        ("a line longer than 998 bytes where the file is cut",
         lambda: at_middle(repeated(lottery), b"5" + b" " * 1000 + b"\n")[0], "-F tsv",
         [b"a line is longer than 998 bytes", b"exit 9\n"]),
        ("bad values near the cut, left out with their warnings",
         lambda: at_middle(repeated(lottery), b"NA\n\n5kg\n1e\n")[0], "-F json --skip-invalid",
         [b"holds no number: left out", b"exit 0\n"]),
        ("numbers of every spelling near the cut",
         lambda: at_middle(repeated(lottery), b"  +1.5e3 x\n-0\n12345678901234567\n.5\n7.\n")[0],
         "-F csv -d 17", [b"exit 0\n"]),
    ]
    for name, values, args, parts in odd:
        body = lambda v=values: b"head\n/\n" + v()
        cases.append(h.Case("threads: " + name, posix_only=True, bash=BOTH % {"args": args},
                            setup=writer(body), stdin=b"", report=None, untouched=(),
                            console=agreeing(*parts)))
    cases.append(h.Case("threads: no line end after the last value", posix_only=True,
                        bash=BOTH % {"args": "-F tsv"}, stdin=b"", report=None, untouched=(),
                        setup=writer(lambda: b"/\n" + repeated(lottery) + b"42"),
                        console=agreeing(b"\t%d\t" % (count + 1), b"exit 0\n")))
    return cases
