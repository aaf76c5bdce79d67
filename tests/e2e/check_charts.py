#!/usr/bin/env python3
"""The charts of --plot, checked where people meet them: each test chart is
made by the program, parsed as XML by Python's own parser, then rendered by
Debian's Chromium (headless, started once) in a page that embeds them all and
writes what the browser measured into the document, read back with --dump-dom:

- every text's box lies inside the view box;
- no two of the bin edges' numbers overlap;
- one bar for each bin that holds values (bins from an exact oracle over
  decimals), each as high as its count says, to a pixel;
- the picture drawn into a canvas is not blank, and every bar's inside is
  drawn in the bars' own colour (nothing laid over it tints it);
- the title is the data file's own name (and the field's), the horizontal
  axis names the field, the box plot's whiskers and outlying values are
  those of Tukey's rule from an exact oracle over fractions, and every
  outlier's ring lies inside the view box;
- a compare run's chart (-c): a labelled box for each sample inside the
  picture, the means and their intervals at the oracle's doubles, the
  test and level as the title, a caption line per compared sample with the
  oracle's verdict and difference, and nothing drawn over the caption.

Usage: check_charts.py --program PROGRAM [--chromium PATH] [--keep DIR] [-k SUBSTRING]
Exit 77 (skipped) when Chromium is not installed.
"""
import argparse
import fractions
import html
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run_e2e  # noqa: E402  (the exact histogram oracle)
import cases_compare  # noqa: E402  (the comparisons' oracle)
import cases_statistics  # noqa: E402  (the mean's interval)

SVG = "{http://www.w3.org/2000/svg}"
EXAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples",
                       "data.txt")
RNG = run_e2e.random.Random(2026)

# (name, data file bytes' values or typed text, extra options)
CHARTS = [
    ("example", None, []),
    ("tenths", run_e2e.TENTHS + [0.35], ["--bins=9"]),
    ("normal", [round(RNG.gauss(100, 15), 2) for _ in range(500)], []),
    ("two humps", [round(RNG.gauss(20, 3), 1) for _ in range(300)]
     + [round(RNG.gauss(60, 5), 1) for _ in range(200)], ["--bins=30"]),
    ("skewed", [round(RNG.expovariate(0.5), 3) for _ in range(400)], []),
    ("negative", [-0.0, -0.5, -1.5, -2.0, 0.5, 3.0], []),
    ("huge", [1e300, -1e300, 5e299, 1.7976931348623157e308], []),
    ("tiny", [5e-324, 1e-320, 2.5e-310, 0.0], []),
    ("many bins", [round(RNG.uniform(0, 1000), 3) for _ in range(2000)], ["--bins=1000"]),
    ("long edges", [1e16 + 2 * k for k in range(40)], ["--bins=20"]),
    ("long edges pushed in at the left", [-1.7976931348623157e308, -1.7976931348623155e308,
                                          -1.7976931348623153e308, -1.797693134862315e308], []),
    # Q1 = 2, Q3 = 4: the fences -1 and 7 are values, inside; the doubles
    # just beyond them are outliers.
    ("on the fences", [-1.0000000000000002, -1.0, 2.0, 2.0, 2.0, 3.0, 4.0, 4.0, 4.0, 7.0,
                       7.000000000000001], []),
    ("heavy tail", [round(RNG.lognormvariate(6, 0.8)) for _ in range(141)], ["-L", "en"]),
    # Cauchy: some 15% of the values lie beyond the fences, about 780.
    ("more outliers than drawn", [math.tan(math.pi * (RNG.random() - 0.5)) for _ in range(5000)],
     []),
    ("a field by name", [round(RNG.gauss(70, 13)) for _ in range(272)],
     ["-p", "-H", "-t", ",", "-f", "waiting"]),
    ("all equal", [12.5] * 5, []),
    ("one value", [7.0], []),
    ("no values", [], []),
    ("not numbers", None, []),
    ("english", [round(RNG.gauss(5, 1), 2) for _ in range(100)], ["-L", "en"]),
    ("a long Japanese name", [1.0, 2.0, 2.0, 3.0], []),
    ("a name XML cannot hold", [1.0, 2.0, 2.0, 3.0], []),
]

