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

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
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

// Listing lines gathered in a block before they go to the stream, the
// value's number counted up in place from line to line. A block that does
// not arrive whole marks the stream bad, as a failed write does.
class ListingBlock {
public:
    explicit ListingBlock(std::ostream& report) : report_(report) {}
    // Starts the line of the value numbered k ("k:  "), first writing out
    // the block when it lacks room for a whole line; gives where its number
    // goes (room for kNumberChars).
    char* StartLine(std::int32_t k) {
        if (kBlock - used_ < kLongestLine) Flush();
        if (k != last_ + 1 || !CountUp()) Renumber(k);
        last_ = k;
        // The whole prefix buffer in one copy: the line's room holds it.
        char* start = block_ + used_;
        std::memcpy(start, prefix_, sizeof prefix_);
        return start + prefixLength_;
    }
    // Ends the line whose number ends at `end`.
    void EndLine(char* end) {
        *end++ = '\n';
        used_ = static_cast<std::size_t>(end - block_);
    }
    // Adds the lines of `count` values numbered from k on, the number of the
    // i-th written by format(i, where), which gives its length: StartLine
    // and EndLine for each, in a loop that keeps its state in registers
    // (every byte written might otherwise be a member's).
    template <typename Format>
    void AddLines(std::int32_t k, std::size_t count, Format format) {
        if (count == 0) return;
        if (k != last_ + 1) {
            Renumber(k - 1);
            last_ = k - 1;
        }
        char prefix[kPrefixChars];
        std::memcpy(prefix, prefix_, sizeof prefix);
        int length = prefixLength_;
        char* out = block_ + used_;
        // In runs of lines that surely fit before the block must be written out.
        for (std::size_t i = 0; i < count;) {
            std::size_t fit = static_cast<std::size_t>(block_ + kBlock - out) / kLongestLine;
            if (fit == 0) {
                used_ = static_cast<std::size_t>(out - block_);
                Flush();
                out = block_;
                fit = kBlock / kLongestLine;
            }
            const std::size_t stop = std::min(count, i + fit);
            for (; i < stop; ++i) {
                int at = length - 4;
                while (at >= 0 && prefix[at] == '9') prefix[at--] = '0';
                if (at >= 0) {
                    ++prefix[at];
                } else {
                    std::memmove(prefix + 1, prefix, static_cast<std::size_t>(length++));
                    prefix[0] = '1';
                }
                std::memcpy(out, prefix, sizeof prefix);
                out += length;
                out += format(i, out);
                *out++ = '\n';
            }
        }
        std::memcpy(prefix_, prefix, sizeof prefix);
        prefixLength_ = length;
        used_ = static_cast<std::size_t>(out - block_);
        last_ = k + static_cast<std::int32_t>(count) - 1;
    }
    // Writes out the lines gathered; false when they did not arrive whole.
    bool Flush();

private:
    // Adds one to the number in the prefix; false when it gains a digit.
    bool CountUp() {
        int at = prefixLength_ - 4;
        while (at >= 0 && prefix_[at] == '9') prefix_[at--] = '0';
        if (at < 0) return false;
        ++prefix_[at];
        return true;
    }
    void Renumber(std::int32_t k);

    static constexpr std::size_t kBlock = std::size_t{16} * 1024;
    static constexpr std::size_t kPrefixChars = 16;  // "2147483647:  " and room
    static constexpr std::size_t kLongestLine = kPrefixChars + kNumberChars + 4;
    std::ostream& report_;
    char block_[kBlock] = {};
    std::size_t used_ = 0;
    char prefix_[kPrefixChars] = {'0', ':', ' ', ' '};  // the last line's "k:  "
    int prefixLength_ = 4;
    std::int32_t last_ = 0;
};

// The listing lines of `count` values, numbered from 1, as WriteListingLine
// writes each, gathered in blocks before they go to the stream.
void WriteListingLines(std::ostream& report, const double* values, std::int32_t count, int digits);

// The listing as the reading pass's sink: the heading once the data section
// is found, then each value's line as it is read, unless the value lines are
// left out (`values` false: the heading alone). Each line is one write, so
// that an unbuffered report holds every line read whatever happens next.
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

// What the listing shows of a marker file as it is read into a report put
// in place only once complete (the argument run): the same bytes as Listing,
// gathered in blocks, and a number read where it lies formatted from its
// digits as written (FormatWrittenGeneral) where that gives its double's
// text. Without `shown` nothing (several fields are read: the report shows
// a table of them). Remarks and CR line ends go on to `remarks`. Finish
// writes out the last lines.
class ListingAsRead : public ValueSink {
public:
    ListingAsRead(std::ostream& report, const ReportFormat& format, bool shown, bool values,
                  ValueSink& remarks)
        : report_(report),
          format_(format),
          shown_(shown),
          values_(shown && values),
          remarks_(remarks),
          block_(report) {}
    void SectionFound() override {
        if (shown_) WriteListingHeading(report_, format_);
    }
    void Take(const Record& record) override;
    void TakeWritten(const myLib::QuickNumber* numbers, std::size_t count,
                     const Record& first) override;
    bool TakesRecords() const override { return values_; }
    void Remark(const LineRemark& remark) override { remarks_.Remark(remark); }
    void CrLineEnds() override { remarks_.CrLineEnds(); }
    void MoreRemarks(std::int64_t count) override { remarks_.MoreRemarks(count); }
    // False when the lines did not arrive whole (the stream is marked bad).
    bool Finish() { return block_.Flush(); }

private:
    std::ostream& report_;
    ReportFormat format_;
    bool shown_;
    bool values_;
    ValueSink& remarks_;
    ListingBlock block_;
};

}  // namespace descstat

#endif  // DESCSTAT_REPORT_H
