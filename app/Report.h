// The text report: its header, the listing of the values, the result block
// and the summary block, and the number format they share.
//
// The report writes what has been read and computed; it computes nothing.
// Every line ends with the stream's line end, so a report file gets the
// platform's text line ends. Another rendering of the same results (other
// labels, a machine format, a picture) is another set of writers beside these,
// over the same result sets (ResultSet.h), whose statistics they take from
// the table of statistics (StatisticTable.h).
#ifndef DESCSTAT_REPORT_H
#define DESCSTAT_REPORT_H

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "app/DataFile.h"
#include "app/Histogram.h"
#include "app/Japanese.h"
#include "app/Options.h"
#include "app/ResultSet.h"
#include "app/StatisticTable.h"
#include "app/Text.h"

namespace descstat {

// How the report writes: the style of its labels, and the significant
// digits of every number (kMinDigits to kMaxDigits, or kShortestDigits).
struct ReportFormat {
    TextStyle style;
    int digits;
};

// Room enough for any number FormatNumber writes.
constexpr std::size_t kNumberChars = 32;

// Writes v into `text` as the stream's default floating-point format writes it
// with `digits` significant digits (general notation like printf's %g), and
// gives the length; with kShortestDigits, as many digits as the shortest text
// that reads back as the same double needs (10000000.1, 0.1). NaN of either
// sign is "nan", so that the report reads the same on every platform. Needs no
// stream and no locale.
std::size_t FormatNumber(char* text, double v, int digits);

// The same text as a string, for writers that build their lines (the machine
// formats, the chart).
std::string NumberText(double v, int digits);

// The header: the data file's name as given, and an empty line.
void WriteHeader(std::ostream& report, const std::string& dataName);

// The listing's heading line.
void WriteListingHeading(std::ostream& report, const ReportFormat& format);

// One listing line, "k:  value", written whole in one write; a line that does
// not arrive whole marks the stream bad, as a failed write does.
void WriteListingLine(std::ostream& report, std::int32_t k, double value, int digits);

// A block of statistics, one labelled line each, in the table's order: the
// results block after the empty line that ends the listing and an empty
// line, the summary block after an empty line.
void WriteStatisticBlock(std::ostream& report, Block block, const ResultSet& set,
                         const ReportFormat& format);

// The block of the statistics --statistics or --describe asked for, after an
// empty line, in their order: "標準誤差 = 0.12".
void WriteAskedBlock(std::ostream& report, const ResultSet& set, const RunOptions& options,
                     const ReportFormat& format);

// A statistic's value as every renderer writes it: a count as a whole
// number, any other rounded once to `digits` (or the shortest of its nearest
// double), "nan" where it has no value.
std::string ShownText(const ShownStatistic& shown, const ResultSet& set, int digits);

// Every block after the listing that the options ask for: the results, the
// summary, the statistics asked for, the histogram.
void WriteBlocks(std::ostream& report, const ResultSet& set, const RunOptions& options,
                 const ReportFormat& format);

// The histogram block: an empty line, the heading, one line per bin
// ("[10, 12)  5  *****"), and how many values are not numbers when any are.
void WriteHistogramBlock(std::ostream& report, const Histogram& histogram,
                         const ReportFormat& format);

// A name from the data (UTF-8) as the report writes it: control characters
// as blanks, in Shift_JIS for a Shift_JIS report (and the Windows console),
// converted for a screen of another character set, as it is where that
// cannot be done.
std::string NameInStyle(const std::string& name, const TextStyle& style);
// The lines that name a result set of a table, before its listing:
// "項目 = 身長", and "グループ = 男" when it is one group's.
void WriteSetName(std::ostream& report, const std::string& field, const std::string& group,
                  const ReportFormat& format);
// Several result sets as one table: a row per statistic the options ask for
// (the count first, then the table of statistics' order), labelled as the
// report labels them, and a column per result set headed by its field and
// group, numbers right-aligned, widths by display width; wrapped into
// several tables so that no line is wider than `width` columns (unless one
// column alone is). Then the histogram of each set, after its name.
void WriteResultTable(std::ostream& report, const ResultSet* sets, std::size_t count,
                      const RunOptions& options, const ReportFormat& format, std::size_t width);

// The listing lines of `count` values, numbered from 1, as WriteListingLine
// writes each, gathered in blocks before they go to the stream.
void WriteListingLines(std::ostream& report, const double* values, std::int32_t count, int digits);

// The listing as the reading pass's sink: the heading once the data section
// is found, then each value's line as it is read, unless the value lines are
// left out (`values` false: the heading alone).
class Listing : public ValueSink {
public:
    Listing(std::ostream& report, const ReportFormat& format, bool values)
        : report_(report), format_(format), values_(values) {}
    void SectionFound() override { WriteListingHeading(report_, format_); }
    void Take(const Record& record) override {
        if (values_) WriteListingLine(report_, record.number, record.values[0], format_.digits);
    }
    bool TakesRecords() const override { return values_; }
    // The lines of `count` values already read, numbered from 1, in one go:
    // the same bytes as a Take for each.
    void TakeAll(const double* values, std::int32_t count) {
        if (values_) WriteListingLines(report_, values, count, format_.digits);
    }

private:
    std::ostream& report_;
    ReportFormat format_;
    bool values_;
};

}  // namespace descstat

#endif  // DESCSTAT_REPORT_H
