#include "app/Plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/Exact.h"
#include "app/Histogram.h"
#include "app/Report.h"
#include "app/StatisticTable.h"
#include "app/StudentT.h"
#include "app/Text.h"

namespace descstat {

namespace {

// The picture's size and the places of its parts, in pixels.
constexpr double kWidth = 800;
constexpr double kHeight = 545;
constexpr double kLeft = 70;  // the plot area, where the bars stand
constexpr double kRight = 770;
constexpr double kTop = 115;
constexpr double kBottom = 430;
constexpr double kBoxTop = 70;  // the box plot, above the bars
constexpr double kBoxBottom = 100;
constexpr double kBandY = 108;  // the mean ± SD bracket, between the box plot and the bars
constexpr double kOutlierRadius = 3;
constexpr double kLegendTop = 500;  // the legend's first row
constexpr double kLegendRow = 22;
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
    const char* band;
    const char* count;
    const char* value;
    const char* noValues;
    const char* bars;
    const char* box;
    const char* whiskers;
    const char* outliers;
};

constexpr PlotTexts kJapanesePlot = {
    "\xE5\xB9\xB3\xE5\x9D\x87\xE5\x80\xA4",  // 平均値
    "\xE5\xB9\xB3\xE5\x9D\x87\xE5\x80\xA4 \xC2\xB1 1 SD(\xE4\xB8\x8D\xE5\x81\x8F\xE5\x88\x86"
    "\xE6\x95\xA3)",                           // 平均値 ± 1 SD(不偏分散)
    "\xE5\xBA\xA6\xE6\x95\xB0",                // 度数
    "\xE5\x80\xA4",                            // 値
    "(\xE5\x80\xA4\xE3\x81\xAA\xE3\x81\x97)",  // (値なし)
    "\xE5\xBA\xA6\xE6\x95\xB0",                // 度数
    "\xE5\x9B\x9B\xE5\x88\x86\xE4\xBD\x8D\xE6\x95\xB0\xE3\x81\xA8\xE4\xB8\xAD"
    "\xE5\xA4\xAE\xE5\x80\xA4",                                     // 四分位数と中央値
    "\xE3\x81\xB2\xE3\x81\x92 (1.5 IQR \xE4\xBB\xA5\xE5\x86\x85)",  // ひげ (1.5 IQR 以内)
    "\xE5\xA4\x96\xE3\x82\x8C\xE5\x80\xA4",                         // 外れ値
};
constexpr PlotTexts kEnglishPlot = {"Mean",
                                    "Mean \xC2\xB1 1 SD (unbiased)",
                                    "Count",
                                    "Value",
                                    "(no values)",
                                    "Count",
                                    "Quartiles and median",
                                    "Whiskers (within 1.5 IQR)",
                                    "Outliers"};

// Room for a coordinate's text.
constexpr std::size_t kCoordChars = 32;

// A coordinate with one decimal, written the same on every system, into
// `text` (room for kCoordChars); gives its end.
char* WriteCoord(char* text, double v) {
    const long long tenths = std::llround(v * 10);
    const long long whole = tenths / 10;
    const long long rest = tenths % 10 < 0 ? -(tenths % 10) : tenths % 10;
    char* end = text;
    if (tenths < 0 && whole == 0) *end++ = '-';
    end = std::to_chars(end, text + kCoordChars, whole).ptr;
    if (rest != 0) {
        *end++ = '.';
        *end++ = static_cast<char>('0' + rest);
    }
    return end;
}

void AppendCoord(std::string& s, double v) {
    char text[kCoordChars];
    s.append(text, WriteCoord(text, v));
}

std::string Coord(double v) {
    std::string s;
    AppendCoord(s, v);
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

// The characters' starts in s (a stray byte is a character of its own).
std::vector<std::size_t> CharacterStarts(const std::string& s) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < s.size(); i += std::max<std::size_t>(Utf8Length(s, i), 1)) {
        starts.push_back(i);
    }
    return starts;
}

