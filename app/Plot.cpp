#include "app/Plot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "app/Histogram.h"
#include "app/Report.h"
#include "app/Text.h"

namespace descstat {

namespace {

// The picture's size and the places of its parts, in pixels.
constexpr double kWidth = 800;
constexpr double kHeight = 520;
constexpr double kLeft = 70;  // the plot area, where the bars stand
constexpr double kRight = 770;
constexpr double kTop = 115;
constexpr double kBottom = 430;
constexpr double kBoxTop = 70;  // the box plot, above the bars
constexpr double kBoxBottom = 100;
constexpr double kTitleSize = 18;
constexpr double kTextSize = 12;
// What a character of the texts may take at most, in ems: the width of
// digits and Latin letters in the usual sans-serif fonts is about 0.55 em;
// a Japanese character takes a whole em.
constexpr double kNarrowEm = 0.62;
constexpr double kWideEm = 1.0;

constexpr const char* kFonts = "'Yu Gothic', 'Hiragino Sans', 'Noto Sans CJK JP', sans-serif";

// The chart's own texts, Japanese (UTF-8) and English.
struct PlotTexts {
    const char* mean;
    const char* sdUnbiased;
    const char* band;
    const char* count;
    const char* value;
    const char* noValues;
};

constexpr PlotTexts kJapanesePlot = {
    "\xE5\xB9\xB3\xE5\x9D\x87\xE5\x80\xA4",                  // 平均値
    "SD(\xE4\xB8\x8D\xE5\x81\x8F\xE5\x88\x86\xE6\x95\xA3)",  // SD(不偏分散)
    "\xE5\xB9\xB3\xE5\x9D\x87\xE5\x80\xA4 \xC2\xB1 1 SD(\xE4\xB8\x8D\xE5\x81\x8F\xE5\x88\x86"
    "\xE6\x95\xA3)",                           // 平均値 ± 1 SD(不偏分散)
    "\xE5\xBA\xA6\xE6\x95\xB0",                // 度数
    "\xE5\x80\xA4",                            // 値
    "(\xE5\x80\xA4\xE3\x81\xAA\xE3\x81\x97)",  // (値なし)
};
constexpr PlotTexts kEnglishPlot = {"Mean",  "SD (unbiased)", "Mean \xC2\xB1 1 SD (unbiased)",
                                    "Count", "Value",         "(no values)"};

// A coordinate with one decimal, written the same on every system.
std::string Coord(double v) {
    const long long tenths = std::llround(v * 10);
    const long long whole = tenths / 10;
    const long long rest = tenths % 10 < 0 ? -(tenths % 10) : tenths % 10;
    std::string s = (tenths < 0 && whole == 0 ? "-" : "") + std::to_string(whole);
    if (rest != 0) s += "." + std::to_string(rest);
    return s;
}

// The length of a character XML 1.0 cannot hold at s[i], 0 where it holds
// the one there: a C0 control other than tab, LF and CR, a surrogate's
// three bytes (which are no UTF-8, yet stand for one code point), U+FFFE or
// U+FFFF.
std::size_t NoXmlCharacter(const std::string& s, std::size_t i) {
    const auto at = [&s](std::size_t k) {
        return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u;
    };
    const unsigned b = at(i);
    if (b < 0x20) return b == '\t' || b == '\n' || b == '\r' ? 0 : 1;
    const bool continued = (at(i + 2) & 0xC0) == 0x80;
    if (b == 0xED && at(i + 1) >= 0xA0 && at(i + 1) <= 0xBF && continued) return 3;
    if (b == 0xEF && at(i + 1) == 0xBF && (at(i + 2) == 0xBE || at(i + 2) == 0xBF)) return 3;
    return 0;
}

// The text as XML character data: what XML 1.0 cannot hold is left out, any
// other byte that is no UTF-8 becomes U+FFFD, and the markup is escaped.
std::string XmlText(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = Utf8Length(s, i);
        if (const std::size_t dropped = NoXmlCharacter(s, i); dropped > 0) {
            i += dropped;
            continue;
        }
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (b == '&') {
            out += "&amp;";
        } else if (b == '<') {
            out += "&lt;";
        } else if (b == '>') {
            out += "&gt;";
        } else {
            out.append(s, i, n);
        }
        i += n;
    }
    return out;
}

// The widest the text may be at a font size: a character of three or four
// UTF-8 bytes (Japanese) a whole em, any other (a stray byte too) kNarrowEm.
double TextWidth(const std::string& s, double size) {
    double ems = 0;
    for (std::size_t i = 0; i < s.size(); i += std::max<std::size_t>(Utf8Length(s, i), 1)) {
        ems += Utf8Length(s, i) > 2 ? kWideEm : kNarrowEm;
    }
    return ems * size;
}

// The horizontal scale: from the first bin's lower edge to the last's upper
// one, over the plot area. Halves keep the span finite for any doubles.
struct Scale {
    double low = 0;
    double high = 1;
    double X(double v) const {
        const double span = high / 2 - low / 2;
        const double t = span > 0 ? (v / 2 - low / 2) / span : 0.5;
        return kLeft + std::clamp(t, 0.0, 1.0) * (kRight - kLeft);
    }
};

// A step of 1, 2 or 5 times a power of ten that divides counts up to `most`
// into at most five steps.
std::int64_t CountStep(std::int64_t most) {
    std::int64_t power = 1;
    for (;;) {
        for (const std::int64_t m : {1, 2, 5}) {
            if (most <= 5 * m * power) return m * power;
        }
        power *= 10;
    }
}

void Text(std::string& svg, double x, double y, const char* anchor, double size,
          const std::string& text, const std::string& extra = "") {
    svg += "<text x=\"" + Coord(x) + "\" y=\"" + Coord(y) + "\" font-size=\"" + Coord(size) +
           "\" text-anchor=\"" + anchor + "\"" + extra + ">" + XmlText(text) + "</text>\n";
}

void Line(std::string& svg, double x1, double y1, double x2, double y2, const std::string& style) {
    svg += "<line x1=\"" + Coord(x1) + "\" y1=\"" + Coord(y1) + "\" x2=\"" + Coord(x2) +
           "\" y2=\"" + Coord(y2) + "\" " + style + "/>\n";
}

void Rect(std::string& svg, double x, double y, double w, double h, const std::string& style) {
    svg += "<rect x=\"" + Coord(x) + "\" y=\"" + Coord(y) + "\" width=\"" + Coord(w) +
           "\" height=\"" + Coord(h) + "\" " + style + "/>\n";
}

// The title, at a size that fits the width: a long name is set smaller, and
// one that does not fit even then loses its start (the file's own name, at
// its end, stays).
void WriteTitle(std::string& svg, const std::string& title) {
    constexpr double kSmallest = 11;
    const double room = kWidth - 20;
    std::string shown = title;
    if (TextWidth(shown, kSmallest) > room) {
        std::vector<std::size_t> starts;  // where each character begins
        for (std::size_t i = 0; i < shown.size();
             i += std::max<std::size_t>(Utf8Length(shown, i), 1)) {
            starts.push_back(i);
        }
        std::size_t cut = 0;
        while (cut + 1 < starts.size() &&
               TextWidth("\xE2\x80\xA6" + shown.substr(starts[cut]), kSmallest) > room) {
            ++cut;
        }
        shown = "\xE2\x80\xA6" + shown.substr(starts[cut]);
    }
    const double size =
        std::clamp(room / std::max(TextWidth(shown, 1), 1.0), kSmallest, kTitleSize);
    Text(svg, kWidth / 2, 28, "middle", std::floor(size * 10) / 10, shown,
         " font-weight=\"bold\" class=\"title\"");
}

// The counts' axis: a line, ticks with their numbers and light grid lines.
// Gives the height of one count.
double WriteCountAxis(std::string& svg, std::int64_t most, const PlotTexts& texts) {
    const std::int64_t step = CountStep(std::max<std::int64_t>(most, 1));
    const std::int64_t top = (std::max<std::int64_t>(most, 1) + step - 1) / step * step;
    const double perCount = (kBottom - kTop) / static_cast<double>(top);
    for (std::int64_t c = 0; c <= top; c += step) {
        const double y = kBottom - static_cast<double>(c) * perCount;
        if (c > 0) Line(svg, kLeft, y, kRight, y, "stroke=\"#e0e0e0\" stroke-width=\"1\"");
        Line(svg, kLeft - 5, y, kLeft, y, "stroke=\"#333333\" stroke-width=\"1\"");
        Text(svg, kLeft - 8, y + 4, "end", kTextSize, std::to_string(c), " class=\"tick-y\"");
    }
    Line(svg, kLeft, kTop, kLeft, kBottom, "stroke=\"#333333\" stroke-width=\"1\"");
    const double middle = (kTop + kBottom) / 2;
    Text(svg, 20, middle, "middle", kTextSize, texts.count,
         " transform=\"rotate(-90 20 " + Coord(middle) + ")\"");
    return perCount;
}

// The bin edges' axis: every edge gets a tick; the numbers are thinned to
// every k-th edge so that none overlaps the next, kept inside the picture,
// and one that would still touch the one before (pushed in at an end) is
// left out.
void WriteEdgeAxis(std::string& svg, const Histogram& h, const Scale& scale) {
    constexpr double kGap = 8;
    Line(svg, kLeft, kBottom, kRight, kBottom, "stroke=\"#333333\" stroke-width=\"1\"");
    std::vector<std::string> edges;
    for (const HistogramBin& bin : h.bins) edges.push_back(bin.low);
    edges.push_back(h.bins.back().high);
    double widest = 0;
    for (const std::string& e : edges) widest = std::max(widest, TextWidth(e, kTextSize));
    const double spacing = (kRight - kLeft) / static_cast<double>(h.bins.size());
    const auto every = static_cast<std::size_t>(std::ceil((widest + kGap) / spacing));
    double taken = -kGap;  // where the last number shown ends
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const double x = scale.X(EdgeDouble(edges[i]));
        Line(svg, x, kBottom, x, kBottom + 4, "stroke=\"#333333\" stroke-width=\"1\"");
        if (i % every != 0) continue;
        const double half = TextWidth(edges[i], kTextSize) / 2;
        const double at = std::clamp(x, half + 2, kWidth - half - 2);
        if (at - half < taken + kGap) continue;
        Text(svg, at, kBottom + 18, "middle", kTextSize, edges[i], " class=\"tick-x\"");
        taken = at + half;
    }
}

