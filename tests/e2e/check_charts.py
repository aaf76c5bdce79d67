#!/usr/bin/env python3
"""The charts of --plot, checked where people meet them: each test chart is
made by the program, parsed as XML by Python's own parser, then rendered by
Debian's Chromium (headless) in a page that embeds it and writes what the
browser measured into the document, read back with --dump-dom:

- every text's box lies inside the view box;
- no two of the bin edges' numbers overlap;
- one bar for each bin that holds values (bins from an exact oracle over
  decimals), each as high as its count says, to a pixel;
- the picture drawn into a canvas is not blank.

Usage: check_charts.py --program PROGRAM [--chromium PATH] [--keep DIR]
Exit 77 (skipped) when Chromium is not installed.
"""
import argparse
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
    ("all equal", [12.5] * 5, []),
    ("one value", [7.0], []),
    ("no values", [], []),
    ("not numbers", None, []),
    ("english", [round(RNG.gauss(5, 1), 2) for _ in range(100)], ["-L", "en"]),
    ("a long Japanese name", [1.0, 2.0, 2.0, 3.0], []),
    ("a name XML cannot hold", [1.0, 2.0, 2.0, 3.0], []),
]

PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"></head><body style="margin:0">
%s
<pre id="result"></pre>
<script>
const svg = document.querySelector("svg");
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
  document.getElementById("result").textContent = JSON.stringify(result);
};
image.onerror = () => { result.ink = -1;
  document.getElementById("result").textContent = JSON.stringify(result); };
image.src = "data:image/svg+xml;charset=utf-8," +
  encodeURIComponent(new XMLSerializer().serializeToString(svg));
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
    else:
        with open(data, "wb") as f:
            f.write(run_e2e.values_file(values))
    chart = os.path.join(folder, "chart.svg")
    shown = "data.txt"
    if name.startswith("a long"):
        # A title of some 200 characters: folders of Japanese names.
        shown = os.path.join(*["データ" * 20] * 3, "測定値の一覧.txt")
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


def check_title(svg_bytes, expected):
    titles = [t.text for t in ET.fromstring(svg_bytes).iter(SVG + "text")
              if t.get("class") == "title"]
    return [] if titles == [expected] else ["title %r, expected %r" % (titles, expected)]


def render(chromium, folder, svg_bytes):
    """What the browser measured in the page that embeds the chart."""
    body = svg_bytes.decode("utf-8").split("?>", 1)[1]
    page = os.path.join(folder, "page.html")
    with open(page, "w", encoding="utf-8") as f:
        f.write(PAGE % body)
    proc = subprocess.run([chromium, "--headless", "--no-sandbox", "--disable-gpu",
                           "--allow-file-access-from-files", "--virtual-time-budget=10000",
                           "--dump-dom", "file://" + page],
                          capture_output=True, timeout=120)
    dom = proc.stdout.decode("utf-8")
    start = dom.find('<pre id="result">')
    end = dom.find("</pre>", start)
    if start < 0 or end < 0:
        raise RuntimeError("no measurements in the page: %s" % proc.stderr.decode()[-500:])
    return json.loads(html.unescape(dom[start + len('<pre id="result">'):end]))


def overlaps(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def check_rendering(m, values, bins):
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
    if not m.get("ink", 0) > 0.002:
        problems.append("the picture is blank (ink %s)" % m.get("ink"))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--chromium", default=shutil.which("chromium") or "")
    parser.add_argument("--keep", help="a folder to keep every chart and page in")
    args = parser.parse_args()
    if not args.chromium:
        print("skipped: chromium is not installed")
        return 77
    program = os.path.abspath(args.program)
    failed = 0
    for name, values, options in CHARTS:
        with tempfile.TemporaryDirectory() as folder:
            try:
                chart, shown, bins = make_chart(program, folder, name, values, options)
                with open(chart, "rb") as f:
                    svg_bytes = f.read()
                problems = check_xml(svg_bytes)
                if name.startswith("a name XML"):
                    problems += check_title(svg_bytes, "data\ufffd.txt")
                problems += check_rendering(render(args.chromium, folder, svg_bytes), shown, bins)
                if args.keep:
                    os.makedirs(args.keep, exist_ok=True)
                    safe = name.replace(" ", "-")
                    shutil.copy(chart, os.path.join(args.keep, safe + ".svg"))
            except Exception as e:  # a broken chart must not hide the others
                problems = ["%s: %s" % (type(e).__name__, e)]
        print("%s  %s" % ("FAIL" if problems else "ok  ", name[:60]))
        for p in problems[:10]:
            print("   " + p)
        failed += bool(problems)
    print("%d failed" % failed)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
