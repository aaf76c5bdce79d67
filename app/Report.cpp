#include "app/Report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "app/Decimal.h"
#include "app/Messages.h"

namespace descstat {

namespace {

// Room for a value's number in the listing (at most 2147483647).
constexpr int kIndexChars = 12;

// The shortest digits that read back as v, in the shortest notation; an
// infinity as "inf" or "-inf".
std::size_t FormatShortest(char* text, double v) {
    if (std::isinf(v)) {
        return static_cast<std::size_t>(std::to_chars(text, text + kNumberChars, v).ptr - text);
    }
    const std::string shortest = DecimalText(ShortestDecimal(v));
    return static_cast<std::size_t>(std::copy(shortest.begin(), shortest.end(), text) - text);
}

// A bin's edges as the histogram block writes them: "[low, high)".
std::string EdgesText(const HistogramBin& bin) { return '[' + bin.low + ", " + bin.high + ')'; }

}  // namespace

std::size_t FormatNumber(char* text, double v, int digits) {
    if (std::isnan(v)) {
        text[0] = 'n';
        text[1] = 'a';
        text[2] = 'n';
        return 3;
    }
    if (digits == kShortestDigits) return FormatShortest(text, v);
    const std::to_chars_result r =
        std::to_chars(text, text + kNumberChars, v, std::chars_format::general, digits);
    return static_cast<std::size_t>(r.ptr - text);
}

std::string NumberText(double v, int digits) {
    char text[kNumberChars];
    return std::string(text, FormatNumber(text, v, digits));
}

void WriteHeader(std::ostream& report, const std::string& dataName) {
    report << kDataFileLabel << dataName << std::endl << std::endl;
}

void WriteListingHeading(std::ostream& report, const ReportFormat& format) {
    WriteTextLine(report, format.style, kListingHeading);
}

void WriteListingLine(std::ostream& report, std::int32_t k, double value, int digits) {
    char text[kIndexChars + kNumberChars + 4];
    char* end = std::to_chars(text, text + kIndexChars, k).ptr;
    *end++ = ':';
    *end++ = ' ';
    *end++ = ' ';
    end += FormatNumber(end, value, digits);
    *end++ = '\n';
    // Straight to the stream's buffer (or, unbuffered, to the file).
    const std::streamsize length = end - text;
    if (report.rdbuf()->sputn(text, length) != length) report.setstate(std::ios_base::badbit);
}

void WriteStatisticBlock(std::ostream& report, Block block, const ResultSet& set,
                         const ReportFormat& format) {
    report << std::endl;
    if (block == Block::kResults) report << std::endl;
    for (const StatisticRow& row : Statistics()) {
        if (row.block != block) continue;
        const ExactNumber value = row.of(set);
        WriteText(report, format.style, *row.label);
        if (row.isCount) {
            report << static_cast<std::int64_t>(NearestDouble(value)) << std::endl;
        } else {
            report << StatisticText(value, format.digits) << std::endl;
        }
    }
}

void WriteHistogramBlock(std::ostream& report, const Histogram& histogram,
                         const ReportFormat& format) {
    // The edges padded to the widest and the counts right-aligned to the
    // widest, so that every bar starts in one column.
    std::int64_t most = 0;
    std::size_t edgesWidth = 0;
    std::size_t countWidth = 0;
    for (const HistogramBin& bin : histogram.bins) {
        most = std::max(most, bin.count);
        edgesWidth = std::max(edgesWidth, EdgesText(bin).size());
        countWidth = std::max(countWidth, std::to_string(bin.count).size());
    }
    report << std::endl;
    WriteTextLine(report, format.style, kHistogramHeading);
    for (const HistogramBin& bin : histogram.bins) {
        const std::string edges = EdgesText(bin);
        const std::string count = std::to_string(bin.count);
        report << edges << std::string(edgesWidth - edges.size() + 2, ' ')
               << std::string(countWidth - count.size(), ' ') << count;
        const int bar = BarLength(bin.count, most);
        if (bar > 0) report << "  " << std::string(static_cast<std::size_t>(bar), '*');
        report << std::endl;
    }
    if (histogram.notNumbers > 0) {
        WriteText(report, format.style, kNotNumbersLabel);
        report << histogram.notNumbers << std::endl;
    }
}

void WriteBlocks(std::ostream& report, const ResultSet& set, const RunOptions& options,
                 const ReportFormat& format) {
    WriteStatisticBlock(report, Block::kResults, set, format);
    if (options.summary) WriteStatisticBlock(report, Block::kSummary, set, format);
    if (options.histogram) WriteHistogramBlock(report, set.histogram, format);
}

}  // namespace descstat
