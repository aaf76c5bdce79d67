#include "app/Report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/Decimal.h"
#include "app/Messages.h"
#include "app/Platform.h"

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
    return WriteShortest(text, v);
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
    return FormatGeneral(text, v, digits);
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

void ListingBlock::Renumber(std::int32_t k) {
    char* end = std::to_chars(prefix_, prefix_ + kPrefixChars, k).ptr;
    *end++ = ':';
    *end++ = ' ';
    *end++ = ' ';
    prefixLength_ = static_cast<int>(end - prefix_);
}

bool ListingBlock::Flush() {
    const auto length = static_cast<std::streamsize>(used_);
    used_ = 0;
    if (length == 0 || report_.rdbuf()->sputn(block_, length) == length) return true;
    report_.setstate(std::ios_base::badbit);
    return false;
}

void WriteListingLines(std::ostream& report, const double* values, std::int32_t count, int digits) {
    ListingBlock block(report);
    for (std::int32_t k = 0; k < count; ++k) {
        char* end = block.StartLine(k + 1);
        block.EndLine(end + FormatNumber(end, values[k], digits));
    }
    block.Flush();
}

void ListingAsRead::Take(const Record& record) {
    if (!values_) return;
    char* end = block_.StartLine(record.number);
    block_.EndLine(end + FormatNumber(end, record.values[0], format_.digits));
}

void ListingAsRead::TakeWritten(const myLib::QuickNumber* numbers, std::size_t count,
                                const Record& first) {
    if (!values_) return;
    const int digits = format_.digits;
    block_.AddLines(first.number, count, [numbers, digits](std::size_t i, char* end) {
        const myLib::QuickNumber& number = numbers[i];
        std::size_t length = FormatPlainWritten(end, number.text, number.negative, number.digits,
                                                number.wholeDigits, number.fractionDigits, digits);
        if (length == 0) length = FormatWrittenGeneral(end, number.digits, number.scale, digits);
        if (length == 0) length = FormatNumber(end, number.value, digits);
        return length;
    });
}

void WriteStatisticBlock(std::ostream& report, Block block, const ResultSet& set,
                         const ReportFormat& format) {
    report << std::endl;
    if (block == Block::kResults) report << std::endl;
    for (const StatisticRow& row : Statistics()) {
        if (row.block != block || !Has(row, set)) continue;
        WriteText(report, format.style, *row.label);
        report << ShownText(ShownRow(row), set, format.digits) << std::endl;
    }
}

void WriteAskedBlock(std::ostream& report, const ResultSet& set, const RunOptions& options,
                     const ReportFormat& format) {
    report << std::endl;
    for (const ShownStatistic& shown : AskedRows(options)) {
        const LabelText label = LabelOf(shown, options);
        WriteText(report, format.style, label.View());
        report << ShownText(shown, set, format.digits) << std::endl;
    }
}

std::string ShownText(const ShownStatistic& shown, const ResultSet& set, int digits) {
    const ExactNumber v = ValueOf(shown, set);
    if (shown.row->isCount) return std::to_string(static_cast<std::int64_t>(NearestDouble(v)));
    return StatisticText(v, digits);
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
    if (!options.statistics.empty()) WriteAskedBlock(report, set, options, format);
    if (options.histogram) WriteHistogramBlock(report, set.histogram, format);
}

}  // namespace descstat