// The text as it fits `room` at a font size: whole, or with an ellipsis for
// its start (when `keepEnd`) or for its end, cut between characters.
std::string Fitted(const std::string& text, double size, double room, bool keepEnd) {
    constexpr const char* kEllipsis = "\xE2\x80\xA6";
    if (TextWidth(text, size) <= room) return text;
    const std::vector<std::size_t> starts = CharacterStarts(text);
    if (keepEnd) {
        std::size_t cut = 0;
        while (cut + 1 < starts.size() &&
               TextWidth(kEllipsis + text.substr(starts[cut]), size) > room) {
            ++cut;
        }
        return kEllipsis + text.substr(starts[cut]);
    }
    std::size_t keep = starts.size();
    while (keep > 1 && TextWidth(text.substr(0, starts[keep - 1]) + kEllipsis, size) > room) {
        --keep;
    }
    return text.substr(0, starts[keep - 1]) + kEllipsis;
}

// Where the data file's own name begins in the path it was given by: after
// the last '/' (on Windows also '\' or a drive's ':', and in a name that is
// no UTF-8, Shift_JIS, whose second bytes may be '\', is read character by
// character).
std::size_t OwnNameStart(const std::string& path) {
#ifdef _WIN32
    const bool shiftJis = !IsValidUtf8(path);
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto b = static_cast<unsigned char>(path[i]);
        if (shiftJis && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))) {
            ++i;  // a double-byte character
        } else if (b == '/' || b == '\\' || b == ':') {
            start = i + 1;
        }
    }
    return start;
#else
    const std::size_t last = path.rfind('/');
    return last == std::string::npos ? 0 : last + 1;
#endif
}

// The data file's own name, without the folders of the path it was given by.
std::string OwnName(const std::string& path) {
    const std::size_t start = OwnNameStart(path);
    return start < path.size() ? path.substr(start) : path;
}