# Compare runs: (name, each sample's values, options). Samples of scales
# from 1e-3 to 1e5 share one axis; a long name is cut in the label.
SCALES = [[round(RNG.gauss(0.002, 0.0005), 6) for _ in range(30)],
          [round(RNG.gauss(3, 1), 3) for _ in range(8)],
          [round(RNG.lognormvariate(10, 1), 1) for _ in range(50)],  # outliers
          [float(round(RNG.gauss(4e5, 9e4))) for _ in range(3)]]
NEAR = [[round(RNG.gauss(10, 2), 2) for _ in range(12)] for _ in range(2)]
COMPARES = [
    ("compare: two samples", NEAR, []),
    ("compare: two samples, English, 99.9%", NEAR, ["-L", "en", "--confidence=99.9"]),
    ("compare: four scales, a long name", SCALES, []),
    ("compare: four scales, English, pooled", SCALES, ["-L", "en", "--pooled"]),
]
METHODS = {"welch": ("Welch の t 検定", "Welch's t-test"),
           "pooled": ("Student の t 検定 (プールした SD)", "Student's t-test, pooled SD")}

PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"></head><body style="margin:0">
%s
<pre id="result"></pre>
<script>
const measure = (svg) => new Promise((done) => {
const origin = svg.getBoundingClientRect();
const box = (e) => { const r = e.getBoundingClientRect();
  return [r.left - origin.left, r.top - origin.top, r.right - origin.left, r.bottom - origin.top]; };
const result = {
  viewBox: [svg.viewBox.baseVal.x, svg.viewBox.baseVal.y, svg.viewBox.baseVal.width,
            svg.viewBox.baseVal.height],
  size: [origin.width, origin.height],
  texts: [...svg.querySelectorAll("text")].map((t) => ({text: t.textContent, box: box(t)})),
  ticks: [...svg.querySelectorAll("text.tick-x")].map(box),
  bars: [...svg.querySelectorAll("rect.bar")].map((r) => ({count: +r.dataset.count,
    height: r.getBBox().height, box: box(r)})),
  rings: [...svg.querySelectorAll("circle.outlier")].map(box),
  mean: [...svg.querySelectorAll("line.mean")].map((l) => +l.getAttribute("x1")),
  boxes: [...svg.querySelectorAll("rect.box")].map(box),
  captions: [...svg.querySelectorAll("text.caption")].map(box),
  drawn: [...svg.querySelectorAll("line, circle, rect:not([fill='#ffffff']), text:not(.caption)")]
    .map((e) => ({what: e.getAttribute("class") || e.tagName, box: box(e)})),
};
const image = new Image();
image.onload = () => {
  const canvas = document.createElement("canvas");
  canvas.width = result.viewBox[2]; canvas.height = result.viewBox[3];
  const g = canvas.getContext("2d");
  g.drawImage(image, 0, 0);
  const d = g.getImageData(0, 0, canvas.width, canvas.height).data;
  let ink = 0;
  for (let i = 0; i < d.length; i += 4) if (d[i] < 200 || d[i + 1] < 200 || d[i + 2] < 200) ink++;
  result.ink = ink / (canvas.width * canvas.height);
  // Each wide bar's inside, 2 pixels in from its edges and away from the
  // mean's line: every pixel the bars' colour, #4a7ebb.
  result.tinted = 0;
  for (const bar of result.bars) {
    const [left, top, right, bottom] = bar.box.map(Math.round);
    for (let y = top + 2; y < bottom - 2; y++) {
      for (let x = left + 2; x < right - 2; x++) {
        if (result.mean.some((m) => Math.abs(x + 0.5 - m) < 3)) continue;
        const i = 4 * (y * canvas.width + x);
        if (Math.abs(d[i] - 0x4a) > 2 || Math.abs(d[i + 1] - 0x7e) > 2 ||
            Math.abs(d[i + 2] - 0xbb) > 2) result.tinted++;
      }
    }
  }
  done(result);
};
image.onerror = () => { result.ink = -1; done(result); };
image.src = "data:image/svg+xml;charset=utf-8," +
  encodeURIComponent(new XMLSerializer().serializeToString(svg));
});
Promise.all([...document.querySelectorAll("body > div > svg")].map(measure)).then((all) => {
  document.getElementById("result").textContent = JSON.stringify(all); });
