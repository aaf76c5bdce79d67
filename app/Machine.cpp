#include "app/Machine.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>
#include <vector>

#include "app/Report.h"
#include "app/Text.h"

namespace descstat {

namespace {

constexpr const char* kResultKeys[] = {"mean", "variance", "sd", "unbiased_variance",
                                       "unbiased_sd"};
constexpr const char* kSummaryKeys[] = {"min", "q1", "median", "q3", "max"};

std::vector<std::string> Keys(bool summary) {
    std::vector<std::string> keys = {"file", "n"};
    keys.insert(keys.end(), std::begin(kResultKeys), std::end(kResultKeys));
    if (summary) keys.insert(keys.end(), std::begin(kSummaryKeys), std::end(kSummaryKeys));
    return keys;
}

// The row's numbers after its count, in the keys' order.
std::vector<double> Numbers(const Computed& c, bool summary) {
    const Results& r = c.results;
    std::vector<double> v = {r.mean, r.variance, r.sd, r.unbiasedVariance, r.unbiasedSd};
    if (summary) {
        const Summary& s = c.summary;
        v.insert(v.end(), {s.minimum, s.firstQuartile, s.median, s.thirdQuartile, s.maximum});
    }
    return v;
}

// True when the text is a decimal number as a spreadsheet reads it: a sign,
// digits with at most one point, and an exponent.
bool IsDecimalNumber(const std::string& s) {
    std::size_t i = s.empty() || (s[0] != '+' && s[0] != '-') ? 0 : 1;
    const auto digits = [&s, &i]() {
        const std::size_t start = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        return i - start;
    };
    std::size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == s.size();
}

// A text a spreadsheet would take for a formula (it begins with =, +, - or @,
// or with a tab or CR, and is no number) gets a leading apostrophe, which
// the spreadsheet shows as text (OWASP's rule against CSV injection). A lone
// "-", standard input's name, is no formula.
std::string NoFormula(const std::string& s) {
    if (s.size() < 2 || std::string("=+-@\t\r").find(s[0]) == std::string::npos) return s;
    return IsDecimalNumber(s) ? s : "'" + s;
}

std::string TsvField(const std::string& text) {
    const std::string s = NoFormula(text);
    std::string out;
    for (const char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            default: out += c;
        }
    }
    return out;
}

std::string CsvField(const std::string& text) {
    std::string s = NoFormula(text);
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (const char c : s) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    char escape[8];
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = Utf8Length(s, i);
        if (n == 0) {
            (void)std::snprintf(escape, sizeof escape, "\\udc%02x", b);
            out += escape;
            ++i;
            continue;
        }
        if (b == '"' || b == '\\') {
            out += '\\';
            out += static_cast<char>(b);
        } else if (b < 0x20) {
            (void)std::snprintf(escape, sizeof escape, "\\u%04x", b);
            out += escape;
        } else {
            out.append(s, i, n);
        }
        i += n;
    }
    return out + "\"";
}

std::string JsonNumber(double v, int digits) {
    return std::isfinite(v) ? NumberText(v, digits) : "null";
}

// An edge as its exact decimal, or, beyond the doubles' range, the largest
// finite double of its sign: a reader would take 2e+308 for infinity.
std::string JsonEdge(const std::string& edge) {
    double v = 0;
    const std::from_chars_result r = std::from_chars(edge.data(), edge.data() + edge.size(), v);
    const bool beyond =
        r.ec == std::errc::result_out_of_range && edge.find("e-") == std::string::npos;
    return beyond ? NumberText(EdgeDouble(edge), kShortestDigits) : edge;
}

// The histogram's bins as [low, high, count] arrays, the edges as their exact
// decimals (which are JSON numbers as they are written).
void WriteJsonHistogram(std::ostream& out, const Histogram& histogram) {
    out << ", \"histogram\": [";
    for (std::size_t i = 0; i < histogram.bins.size(); ++i) {
        const HistogramBin& bin = histogram.bins[i];
        out << (i > 0 ? ", [" : "[") << JsonEdge(bin.low) << ", " << JsonEdge(bin.high) << ", "
            << bin.count << "]";
    }
    out << "]";
}

void WriteJson(std::ostream& out, const MachineRow& row, bool summary, int digits) {
    out << "{\"file\": " << JsonString(row.file);
    if (!row.ok) {
        out << ", \"error\": " << JsonString(row.error) << "}\n";
        return;
    }
    const std::vector<std::string> keys = Keys(summary);
    const std::vector<double> numbers = Numbers(row.computed, summary);
    out << ", \"n\": " << row.computed.count;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        out << ", \"" << keys[i + 2] << "\": " << JsonNumber(numbers[i], digits);
    }
    if (row.computed.hasHistogram) WriteJsonHistogram(out, row.computed.histogram);
    out << "}\n";
}

}  // namespace

void WriteMachineHeader(std::ostream& out, Format format, bool summary) {
    if (format == Format::kJson) return;
    const char separator = format == Format::kTsv ? '\t' : ',';
    for (const std::string& key : Keys(summary)) out << key << separator;
    out << "error\n";
}

void WriteMachineRow(std::ostream& out, Format format, const MachineRow& row, bool summary,
                     int digits) {
    if (format == Format::kJson) {
        WriteJson(out, row, summary, digits);
        return;
    }
    const bool tsv = format == Format::kTsv;
    const char separator = tsv ? '\t' : ',';
    const auto field = [tsv](const std::string& s) { return tsv ? TsvField(s) : CsvField(s); };
    out << field(row.file) << separator;
    const std::size_t numbers = Keys(summary).size() - 2;
    if (row.ok) {
        out << row.computed.count << separator;
        for (const double v : Numbers(row.computed, summary))
            out << NumberText(v, digits) << separator;
    } else {
        for (std::size_t i = 0; i <= numbers; ++i) out << separator;
        out << field(row.error);
    }
    out << '\n';
}

}  // namespace descstat