// The title, at a size that fits the width: a long one is set smaller, and
// one that does not fit even then loses its start.
void WriteTitle(std::string& svg, const std::string& title) {
    constexpr double kSmallest = 11;
    const double room = kWidth - 20;
    const std::string shown = Fitted(title, kSmallest, room, true);
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

constexpr std::string_view kCircleStart = "<circle cx=\"";

// What follows a ring's cx: its cy, its radius and its style.
std::string CircleAfterX(double y, const std::string& style) {
    std::string after = "\" cy=\"";
    AppendCoord(after, y);
    after += "\" r=\"";
    AppendCoord(after, kOutlierRadius);
    after += "\" ";
    after += style;
    return after;
}

void Circle(std::string& svg, double x, double y, const std::string& style) {
    svg += kCircleStart;
    AppendCoord(svg, x);
    svg += CircleAfterX(y, style);
    svg += "/>\n";
}

constexpr const char* kInk = "stroke=\"#333333\" stroke-width=\"1.5\"";
constexpr const char* kBoxFill = "fill=\"#dbe6f4\" ";
constexpr const char* kBandInk = "stroke=\"#d62728\" stroke-width=\"2\"";
constexpr const char* kMeanInk = "stroke=\"#d62728\" stroke-width=\"2\" stroke-dasharray=\"6 3\"";
constexpr const char* kBarFill = "fill=\"#4a7ebb\"";
constexpr const char* kOutlierInk = "fill=\"none\" stroke=\"#333333\" stroke-width=\"1.2\"";

// The SVG document's start: its declaration, its size and fonts, and a white
// ground.
std::string SvgStart(double height = kHeight) {
    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
        Coord(kWidth) + "\" height=\"" + Coord(height) + "\" viewBox=\"0 0 " + Coord(kWidth) + " " +
        Coord(height) + "\" font-family=\"" + kFonts + "\">\n";
    Rect(svg, 0, 0, kWidth, height, "fill=\"#ffffff\"");
    return svg;
}

// A value as an attribute (data-value, or data-NAME), in the fewest digits
// that read back as it, for whoever checks the chart.
std::string DataValue(double v, const char* name = "value") {
    char text[kNumberChars];
    std::string s = " data-";
    s += name;
    s += "=\"";
    s.append(text, FormatNumber(text, v, kShortestDigits));
    s += '"';
    return s;
}

// The outliers as rings at height y, x(v) giving each one's place: Circle's
// bytes, what follows cx the same for every ring and so made once, as there
// may be thousands.
template <typename X>
void WriteOutliers(std::string& svg, const std::vector<double>& outliers, double y, X x) {
    const std::string rest =
        CircleAfterX(y, std::string(kOutlierInk) + " class=\"outlier\" data-value=\"");
    // A ring's bytes put together aside and added at once.
    constexpr std::string_view kEnd = "\"/>\n";
    std::vector<char> ring(kCircleStart.size() + kCoordChars + rest.size() + kNumberChars +
                           kEnd.size());
    std::copy(kCircleStart.begin(), kCircleStart.end(), ring.begin());
    for (const double v : outliers) {
        char* end = WriteCoord(ring.data() + kCircleStart.size(), x(v));
        end = std::copy(rest.begin(), rest.end(), end);
        end += FormatNumber(end, v, kShortestDigits);
        end = std::copy(kEnd.begin(), kEnd.end(), end);
        svg.append(ring.data(), end);
    }
}

// The box plot: the box from the first quartile to the third with the median,
// the whiskers with their caps, and each distinct outlying value as a ring.
void WriteBoxPlot(std::string& svg, const Summary& s, const Whiskers& w, const Scale& scale) {
    const double middle = (kBoxTop + kBoxBottom) / 2;
    const std::string ink = kInk;
    Line(svg, scale.X(w.low), middle, scale.X(s.firstQuartile), middle, ink);
    Line(svg, scale.X(s.thirdQuartile), middle, scale.X(w.high), middle, ink);
    for (const double end : {w.low, w.high}) {
        Line(svg, scale.X(end), kBoxTop + 6, scale.X(end), kBoxBottom - 6,
             ink + " class=\"whisker\"" + DataValue(end));
    }
    const double q1 = scale.X(s.firstQuartile);
    Rect(svg, q1, kBoxTop, scale.X(s.thirdQuartile) - q1, kBoxBottom - kBoxTop,
         kBoxFill + ink + " class=\"box\"");
    Line(svg, scale.X(s.median), kBoxTop, scale.X(s.median), kBoxBottom,
         "stroke=\"#333333\" stroke-width=\"2.5\"");
    WriteOutliers(svg, w.outliers, middle, [&scale](double v) { return scale.X(v); });
}

// The mean ± one SD as a bracket between the box plot and the bars, cut at
// the plot area's sides: it lies over nothing, so every colour stays its own.
void WriteBand(std::string& svg, const Results& r, const Scale& scale) {
    const double x1 = scale.X(r.mean - r.unbiasedSd);
    const double x2 = scale.X(r.mean + r.unbiasedSd);
    const std::string ink = kBandInk;
    Line(svg, x1, kBandY, x2, kBandY, ink + " class=\"band\"");
    for (const double x : {x1, x2}) Line(svg, x, kBandY - 4, x, kBandY + 4, ink);
}

// The mean's line, through the box plot and the bars.
void WriteMeanLine(std::string& svg, const Results& r, const Scale& scale) {
    const double x = scale.X(r.mean);
    Line(svg, x, kBoxTop - 5, x, kBottom, std::string(kMeanInk) + " class=\"mean\"");
}

// What the legend shows of one thing drawn.
enum class Key { kBars, kBox, kWhiskers, kOutliers, kMean, kBand };

struct LegendEntry {
    Key key;
    std::string text;
};

constexpr double kKeyWidth = 24;  // the key's sample
constexpr double kKeyGap = 6;     // between the sample and its text
constexpr double kEntryGap = 18;  // between one entry and the next

double EntryWidth(const LegendEntry& e) {
    return kKeyWidth + kKeyGap + TextWidth(e.text, kTextSize);
}

// A sample of the thing drawn, kKeyWidth wide from x, its middle at y.
void WriteKey(std::string& svg, Key key, double x, double y) {
    const std::string ink = kInk;
    switch (key) {
        case Key::kBars: Rect(svg, x + 4, y - 6, 16, 12, kBarFill); break;
        case Key::kBox:
            Rect(svg, x + 2, y - 6, 20, 12, kBoxFill + ink);
            Line(svg, x + 12, y - 6, x + 12, y + 6, "stroke=\"#333333\" stroke-width=\"2.5\"");
            break;
        case Key::kWhiskers:
            Line(svg, x, y, x + kKeyWidth, y, ink);
            Line(svg, x + kKeyWidth, y - 5, x + kKeyWidth, y + 5, ink);
            break;
        case Key::kOutliers: Circle(svg, x + kKeyWidth / 2, y, kOutlierInk); break;
        case Key::kMean: Line(svg, x, y, x + kKeyWidth, y, kMeanInk); break;
        case Key::kBand:
            Line(svg, x, y, x + kKeyWidth, y, kBandInk);
            for (const double end : {x, x + kKeyWidth}) Line(svg, end, y - 4, end, y + 4, kBandInk);
            break;
    }
}

// The legend under the axis from `top`: the entries in rows as wide as the
// picture allows, each row centred. Gives where a next row would stand.
double WriteLegend(std::string& svg, const std::vector<LegendEntry>& entries,
                   double top = kLegendTop) {
    const double room = kWidth - 40;
    double y = top;
    for (std::size_t first = 0; first < entries.size();) {
        std::size_t end = first + 1;
        double width = EntryWidth(entries[first]);
        while (end < entries.size() && width + kEntryGap + EntryWidth(entries[end]) <= room) {
            width += kEntryGap + EntryWidth(entries[end]);
            ++end;
        }
        double x = (kWidth - width) / 2;
        for (std::size_t i = first; i < end; ++i) {
            WriteKey(svg, entries[i].key, x, y - 4);
            Text(svg, x + kKeyWidth + kKeyGap, y, "start", kTextSize, entries[i].text,
                 " class=\"legend\"");
            x += EntryWidth(entries[i]) + kEntryGap;
        }
        first = end;
        y += kLegendRow;
    }
    return y;
}

// "n = 12, 平均値 = 3.5, SD(不偏分散) = 1.2": the caption's statistics at
// the report's digits.
std::string Caption(const ResultSet& set, const RunOptions& options) {
    const bool english = options.language == Language::kEnglish;
    std::string caption;
    for (const StatisticRow& row : Statistics()) {
        if (row.caption == nullptr) continue;
        const ExactNumber v = row.of(set, 0);
        if (!caption.empty()) caption += ", ";
        caption += english ? row.caption->english : row.caption->japanese;
        caption += " = ";
        caption += row.isCount ? std::to_string(static_cast<std::int64_t>(NearestDouble(v)))
                               : StatisticText(v, options.digits);
    }
    return caption;
}

// What the title names after the data file: a field the run named alone,
// or the field and group of one of several result sets.
std::string TitleField(const ResultSet& set, const RunOptions& options) {
    const std::vector<FieldChoice>& fields = options.data.fields;
    if (!set.key.named) return fields.size() == 1 ? fields[0].name : std::string();
    return set.key.group.empty() ? set.key.field : set.key.field + " / " + set.key.group;
}

}  // namespace