</script></body></html>
"""


def make_chart(program, folder, name, values, options):
    """Runs the program on a data file of the values; gives the chart's path
    and the values as the data holds them."""
    data = os.path.join(folder, "data.txt")
    if name == "example":
        shutil.copy(EXAMPLE, data)
        values = run_e2e.WORKED_VALUES
    elif name == "not numbers":
        with open(data, "wb") as f:
            f.write(b"/\n1\nNA\n2\n2.5\nx\n3\n/\n")
        values = [1.0, math.nan, 2.0, 2.5, math.nan, 3.0]
    elif name == "a field by name":
        with open(data, "w") as f:
            f.write("eruptions,waiting\n" + "".join("3.5,%r\n" % v for v in values))
    else:
        with open(data, "wb") as f:
            f.write(run_e2e.values_file(values))
    chart = os.path.join(folder, "chart.svg")
    shown = "./data.txt"  # the title leaves out the folder
    if name.startswith("a long"):
        # A name of 82 Japanese characters, too long for the title even at its
        # smallest, in folders of Japanese names (not in the title).
        shown = os.path.join(*["データ" * 20] * 3, "測定値の一覧" * 13 + ".txt")
        os.makedirs(os.path.join(folder, os.path.dirname(shown)))
        os.replace(data, os.path.join(folder, shown))
    elif name.startswith("a name XML"):
        # U+FFFE, U+FFFF, control bytes, a surrogate and a stray byte: the
        # title leaves out what XML cannot hold and shows U+FFFD for the rest.
        shown = os.fsdecode(b"\xef\xbf\xbe\x01data\x1b\xed\xa0\x80\xef\xbf\xbf\xff.txt")
        os.replace(data, os.path.join(folder, shown))
    bins = next((int(o.split("=")[1]) for o in options if o.startswith("--bins=")), None)
    proc = subprocess.run([program, "--plot=chart.svg", *options, shown, "report.txt"],
                          cwd=folder, capture_output=True)
    if proc.returncode != 0:
        raise RuntimeError("exit %d: %s" % (proc.returncode, proc.stderr.decode(errors="replace")))
    return chart, values, bins


def check_xml(svg_bytes):
    """The file as a standalone SVG 1.1: XML declaration, size and view box,
    no script and no reference to anything outside it."""
    problems = []
    if not svg_bytes.startswith(b'<?xml version="1.0" encoding="UTF-8"'):
        problems.append("no XML declaration")
    root = ET.fromstring(svg_bytes)
    if root.tag != SVG + "svg" or root.get("version") != "1.1":
        problems.append("not an SVG 1.1 root")
    for attribute in ("width", "height", "viewBox"):
        if not root.get(attribute):
            problems.append("no " + attribute)
    for element in root.iter():
        if element.tag == SVG + "script":
            problems.append("a script")
        for key, value in element.attrib.items():
            if key.endswith("href") or "url(" in value:
                problems.append("a reference: %s=%s" % (key, value))
    return problems


def texts_of(svg_bytes, kind):
    return [t.text for t in ET.fromstring(svg_bytes).iter(SVG + "text") if t.get("class") == kind]


def check_title(svg_bytes, expected):
    titles = texts_of(svg_bytes, "title")
    if callable(expected):
        return [] if len(titles) == 1 and expected(titles[0]) else ["title %r" % titles]
    return [] if titles == [expected] else ["title %r, expected %r" % (titles, expected)]


def expected_title(name, options):
    """The title and the horizontal axis's label the chart should show."""
    if name.startswith("a long"):
        return (lambda t: t.startswith("\u2026") and t.endswith("測定値の一覧.txt")
                and "データ" not in t), "値"
    if name.startswith("a name XML"):
        return "data\ufffd.txt", "値"
    if "-f" in options:
        field = options[options.index("-f") + 1]
        return "data.txt: " + field, field
    return "data.txt", "Value" if "en" in options else "値"