void WriteBars(std::string& svg, const Histogram& h, const Scale& scale, double perCount) {
    for (const HistogramBin& bin : h.bins) {
        if (bin.count == 0) continue;
        const double x1 = scale.X(EdgeDouble(bin.low));
        const double x2 = scale.X(EdgeDouble(bin.high));
        const double height = static_cast<double>(bin.count) * perCount;
        Rect(svg, x1, kBottom - height, x2 - x1, height,
             "fill=\"#4a7ebb\" stroke=\"#ffffff\" stroke-width=\"1\" class=\"bar\" data-count=\"" +
                 std::to_string(bin.count) + "\"");
    }
}

void WriteBoxPlot(std::string& svg, const Summary& s, const Scale& scale) {
    const double middle = (kBoxTop + kBoxBottom) / 2;
    const std::string ink = "stroke=\"#333333\" stroke-width=\"1.5\"";
    Line(svg, scale.X(s.minimum), middle, scale.X(s.firstQuartile), middle, ink);
    Line(svg, scale.X(s.thirdQuartile), middle, scale.X(s.maximum), middle, ink);
    for (const double end : {s.minimum, s.maximum}) {
        Line(svg, scale.X(end), kBoxTop + 6, scale.X(end), kBoxBottom - 6, ink);
    }
    const double q1 = scale.X(s.firstQuartile);
    Rect(svg, q1, kBoxTop, scale.X(s.thirdQuartile) - q1, kBoxBottom - kBoxTop,
         "fill=\"#dbe6f4\" " + ink + " class=\"box\"");
    Line(svg, scale.X(s.median), kBoxTop, scale.X(s.median), kBoxBottom,
         "stroke=\"#333333\" stroke-width=\"2.5\"");
}