std::string PlotSvg(const ResultSet& set, const RunOptions& options) {
    const PlotTexts& texts = options.language == Language::kEnglish ? kEnglishPlot : kJapanesePlot;
    const std::string field = TitleField(set, options);
    const Results& r = set.results;
    std::string svg = SvgStart();
    WriteTitle(svg, OwnName(set.key.file) + (field.empty() ? "" : ": " + field));
    Text(svg, kWidth / 2, 50, "middle", 13, Caption(set, options), " class=\"caption\"");

    const Histogram& h = set.histogram;
    std::int64_t most = 0;
    for (const HistogramBin& bin : h.bins) most = std::max(most, bin.count);
    const double perCount = WriteCountAxis(svg, most, texts);
    std::vector<LegendEntry> legend;
    if (h.bins.empty()) {
        Line(svg, kLeft, kBottom, kRight, kBottom, "stroke=\"#333333\" stroke-width=\"1\"");
        Text(svg, (kLeft + kRight) / 2, (kTop + kBottom) / 2, "middle", 14, texts.noValues);
    } else {
        const Scale scale{EdgeDouble(h.bins.front().low), EdgeDouble(h.bins.back().high)};
        WriteBars(svg, h, scale, perCount);
        legend.push_back({Key::kBars, texts.bars});
        WriteEdgeAxis(svg, h, scale);
        if (std::isfinite(set.summary.minimum)) {
            WriteBoxPlot(svg, set.summary, set.whiskers, scale);
            legend.push_back({Key::kBox, texts.box});
            legend.push_back({Key::kWhiskers, texts.whiskers});
            if (!set.whiskers.outliers.empty()) {
                legend.push_back({Key::kOutliers, texts.outliers});
            }
        }
        if (std::isfinite(r.mean)) {
            WriteMeanLine(svg, r, scale);
            legend.push_back({Key::kMean, texts.mean});
        }
        if (std::isfinite(r.mean) && std::isfinite(r.unbiasedSd)) {
            WriteBand(svg, r, scale);
            legend.push_back({Key::kBand, texts.band});
        }
    }
    const std::string axis = field.empty() ? texts.value : field;
    Text(svg, (kLeft + kRight) / 2, kBottom + 40, "middle", kTextSize,
         Fitted(axis, kTextSize, kRight - kLeft, false), " class=\"axis-x\"");
    WriteLegend(svg, legend);
    svg += "</svg>\n";
    return svg;
}