def quantile(ordered, quarters):
    """The p-quantile (p = quarters/4) of the sorted fractions, interpolated
    as R's default does: h = (n - 1)p + 1."""
    scaled = (len(ordered) - 1) * quarters
    k, w = divmod(scaled, 4)
    if w == 0:
        return ordered[k]
    return ordered[k] + fractions.Fraction(w, 4) * (ordered[k + 1] - ordered[k])


def tukey(values):
    """The whiskers' ends and the distinct outlying values by Tukey's rule,
    exactly; None when the data has no box plot."""
    if not values or any(math.isnan(v) or math.isinf(v) for v in values):
        return None
    ordered = sorted(fractions.Fraction(repr(v)) for v in values)  # as written
    q1, q3 = quantile(ordered, 1), quantile(ordered, 3)
    low, high = q1 - (q3 - q1) * 3 / 2, q3 + (q3 - q1) * 3 / 2
    inside = [v for v in ordered if low <= v <= high]
    outliers = sorted({v for v in ordered if v < low or v > high})
    return inside[0], inside[-1], outliers


def check_box_plot(svg_bytes, values):
    """The whiskers and the outliers' rings against the exact oracle: every
    distinct outlier while they are few, else 500 of them, the extremes
    among them."""
    expected = tukey(values)
    if expected is None:
        return []
    root = ET.fromstring(svg_bytes)
    value = lambda e: fractions.Fraction(repr(float(e.get("data-value"))))  # noqa: E731
    whiskers = sorted(value(e) for e in root.iter(SVG + "line") if e.get("class") == "whisker")
    rings = [value(e) for e in root.iter(SVG + "circle") if e.get("class") == "outlier"]
    low, high, outliers = expected
    problems = []
    if whiskers != [low, high]:
        problems.append("whiskers at %s, expected %s" % (
            [float(w) for w in whiskers], [float(low), float(high)]))
    if len(outliers) <= 500:
        if rings != outliers:
            problems.append("outliers %s, expected %s" % (
                [float(r) for r in rings][:8], [float(o) for o in outliers][:8]))
    elif (len(rings) != 500 or rings != sorted(set(rings)) or rings[0] != outliers[0]
          or rings[-1] != outliers[-1] or not set(rings) <= set(outliers)):
        problems.append("%d outliers drawn of %d, not 500 with the extremes" % (
            len(rings), len(outliers)))
    return problems


def make_compare(program, folder, samples, options):
    """Runs a compare run on a data file per sample; gives the chart's bytes
    and the samples' names (the files'; the last long in Japanese)."""
    names = ["%s.txt" % "abcd"[k] for k in range(len(samples))]
    if len(samples) > 2 and "en" not in options:
        names[-1] = "測定値の一覧" * 5 + ".txt"
    for name, values in zip(names, samples):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(run_e2e.values_file(values))
    proc = subprocess.run([program, "-c", "--plot=chart.svg", *options, *names], cwd=folder,
                          capture_output=True)
    if proc.returncode != 0:
        raise RuntimeError("exit %d: %s" % (proc.returncode, proc.stderr.decode(errors="replace")))
    with open(os.path.join(folder, "chart.svg"), "rb") as f:
        return f.read(), names


def cut_to(text, name):
    """The text is the name, or its start with an ellipsis for the rest."""
    return text == name or (text.endswith("\u2026") and name.startswith(text[:-1]))


