#include "app/Machine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>
#include <vector>

#include "app/Report.h"
#include "app/StatisticTable.h"
#include "app/Text.h"

namespace descstat {

namespace {

// The statistics a row carries: those --statistics or --describe asked for,
// in their order, and the summary's not among them with --summary; else, in
// the table's order, the count always and the rest as the report would
// show them.
std::vector<ShownStatistic> RowStatistics(const RunOptions& options, bool named) {
    std::vector<ShownStatistic> rows = AskedRows(options);
    const bool asked = !rows.empty();
    const auto present = [&rows](const StatisticRow& row) {
        return std::any_of(rows.begin(), rows.end(),
                           [&row](const ShownStatistic& s) { return s.row == &row; });
    };
    for (const StatisticRow& row : Statistics()) {
        if (row.tableOnly && !named) continue;
        if (asked && (row.block != Block::kSummary || !options.summary || present(row))) continue;
        if (row.inEveryRow || Asked(row, options)) rows.push_back(ShownRow(row));
    }
    return rows;
}

// True when a result set of the run is one of several of its file (or of a
// group): every row then names its field and group, and counts its missing
// cells.
bool AnyNamed(const ResultSets& sets) {
    return std::any_of(sets.begin(), sets.end(), [](const ResultSet& s) { return s.key.named; });
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
    if (s.empty() || s == "-" || std::string("=+-@\t\r").find(s[0]) == std::string::npos) {
        return s;
    }
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

void WriteJson(std::ostream& out, const ResultSet& set, const std::vector<ShownStatistic>& rows,
               int digits, bool named) {
    out << "{\"file\": " << JsonString(set.key.file);
    if (named) {
        out << ", \"field\": " << JsonString(set.key.field)
            << ", \"group\": " << JsonString(set.key.group);
    }
    if (!set.error.empty()) {
        out << ", \"error\": " << JsonString(set.error) << "}\n";
        return;
    }
    for (const ShownStatistic& row : rows) {
        const bool finite = std::isfinite(NearestDouble(ValueOf(row, set)));
        out << ", \"" << KeyOf(row) << "\": " << (finite ? ShownText(row, set, digits) : "null");
    }
    if (set.hasHistogram) WriteJsonHistogram(out, set.histogram);
    out << "}\n";
}

// One row of tsv or csv: the key, the statistics, and the error column.
void WriteDelimited(std::ostream& out, Format format, const ResultSet& set,
                    const std::vector<ShownStatistic>& rows, int digits, bool named) {
    const bool tsv = format == Format::kTsv;
    const char separator = tsv ? '\t' : ',';
    const auto field = [tsv](const std::string& s) { return tsv ? TsvField(s) : CsvField(s); };
    out << field(set.key.file) << separator;
    if (named) out << field(set.key.field) << separator << field(set.key.group) << separator;
    for (const ShownStatistic& row : rows) {
        if (set.error.empty()) out << ShownText(row, set, digits);
        out << separator;
    }
    out << field(set.error) << '\n';
}

}  // namespace

std::string MachineText(const std::string& text, Format format) {
    switch (format) {
        case Format::kTsv: return TsvField(text);
        case Format::kCsv: return CsvField(text);
        case Format::kJson:
        case Format::kReport: break;
    }
    return JsonString(text);
}

void WriteMachineRows(std::ostream& out, const ResultSets& sets, const RunOptions& options,
                      int digits) {
    const bool named = AnyNamed(sets);
    const std::vector<ShownStatistic> rows = RowStatistics(options, named);
    if (options.format == Format::kJson) {
        for (const ResultSet& set : sets) WriteJson(out, set, rows, digits, named);
        return;
    }
    const char separator = options.format == Format::kTsv ? '\t' : ',';
    out << "file" << separator;
    if (named) out << "field" << separator << "group" << separator;
    for (const ShownStatistic& row : rows) out << KeyOf(row) << separator;
    out << "error\n";
    for (const ResultSet& set : sets) WriteDelimited(out, options.format, set, rows, digits, named);
}

}  // namespace descstat