namespace {

// The box plots of several result sets: a row each, on one value axis.
constexpr double kLabelRight = 180;  // the rows' labels end here; the plot area follows
constexpr double kRowsTop = 70;
constexpr double kRowsBottom = 430;
constexpr double kMostRowHeight = 48;

// A step of 1, 2 or 5 times a power of ten that divides the span into at
// most eight steps: its digit and its power of ten.
void ValueStep(double span, int& digit, int& power) {
    power = static_cast<int>(std::floor(std::log10(span > 0 ? span / 8 : 1)));
    for (;;) {
        for (const int m : {1, 2, 5}) {
            if (span <= 8 * m * std::pow(10.0, power)) {
                digit = m;
                return;
            }
        }
        ++power;
    }
}

// k · 10^power as a decimal without binary noise ("0.3", "1500", "-2e-07"
// as "-0.0000002").
std::string DecimalTick(long long k, int power) {
    std::string digits = std::to_string(k < 0 ? -k : k);
    if (power >= 0) {
        if (k != 0) digits += std::string(static_cast<std::size_t>(power), '0');
    } else {
        const auto places = static_cast<std::size_t>(-power);
        if (digits.size() <= places) digits.insert(0, places - digits.size() + 1, '0');
        digits.insert(digits.size() - places, ".");
        while (digits.back() == '0') digits.pop_back();
        if (digits.back() == '.') digits.pop_back();
    }
    return (k < 0 ? "-" : "") + digits;
}

// Where a value stands across the rows' plot area, right of their labels.
double RowX(const Scale& scale, double v) {
    const double t = (v - scale.low) / (scale.high - scale.low);
    return kLabelRight + std::clamp(t, 0.0, 1.0) * (kRight - kLabelRight);
}

// The value axis at `bottom` under the rows from `top`, with ticks at round
// values and grid lines; gives the scale.
Scale WriteValueAxis(std::string& svg, double low, double high, double top, double bottom) {
    if (!(high > low)) {
        low -= 1;
        high += 1;
    }
    int digit = 1;
    int power = 0;
    ValueStep(high - low, digit, power);
    const double step = digit * std::pow(10.0, power);
    const auto first = static_cast<long long>(std::floor(low / step));
    const auto last = static_cast<long long>(std::ceil(high / step));
    const Scale scale{static_cast<double>(first) * step, static_cast<double>(last) * step};
    Line(svg, kLabelRight, bottom, kRight, bottom, "stroke=\"#333333\" stroke-width=\"1\"");
    for (long long k = first; k <= last; ++k) {
        const double at = RowX(scale, static_cast<double>(k) * step);
        Line(svg, at, top, at, bottom, "stroke=\"#e0e0e0\" stroke-width=\"1\"");
        Line(svg, at, bottom, at, bottom + 4, "stroke=\"#333333\" stroke-width=\"1\"");
        Text(svg, at, bottom + 18, "middle", kTextSize, DecimalTick(k * digit, power),
             " class=\"tick-x\"");
    }
    return scale;
}

// A row of the chart of several result sets: the set, its label, and the
// ends of its mean's confidence interval (NaN: none drawn).
struct SetRow {
    const ResultSet* set;
    std::string label;
    double intervalLow = std::numeric_limits<double>::quiet_NaN();
    double intervalHigh = std::numeric_limits<double>::quiet_NaN();
};

// The mean's confidence interval as an error bar under the box, across the
// mean's line, with a cap at each end.
void WriteInterval(std::string& svg, const SetRow& row, double top, double height,
                   const Scale& scale) {
    if (!std::isfinite(row.intervalLow) || !std::isfinite(row.intervalHigh)) return;
    const double y = top + height * 0.9;
    const double cap = height * 0.08;
    const std::string ink = kBandInk;
    Line(svg, RowX(scale, row.intervalLow), y, RowX(scale, row.intervalHigh), y,
         ink + " class=\"interval\"" + DataValue(row.intervalLow, "low") +
             DataValue(row.intervalHigh, "high"));
    for (const double end : {row.intervalLow, row.intervalHigh}) {
        Line(svg, RowX(scale, end), y - cap, RowX(scale, end), y + cap, ink);
    }
}

// One row: its label, its box plot, its mean and its mean's interval.
void WriteSetRow(std::string& svg, const SetRow& row, double top, double height,
                 const Scale& scale) {
    const auto x = [&scale](double v) { return RowX(scale, v); };
    const double middle = top + height / 2;
    Text(svg, kLabelRight - 8, middle + 4, "end", kTextSize,
         Fitted(row.label, kTextSize, kLabelRight - 16, false), " class=\"set\"");
    const ResultSet& set = *row.set;
    if (!std::isfinite(set.summary.minimum)) return;
    const Summary& s = set.summary;
    const Whiskers& w = set.whiskers;
    const double boxTop = top + height * 0.2;
    const double boxBottom = top + height * 0.8;
    const std::string ink = kInk;
    Line(svg, x(w.low), middle, x(s.firstQuartile), middle, ink);
    Line(svg, x(s.thirdQuartile), middle, x(w.high), middle, ink);
    for (const double end : {w.low, w.high}) {
        Line(svg, x(end), boxTop + height * 0.1, x(end), boxBottom - height * 0.1,
             ink + " class=\"whisker\"" + DataValue(end));
    }
    Rect(svg, x(s.firstQuartile), boxTop, x(s.thirdQuartile) - x(s.firstQuartile),
         boxBottom - boxTop, kBoxFill + ink + " class=\"box\"");
    Line(svg, x(s.median), boxTop, x(s.median), boxBottom,
         "stroke=\"#333333\" stroke-width=\"2.5\"");
    WriteOutliers(svg, w.outliers, middle, x);
    if (std::isfinite(set.results.mean)) {
        Line(svg, x(set.results.mean), top, x(set.results.mean), top + height,
             std::string(kMeanInk) + " class=\"mean\"" + DataValue(set.results.mean));
    }
    WriteInterval(svg, row, top, height, scale);
}

// What the rows span (their boxes, outlying values, means and intervals),
// and whether any has outlying values.
struct RowsExtent {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    bool outliers = false;
};

RowsExtent ExtentOf(const std::vector<SetRow>& rows) {
    RowsExtent e;
    for (const SetRow& row : rows) {
        const ResultSet& set = *row.set;
        if (!std::isfinite(set.summary.minimum)) continue;
        e.low = std::min({e.low, set.summary.minimum, set.results.mean});
        e.high = std::max({e.high, set.summary.maximum, set.results.mean});
        if (std::isfinite(row.intervalLow) && std::isfinite(row.intervalHigh)) {
            e.low = std::min(e.low, row.intervalLow);
            e.high = std::max(e.high, row.intervalHigh);
        }
        e.outliers = e.outliers || !set.whiskers.outliers.empty();
    }
    if (!std::isfinite(e.low) || !std::isfinite(e.high)) {
        e.low = 0;
        e.high = 1;
    }
    return e;
}

// The rows, `height` each from `top`, over one value axis at `bottom` named
// under it; gives the legend of what they draw.
std::vector<LegendEntry> WriteRows(std::string& svg, const std::vector<SetRow>& rows, double top,
                                   double bottom, double height, const PlotTexts& texts) {
    const RowsExtent extent = ExtentOf(rows);
    const Scale scale = WriteValueAxis(svg, extent.low, extent.high, top, bottom);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        WriteSetRow(svg, rows[i], top + height * static_cast<double>(i), height, scale);
    }
    Text(svg, (kLabelRight + kRight) / 2, bottom + 40, "middle", kTextSize, texts.value,
         " class=\"axis-x\"");
    std::vector<LegendEntry> legend = {{Key::kBox, texts.box}, {Key::kWhiskers, texts.whiskers}};
    if (extent.outliers) legend.push_back({Key::kOutliers, texts.outliers});
    legend.push_back({Key::kMean, texts.mean});
    return legend;
}

}  // namespace

