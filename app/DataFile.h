// The data file: its line rules and the two passes over it.
//
// Free text stands before the opening marker line (the first line that starts
// with "/"); the values stand one per line after it, up to the closing marker
// line (the next line that starts with "/") or the end of the file; the first
// blank-separated field of each value line is its value. The counting pass
// counts the value lines, an array of exactly that size is made, and the
// reading pass reads them again from the reopened file, handing each value to
// a sink as it goes. A file that does not hold the same lines the second time
// has changed, and the run fails. Data that can be read only once (standard
// input, a pipe, a FIFO, a device) is read in one pass instead, its values
// kept as they arrive, up to the closing marker line like a file. The data
// is only ever read.
//
// The data rules (the command line's) may change how lines are read: a plain
// list, whose every line is a value line; a first value line that names the
// fields; another field than the first, by number or by name; a separator
// byte with quoted fields (Fields.h), where a quoted field may go on over
// several lines and a field holds a number only when it is wholly one; value
// lines without a number left out; a lone CR as a line end. Every value line
// whose field is not wholly a number is remarked to the sink with its line
// number, for the argument run's warnings, and so are CR line ends.
#ifndef DESCSTAT_DATAFILE_H
#define DESCSTAT_DATAFILE_H

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "app/DecimalSums.h"
#include "app/Messages.h"
#include "app/Options.h"
#include "app/Values.h"
#include "mylib/RdTxtLn.h"
#include "mylib/StrFunc.h"

namespace descstat {

class TableReader;

// A value line whose field is not wholly a number, as the reading pass met it.
struct LineRemark {
    enum Kind {
        kNoNumber,       // the field holds no number: read as nan, or left out
        kEmptyLine,      // the same, for a line of blanks only
        kNoSuchField,    // the line has fewer fields: as kNoNumber
        kNumberAtStart,  // only the field's start is a number, which was read
        kMissingCell,    // a table's cell in a column read that is no number: missing
        kTextColumn,     // a table's column of numbers and text, not read (`field`: the text)
        kLongRow,        // a table's row with more fields than its first rows: the rest unread
    };
    Kind kind = kNoNumber;
    std::int64_t line = 0;  // the line's (its first line's) number in the file, from 1
    std::string field;      // the field's text
    int fieldNumber = 1;    // which field, counted from 1
    double value = 0.0;     // the value read (kNumberAtStart)
    bool leftOut = false;   // not a value of the run (skipInvalid)
    std::string column;     // a table's column: its name as the header line gives it, if any
};

// One value line as the reading pass hands it on: where it stands, and the
// values of the fields the rules select, in the order selected (one field
// today; a table's several later). The values live until the next record.
struct Record {
    std::int64_t line = 0;    // its (first) line's number in the file, from 1
    std::int32_t number = 0;  // its number among the value lines kept, from 1
    const double* values = nullptr;
    std::size_t count = 0;  // how many values
};

// Where the reading pass hands what it reads, in file order: the report's
// listing, the argument run's warnings, or (this base itself) nothing.
class ValueSink {
public:
    ValueSink() = default;
    virtual ~ValueSink() = default;
    ValueSink(const ValueSink&) = delete;
    ValueSink& operator=(const ValueSink&) = delete;
    ValueSink(ValueSink&&) = delete;
    ValueSink& operator=(ValueSink&&) = delete;