def check_compare(svg_bytes, names, samples, options):
    """The title, the labels, a box and the mean's interval for each sample,
    and a whole caption line for each compared one, against the oracles."""
    en = "en" in options
    level = next((o.split("=")[1] for o in options if o.startswith("--confidence=")), "95")
    method = "pooled" if "--pooled" in options else "welch"
    shown = cases_compare.level_text(level, True)
    problems = check_title(svg_bytes, "%s, %s %s" % (METHODS[method][en], shown,
                                                     "confidence" if en else "信頼水準"))
    labels = texts_of(svg_bytes, "set")
    if len(labels) != len(names) or not all(map(cut_to, labels, names)):
        problems.append("labels %r" % labels)
    root = ET.fromstring(svg_bytes)
    texts = [tuple(repr(v) for v in values) for values in samples]
    ends = [(float(e.get("data-low")), float(e.get("data-high")))
            for e in root.iter(SVG + "line") if e.get("class") == "interval"]
    exact = [cases_statistics.exact(t, level, 0, ()) for t in texts]
    if ends != [tuple(cases_statistics.double_of(run_e2e, r[k]) for k in ("ci_low", "ci_high"))
                for r in exact] or len(root.findall(".//%srect[@class='box']" % SVG)) != len(texts):
        problems.append("intervals %s, not a box and an interval for each sample" % ends)
    expected = []
    for sample, name in zip(texts[1:], names[1:]):
        r = cases_compare.compared(texts[0], sample, method, level)
        number = lambda key: cases_compare.text(run_e2e, r[key], 6)  # noqa: E731
        verdict = (["No difference proven at %s confidence", "Difference at %s confidence"] if en
                   else ["差があるとは言えない (%s 信頼水準)", "差がある (%s 信頼水準)"])
        expected.append("%s - %s: %s, %s = %s %s %s [%s, %s]" % (
            name, names[0], verdict[r["different"]] % shown, "Difference" if en else "差",
            number("diff"), "+/-" if en else "±", number("half"), number("diff_low"),
            number("diff_high")))
    if texts_of(svg_bytes, "caption") != expected:
        problems.append("caption %r, expected %r" % (texts_of(svg_bytes, "caption"), expected))
    return problems


def render(chromium, folder, charts):
    """What the browser measured of each chart, in one page that embeds
    them all (one start of the browser)."""
    body = "\n".join("<div>%s</div>" % svg.decode("utf-8").split("?>", 1)[1] for svg in charts)
    page = os.path.join(folder, "page.html")
    with open(page, "w", encoding="utf-8") as f:
        f.write(PAGE % body)
    proc = subprocess.run([chromium, "--headless", "--no-sandbox", "--disable-gpu",
                           "--allow-file-access-from-files", "--virtual-time-budget=30000",
                           "--dump-dom", "file://" + page],
                          capture_output=True, timeout=300)
    dom = proc.stdout.decode("utf-8")
    start = dom.find('<pre id="result">')
    end = dom.find("</pre>", start)
    if start < 0 or end < 0:
        raise RuntimeError("no measurements in the page: %s" % proc.stderr.decode()[-500:])
    measured = json.loads(html.unescape(dom[start + len('<pre id="result">'):end]) or "[]")
    if len(measured) != len(charts):
        raise RuntimeError("%d charts measured of %d" % (len(measured), len(charts)))
    return measured