std::string PlotSetsSvg(const ResultSet* sets, std::size_t count, const RunOptions& options) {
    if (count == 1) return PlotSvg(sets[0], options);
    const PlotTexts& texts = options.language == Language::kEnglish ? kEnglishPlot : kJapanesePlot;
    std::string svg = SvgStart();
    WriteTitle(svg, OwnName(sets[0].key.file));
    std::vector<SetRow> rows;
    for (std::size_t i = 0; i < count; ++i) {
        const ResultKey& key = sets[i].key;
        rows.push_back({&sets[i], key.group.empty() ? key.field : key.field + " / " + key.group});
    }
    const double height =
        std::min(kMostRowHeight, (kRowsBottom - kRowsTop) / static_cast<double>(count));
    WriteLegend(svg, WriteRows(svg, rows, kRowsTop, kRowsBottom, height, texts));
    svg += "</svg>\n";
    return svg;
}

namespace {

// The compare chart's rows: no lower than this, and a gap under the last.
constexpr double kLeastRowHeight = 24;
constexpr double kRowsGap = 8;
constexpr double kCaptionTop = 54;  // the caption's first line
constexpr double kCaptionRow = 18;
constexpr double kLeastCaptionSize = 10;

// The compare chart's own texts, Japanese (UTF-8) and English.
constexpr CaptionLabel kMethodTexts[] = {
    {"Welch \xE3\x81\xAE t \xE6\xA4\x9C\xE5\xAE\x9A", "Welch's t-test"},  // Welch の t 検定
    // Student の t 検定 (プールした SD)
    {"Student \xE3\x81\xAE t \xE6\xA4\x9C\xE5\xAE\x9A (\xE3\x83\x97\xE3\x83\xBC\xE3\x83\xAB"
     "\xE3\x81\x97\xE3\x81\x9F SD)",
     "Student's t-test, pooled SD"},
    // 対応のある t 検定
    {"\xE5\xAF\xBE\xE5\xBF\x9C\xE3\x81\xAE\xE3\x81\x82\xE3\x82\x8B t \xE6\xA4\x9C\xE5\xAE\x9A",
     "paired t-test"},
};
constexpr CaptionLabel kLevelText = {"% \xE4\xBF\xA1\xE9\xA0\xBC\xE6\xB0\xB4\xE6\xBA\x96",
                                     "% confidence"};  // % 信頼水準
// 平均値の 95.0% 信頼区間: before and after the level.
constexpr CaptionLabel kIntervalBefore = {"\xE5\xB9\xB3\xE5\x9D\x87\xE5\x80\xA4\xE3\x81\xAE ", ""};
constexpr CaptionLabel kIntervalAfter = {"% \xE4\xBF\xA1\xE9\xA0\xBC\xE5\x8C\xBA\xE9\x96\x93",
                                         "% confidence interval of the mean"};
constexpr CaptionLabel kDifferenceText = {"\xE5\xB7\xAE = ", "Difference = "};  // 差 =
constexpr CaptionLabel kPlusMinus = {" \xC2\xB1 ", " +/- "};

// The text in the run's language.
const char* Pick(const CaptionLabel& text, const RunOptions& options) {
    return options.language == Language::kEnglish ? text.english : text.japanese;
}

// The level as the compare run writes it: as given, without trailing zeros
// but with one decimal at least ("95.0", "97.25").
std::string LevelText(const ConfidenceLevel& level) {
    int power = 0;
    for (std::uint64_t d = level.denominator; d > 1; d /= 10) --power;
    const std::string text = DecimalTick(static_cast<long long>(level.numerator), power);
    return text.find('.') == std::string::npos ? text + ".0" : text;
}

// "Difference = D +/- H [L, U]", at the report's digits.
std::string DifferenceText(const Comparison& c, const RunOptions& options) {
    const auto number = [&options](const ExactNumber& x) {
        return StatisticText(x, options.digits);
    };
    return Pick(kDifferenceText, options) + number(c.difference) + Pick(kPlusMinus, options) +
           number(c.interval.half) + " [" + number(c.interval.low) + ", " +
           number(c.interval.high) + "]";
}

// A compared sample's caption line in parts: "NAME - BASELINE", ": " and the
// verdict, and ", " and the difference with its interval (empty when the
// verdict has none).
struct CaptionLine {
    std::string pair;
    std::string verdict;
    std::string difference;
};

// The caption line of a sample compared with the baseline, `pair` naming both.
CaptionLine CaptionOf(const ComparedSample& sample, std::string pair, const RunOptions& options) {
    const Verdict verdict = VerdictOf(sample);
    const LabelText text = VerdictText(verdict, options);
    CaptionLine line{std::move(pair), ": ", std::string()};
    line.verdict += options.language == Language::kEnglish ? text.english : text.utf8;
    if (verdict == Verdict::kDifferent || verdict == Verdict::kNoDifference) {
        line.difference = ", " + DifferenceText(sample.result, options);
    }
    return line;
}

// The caption's font size: the texts' own, or smaller down to
// kLeastCaptionSize so that every line fits whole.
double CaptionSize(const std::vector<CaptionLine>& lines) {
    double widest = 1;
    for (const CaptionLine& line : lines) {
        widest = std::max(widest, TextWidth(line.pair + line.verdict + line.difference, 1));
    }
    return std::floor(std::clamp((kWidth - 20) / widest, kLeastCaptionSize, kTextSize) * 10) / 10;
}

// The line as it fits the width at the size: whole, or without its
// difference, its names losing their end so that the verdict stays whole.
std::string FittedCaption(const CaptionLine& line, double size) {
    const double room = kWidth - 20;
    std::string whole = line.pair + line.verdict + line.difference;
    if (TextWidth(whole, size) <= room) return whole;
    const double pairRoom = std::max(room - TextWidth(line.verdict, size), room / 3);
    return Fitted(Fitted(line.pair, size, pairRoom, false) + line.verdict, size, room, false);
}

// The row of the set at `k` (none for a set without results): its name, and
// its mean's confidence interval at the run's level.
void AddCompareRow(std::vector<SetRow>& rows, const ResultSets& sets, std::size_t k,
                   const std::vector<std::string>& names, const RunOptions& options) {
    if (k >= sets.size() || !sets[k].error.empty()) return;
    const ResultSet& set = sets[k];
    const MeanInterval ci = ConfidenceInterval(set.exact.mean, set.exact.unbiasedVariance,
                                               set.count, options.confidence);
    rows.push_back({&set, k < names.size() ? names[k] : std::string(), NearestDouble(ci.low),
                    NearestDouble(ci.high)});
}

}  // namespace