namespace descstat {

namespace {

// One cell of the result table: its text as written (or, for a label, its
// texts, written in the stream's style when the line is), and its width on
// a screen.
struct TableCell {
    std::string text;
    std::size_t width = 0;
    bool label = false;
    std::string shiftJis;
    std::string utf8;
};

// A statistic's label as the table's first column shows it.
TableCell LabelCell(const LabelText& label, const TextStyle& style) {
    TableCell cell;
    cell.label = true;
    cell.shiftJis = BareLabel(label.shiftJis.c_str());
    cell.utf8 = BareLabel(label.utf8.c_str());
    cell.text = BareLabel(label.english.c_str());
    cell.width = DisplayWidth(style.form == TextForm::kEnglish ? cell.text : cell.utf8);
    return cell;
}

// A cell of text as it is written, `width` columns wide.
TableCell TextCell(std::string text, std::size_t width) {
    TableCell cell;
    cell.text = std::move(text);
    cell.width = width;
    return cell;
}

TableCell NameCell(const std::string& utf8, const TextStyle& style) {
    return TextCell(NameInStyle(utf8, style), DisplayWidth(utf8));
}

// The cell padded to `width`, on the left (right-aligned) or the right.
void WritePadded(std::ostream& out, const TextStyle& style, const TableCell& cell,
                 std::size_t width, bool right) {
    const std::string pad(width > cell.width ? width - cell.width : 0, ' ');
    if (right) out << pad;
    if (cell.label) {
        WriteText(out, style, {cell.shiftJis.c_str(), cell.utf8.c_str(), cell.text.c_str()});
    } else {
        out << cell.text;
    }
    if (!right) out << pad;
}

// The rows of the result table: a label cell and a cell per result set.
struct TableRow {
    TableCell label;
    std::vector<TableCell> cells;
};

std::vector<TableRow> TableRows(const ResultSet* sets, std::size_t count, const RunOptions& options,
                                const ReportFormat& format) {
    std::vector<ShownStatistic> shown;
    for (const StatisticRow& row : Statistics()) {
        if (std::string(row.key) == "n") shown.insert(shown.begin(), ShownRow(row));
    }
    for (const StatisticRow& row : Statistics()) {
        if (std::string(row.key) == "n" || !Asked(row, options)) continue;
        bool any = false;
        for (std::size_t i = 0; i < count; ++i) any = any || Has(row, sets[i]);
        if (any) shown.push_back(ShownRow(row));
    }
    const std::vector<ShownStatistic> asked = AskedRows(options);
    shown.insert(shown.end(), asked.begin(), asked.end());
    std::vector<TableRow> rows;
    rows.reserve(shown.size());
    for (const ShownStatistic& row : shown) {
        TableRow line{LabelCell(LabelOf(row, options), format.style), {}};
        line.cells.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            std::string text = ShownText(row, sets[i], format.digits);
            const std::size_t width = text.size();
            line.cells.push_back(TextCell(std::move(text), width));
        }
        rows.push_back(std::move(line));
    }
    return rows;
}

}  // namespace

std::string NameInStyle(const std::string& name, const TextStyle& style) {
    // A line break typed in a header cell would break the report's line.
    std::string utf8 = name;
    for (char& c : utf8) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    std::string converted;
    switch (style.form) {
        case TextForm::kShiftJis:
        case TextForm::kWide: return platform::Utf8ToShiftJis(utf8, converted) ? converted : utf8;
        case TextForm::kConverted:
            return platform::ConvertFromUtf8(utf8.c_str(), style.charset, converted) ? converted
                                                                                     : utf8;
        case TextForm::kUtf8:
        case TextForm::kEnglish: break;
    }
    return utf8;
}

void WriteSetName(std::ostream& report, const std::string& field, const std::string& group,
                  const ReportFormat& format) {
    WriteText(report, format.style, kFieldLabel);
    report << NameInStyle(field, format.style) << std::endl;
    if (group.empty()) return;
    WriteText(report, format.style, kGroupLabel);
    report << NameInStyle(group, format.style) << std::endl;
}

void WriteResultTable(std::ostream& report, const ResultSet* sets, std::size_t count,
                      const RunOptions& options, const ReportFormat& format, std::size_t width) {
    const std::vector<TableRow> rows = TableRows(sets, count, options, format);
    bool groups = false;
    std::vector<TableCell> fields;
    std::vector<TableCell> labels;
    for (std::size_t i = 0; i < count; ++i) {
        fields.push_back(NameCell(sets[i].key.field, format.style));
        labels.push_back(NameCell(sets[i].key.group, format.style));
        groups = groups || !sets[i].key.group.empty();
    }
    std::size_t labelWidth = 0;
    for (const TableRow& row : rows) labelWidth = std::max(labelWidth, row.label.width);
    std::vector<std::size_t> widths(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        widths[i] = std::max(fields[i].width, labels[i].width);
        for (const TableRow& row : rows) widths[i] = std::max(widths[i], row.cells[i].width);
    }
    constexpr std::size_t kGap = 2;
    for (std::size_t first = 0; first < count;) {
        std::size_t last = first + 1;
        std::size_t used = labelWidth + kGap + widths[first];
        while (last < count && used + kGap + widths[last] <= width) used += kGap + widths[last++];
        if (first > 0) report << std::endl;
        const auto writeLine = [&](const TableCell& head, const std::vector<TableCell>& cells) {
            WritePadded(report, format.style, head, labelWidth, false);
            for (std::size_t i = first; i < last; ++i) {
                report << std::string(kGap, ' ');
                WritePadded(report, format.style, cells[i], widths[i], true);
            }
            report << std::endl;
        };
        writeLine(TableCell(), fields);
        if (groups) writeLine(TableCell(), labels);
        for (const TableRow& row : rows) writeLine(row.label, row.cells);
        first = last;
    }
    if (!options.histogram) return;
    for (std::size_t i = 0; i < count; ++i) {
        report << std::endl;
        WriteSetName(report, sets[i].key.field, sets[i].key.group, format);
        WriteHistogramBlock(report, sets[i].histogram, format);
    }
}

}  // namespace descstat