def overlaps(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def check_picture(m):
    """What every chart must be: at its size, its texts and rings inside it,
    its tick numbers apart, and not blank."""
    problems = []
    x, y, width, height = m["viewBox"]
    if m["size"] != [width, height]:
        problems.append("shown at %s, not at its view box's size" % m["size"])
    for t in m["texts"]:
        b = t["box"]
        if b[0] < x or b[1] < y or b[2] > x + width or b[3] > y + height:
            problems.append("text %r at %s leaves the view box" % (t["text"][:40], b))
    ticks = sorted(m["ticks"])
    for left, right in zip(ticks, ticks[1:]):
        if overlaps(left, right):
            problems.append("tick labels at %s and %s overlap" % (left, right))
    for b in m["rings"] + m["boxes"]:
        if b[0] < x or b[1] < y or b[2] > x + width or b[3] > y + height:
            problems.append("a ring or a box at %s leaves the view box" % b)
    if not m.get("ink", 0) > 0.002:
        problems.append("the picture is blank (ink %s)" % m.get("ink"))
    return problems


def check_compare_rendering(m):
    """A compare chart: nothing drawn over a caption line, nor one line over
    another."""
    problems = check_picture(m)
    for k, caption in enumerate(m["captions"]):
        for other in m["drawn"] + [{"what": "caption", "box": b} for b in m["captions"][k + 1:]]:
            if overlaps(caption, other["box"]):
                problems.append("%s at %s overlaps the caption at %s" % (
                    other["what"], other["box"], caption))
    return problems


def check_rendering(m, values, bins):
    problems = check_picture(m)
    expected, _ = run_e2e.histogram(values, bins)
    filled = [n for _, _, n in expected if n > 0]
    counts = [bar["count"] for bar in m["bars"]]
    if counts != filled:
        problems.append("bars %s, expected %s" % (counts, filled))
    if m["bars"]:
        most = max(m["bars"], key=lambda bar: bar["count"])
        per_count = most["height"] / most["count"]
        for bar in m["bars"]:
            if abs(bar["height"] - bar["count"] * per_count) > 1:
                problems.append("bar of %d is %.1f high, not %.1f" % (
                    bar["count"], bar["height"], bar["count"] * per_count))
    if m.get("tinted", 0) != 0:
        problems.append("%s pixels inside the bars are not the bars' colour" % m.get("tinted"))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--chromium", default=shutil.which("chromium") or "")
    parser.add_argument("--keep", help="a folder to keep every chart and page in")
    parser.add_argument("-k", default="", help="only the charts whose name holds this")
    args = parser.parse_args()
    if not args.chromium:
        print("skipped: chromium is not installed")
        return 77
    program = os.path.abspath(args.program)
    problems = {}  # each chart's, in the order made
    made = []  # (name, svg bytes, check of what the browser measured) of the charts to render
    for name, values, options in [c for c in CHARTS if args.k in c[0]]:
        with tempfile.TemporaryDirectory() as folder:
            try:
                chart, shown, bins = make_chart(program, folder, name, values, options)
                with open(chart, "rb") as f:
                    svg_bytes = f.read()
                found = check_xml(svg_bytes)
                title, axis = expected_title(name, options)
                found += check_title(svg_bytes, title)
                if texts_of(svg_bytes, "axis-x") != [axis]:
                    found.append("axis %r, expected %r" % (texts_of(svg_bytes, "axis-x"), axis))
                found += check_box_plot(svg_bytes, shown)
                made.append((name, svg_bytes,
                             lambda m, shown=shown, bins=bins: check_rendering(m, shown, bins)))
                if args.keep:
                    os.makedirs(args.keep, exist_ok=True)
                    shutil.copy(chart, os.path.join(args.keep, name.replace(" ", "-") + ".svg"))
            except Exception as e:  # a broken chart must not hide the others
                found = ["%s: %s" % (type(e).__name__, e)]
            problems[name] = found
    for name, samples, options in [c for c in COMPARES if args.k in c[0]]:
        with tempfile.TemporaryDirectory() as folder:
            try:
                svg_bytes, names = make_compare(program, folder, samples, options)
                found = check_xml(svg_bytes) + check_compare(svg_bytes, names, samples, options)
                made.append((name, svg_bytes, check_compare_rendering))
                if args.keep:
                    os.makedirs(args.keep, exist_ok=True)
                    shutil.copy(os.path.join(folder, "chart.svg"),
                                os.path.join(args.keep, name.replace(" ", "-") + ".svg"))
            except Exception as e:
                found = ["%s: %s" % (type(e).__name__, e)]
            problems[name] = found
    with tempfile.TemporaryDirectory() as folder:
        try:
            measured = render(args.chromium, folder, [svg for _, svg, _ in made])
            for (name, _, check), m in zip(made, measured):
                problems[name] += check(m)
        except Exception as e:
            for name, _, _ in made:
                problems[name].append("%s: %s" % (type(e).__name__, e))
    failed = 0
    for name, found in problems.items():
        print("%s  %s" % ("FAIL" if found else "ok  ", name[:60]))
        for p in found[:10]:
            print("   " + p)
        failed += bool(found)
    print("%d failed" % failed)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