std::string CompareSvg(const ResultSets& sets, const Compared& compared,
                       const std::vector<std::string>& names, const RunOptions& options) {
    const PlotTexts& texts = options.language == Language::kEnglish ? kEnglishPlot : kJapanesePlot;
    const std::string level = LevelText(options.confidence);
    std::string body;
    WriteTitle(body, std::string(Pick(kMethodTexts[static_cast<int>(options.method)], options)) +
                         ", " + level + Pick(kLevelText, options));
    const std::string baseline =
        compared.baseline < names.size() ? names[compared.baseline] : std::string();
    std::vector<CaptionLine> caption;
    for (const ComparedSample& sample : compared.samples) {
        std::string pair = sample.set < names.size() ? names[sample.set] : std::string();
        pair += " - ";
        pair += baseline;
        caption.push_back(CaptionOf(sample, std::move(pair), options));
    }
    const double size = CaptionSize(caption);
    double y = kCaptionTop;
    for (const CaptionLine& line : caption) {
        Text(body, kWidth / 2, y, "middle", size, FittedCaption(line, size), " class=\"caption\"");
        y += kCaptionRow;
    }
    std::vector<SetRow> rows;
    AddCompareRow(rows, sets, compared.baseline, names, options);
    for (const ComparedSample& sample : compared.samples) {
        AddCompareRow(rows, sets, sample.set, names, options);
    }
    const double count = static_cast<double>(std::max<std::size_t>(rows.size(), 1));
    const double height =
        std::max(kLeastRowHeight, std::min(kMostRowHeight, (kRowsBottom - kRowsTop) / count));
    const double top = y - kCaptionRow + (kRowsTop - kCaptionTop);
    const double bottom = top + height * count + kRowsGap;
    std::vector<LegendEntry> legend = WriteRows(body, rows, top, bottom, height, texts);
    legend.push_back(
        {Key::kBand, Pick(kIntervalBefore, options) + level + Pick(kIntervalAfter, options)});
    const double end = WriteLegend(body, legend, bottom + (kLegendTop - kBottom));
    return SvgStart(end + (kHeight - kLegendTop - kLegendRow)) + body + "</svg>\n";
}

}  // namespace descstat