// The band of the mean ± one SD over the plot area, cut at its sides, laid
// lightly over the bars.
void WriteBand(std::string& svg, const Results& r, const Scale& scale) {
    const double x1 = scale.X(r.mean - r.unbiasedSd);
    const double x2 = scale.X(r.mean + r.unbiasedSd);
    Rect(svg, x1, kTop, x2 - x1, kBottom - kTop,
         "fill=\"#d62728\" fill-opacity=\"0.15\" class=\"band\"");
}

// The mean's line, through the box plot and the bars.
void WriteMeanLine(std::string& svg, const Results& r, const Scale& scale) {
    const double x = scale.X(r.mean);
    Line(svg, x, kBoxTop - 5, x, kBottom,
         "stroke=\"#d62728\" stroke-width=\"2\" stroke-dasharray=\"6 3\" class=\"mean\"");
}

void WriteLegend(std::string& svg, const PlotTexts& texts, bool band) {
    const double y = kHeight - 16;
    Line(svg, 230, y - 4, 256, y - 4,
         "stroke=\"#d62728\" stroke-width=\"2\" stroke-dasharray=\"6 3\"");
    Text(svg, 262, y, "start", kTextSize, texts.mean);
    if (!band) return;
    Rect(svg, 380, y - 12, 26, 12, "fill=\"#d62728\" fill-opacity=\"0.15\"");
    Text(svg, 412, y, "start", kTextSize, texts.band);
}

}  // namespace