    // The reading pass has found the data section again; its values follow.
    virtual void SectionFound() {}
    // A value line kept as a value of the run.
    virtual void Take(const Record& record) { (void)record; }
    // Value lines read where they lie, `count` in a row: each number with its
    // digits as written, the first line's place in `first`. Each is a Take
    // unless the sink does better with the digits.
    virtual void TakeWritten(const myLib::QuickNumber* numbers, std::size_t count,
                             const Record& first);
    // True for a sink that does something with Take (it overrides both):
    // the reading loop skips the records of one that does not.
    virtual bool TakesRecords() const { return false; }
    // A value line whose field is not wholly a number, before its Take (if
    // it is kept).
    virtual void Remark(const LineRemark& remark) { (void)remark; }
    // The data has CR line ends (a lone CR ended a line): once, after the
    // reading pass.
    virtual void CrLineEnds() {}
    // So many more remarks than were handed over (a table keeps only the
    // first few of a long run of them).
    virtual void MoreRemarks(std::int64_t count) { (void)count; }
};

// Where a read stands: the pass (the counting pass, or the values read), the
// bytes taken from the file so far and its size (-1 when unknown: a pipe),
// and the values kept so far.
struct ReadPosition {
    bool counting;
    long long bytes;
    long long size;
    std::int32_t values;
};

// Seams for tests and fuzzing: they let a caller change the data file between
// the passes and lower the largest count; and the progress report. A normal
// run uses the defaults.
struct RunHooks {
    void (*betweenPasses)(void* context) = nullptr;
    void* context = nullptr;
    std::int32_t maxCount = std::numeric_limits<std::int32_t>::max();
    // Told where the read stands now and then (every few thousand lines),
    // for a progress line (Progress.h).
    void (*progress)(void* context, const ReadPosition& at) = nullptr;
    void* progressContext = nullptr;
    // The least bytes worth a thread of their own when a file is read in
    // parts (SplitRead.h): below twice this ahead, one thread reads it.
    long long leastPartBytes = 4LL << 20;
};

// What the counting pass found: how many value lines, and whether the closing
// marker line (rather than the end of the file) ended them, so that the
// reading pass can check that it meets the same end; whether a line named the
// fields; and the indexes of the fields that hold the values (0 is the
// first), one per column.
struct Section {
    Section();
    ~Section();
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;
    Section(Section&&) noexcept;
    Section& operator=(Section&&) noexcept;

    std::int32_t count = 0;
    bool closedByMarker = false;
    bool namesLine = false;
    std::vector<int> fields;
    std::vector<int> groups;         // the fields whose values group the lines (--group)
    std::vector<std::string> names;  // the line's names of the fields, when one names them
    // A file without a marker line (or a plain list) is a table, read whole
    // by the counting pass: its rows are here, to be finished.
    std::unique_ptr<TableReader> table;
};

// The values of one selected field (of one group) in file order, and the
// sums of their shortest decimals (the numbers as written), kept as they are
// read so that no value is converted back to decimal afterwards; and what
// names the sample.
struct Column {
    Values values;
    std::unique_ptr<DecimalSums> sums;
    std::string field;         // the field's name in UTF-8 (the header line's), or its number
    std::string group;         // the group's label in UTF-8; empty without --group
    std::int64_t missing = 0;  // a table's cells without a value (empty, NA, ...)
    bool table = false;        // read from a table (Table.h), after the whole file
    // One of several samples of its file, or of a group, or a field the
    // program chose among several: the renderers name it and its missing cells.
    bool named = false;
};

// The values of a data section in memory, one column per selected field.
using Columns = std::vector<Column>;

// Counting pass over a freshly opened reader: skips the header and the opening
// marker line, then counts the value lines of the data section (a line that
// names the fields is none). A file that ends before a marker line, and a
// plain list, is a table: the pass reads all of it (`section.table`). A count beyond maxCount fails
// with kTooManyLines; a field name the header line does not hold, or holds twice, with kNoField; a
// quote that no line closes, with kOpenQuote. It sets the reader's line rule for CR from the rules,
// which the reading pass keeps.
Outcome CountValueLines(myLib::RdTxtLn& reader, const DataRules& rules, std::int32_t maxCount,
                        Section& section, const RunHooks& hooks = RunHooks());

// True when the data that `reader` has open can be read only once: it has no
// name to be opened again by (`openName` empty: standard input), or it is no
// regular file.
bool ReadableOnce(const myLib::RdTxtLn& reader, const std::string& openName);

// One pass over data that can be read only once: skips the header and keeps
// the values of the data section in `columns`, handing each record to
// `sink`. The failures are those of the two passes, but for a change, which
// one pass cannot see.
Outcome ReadOnce(myLib::RdTxtLn& reader, const DataRules& rules, ValueSink& sink,
                 const RunHooks& hooks, Columns& columns);

// Both passes over the data file that `reader` has open under `openName`:
// counts, makes the arrays, reopens the file and reads the values into
// `columns`, handing each record to `sink` after the section's start
// (SectionFound). The reason of a failed reopen is the system's, taken at
// that open.
Outcome ReadDataFile(myLib::RdTxtLn& reader, const std::string& openName, const DataRules& rules,
                     ValueSink& sink, const RunHooks& hooks, Columns& columns);

// Every value of the data that `reader` has open: in one pass when it can be
// read only once (ReadableOnce: `openName` empty, say) or its values are
// only counted (the rules keep none), in both otherwise.
Outcome ReadData(myLib::RdTxtLn& reader, const std::string& openName, const DataRules& rules,
                 ValueSink& sink, const RunHooks& hooks, Columns& columns);

}  // namespace descstat

#endif  // DESCSTAT_DATAFILE_H