std::string PlotSvg(const std::string& title, const Computed& computed, int digits,
                    Language language) {
    const PlotTexts& texts = language == Language::kEnglish ? kEnglishPlot : kJapanesePlot;
    const Results& r = computed.results;
    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
        Coord(kWidth) + "\" height=\"" + Coord(kHeight) + "\" viewBox=\"0 0 " + Coord(kWidth) +
        " " + Coord(kHeight) + "\" font-family=\"" + kFonts + "\">\n";
    Rect(svg, 0, 0, kWidth, kHeight, "fill=\"#ffffff\"");
    WriteTitle(svg, title);
    const std::string caption = "n = " + std::to_string(computed.count) + ", " + texts.mean +
                                " = " + NumberText(r.mean, digits) + ", " + texts.sdUnbiased +
                                " = " + NumberText(r.unbiasedSd, digits);
    Text(svg, kWidth / 2, 50, "middle", 13, caption, " class=\"caption\"");

    const Histogram& h = computed.histogram;
    std::int64_t most = 0;
    for (const HistogramBin& bin : h.bins) most = std::max(most, bin.count);
    const double perCount = WriteCountAxis(svg, most, texts);
    if (h.bins.empty()) {
        Line(svg, kLeft, kBottom, kRight, kBottom, "stroke=\"#333333\" stroke-width=\"1\"");
        Text(svg, (kLeft + kRight) / 2, (kTop + kBottom) / 2, "middle", 14, texts.noValues);
    } else {
        const Scale scale{EdgeDouble(h.bins.front().low), EdgeDouble(h.bins.back().high)};
        const bool summarized = std::isfinite(computed.summary.minimum);
        WriteBars(svg, h, scale, perCount);
        if (std::isfinite(r.mean) && std::isfinite(r.unbiasedSd)) WriteBand(svg, r, scale);
        WriteEdgeAxis(svg, h, scale);
        if (summarized) WriteBoxPlot(svg, computed.summary, scale);
        if (std::isfinite(r.mean)) WriteMeanLine(svg, r, scale);
    }
    Text(svg, (kLeft + kRight) / 2, kBottom + 40, "middle", kTextSize, texts.value);
    if (std::isfinite(r.mean)) WriteLegend(svg, texts, std::isfinite(r.unbiasedSd));
    svg += "</svg>\n";
    return svg;
}

}  // namespace descstat
