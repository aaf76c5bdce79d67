// The data file: its line rules and the two passes over it.
//
// Free text stands before the opening marker line (the first line that starts
// with "/"); the values stand one per line after it, up to the closing marker
// line (the next line that starts with "/") or the end of the file; the first
// blank-separated field of each value line is its value. The counting pass
// counts the value lines, an array of exactly that size is made, and the
// reading pass reads them again from the reopened file, handing each value to
// a sink as it goes. A file that does not hold the same lines the second time
// has changed, and the run fails; the data file is only ever read.
//
// A new input form (plain lists, columns, CSV) changes this unit alone: the
// run gets values and failures from it, nothing else.
#ifndef DESCSTAT_DATAFILE_H
#define DESCSTAT_DATAFILE_H

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "app/Messages.h"
#include "mylib/RdTxtLn.h"

namespace descstat {

// Where the reading pass hands what it reads, in file order: the report's
// listing, or (this base itself) nothing.
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
    // The value of the number-th value line, counted from 1.
    virtual void Take(std::int32_t number, double value) {
        (void)number;
        (void)value;
    }
};

// Seams for tests and fuzzing: they let a caller change the data file between
// the passes and lower the largest count. A normal run uses the defaults.
struct RunHooks {
    void (*betweenPasses)(void* context) = nullptr;
    void* context = nullptr;
    std::int32_t maxCount = std::numeric_limits<std::int32_t>::max();
};

// The values of a data file, in file order, as the reading pass left them.
struct Values {
    std::unique_ptr<double[]> data;
    std::int32_t count = 0;
};

// What the counting pass found: how many value lines, and whether the closing
// marker line (rather than the end of the file) ended them, so that the
// reading pass can check that it meets the same end.
struct Section {
    std::int32_t count = 0;
    bool closedByMarker = false;
};

// Counting pass over a freshly opened reader: skips the header and the opening
// marker line, then counts the lines of the data section. A count beyond
// maxCount fails with kTooManyLines.
Failure CountValueLines(myLib::RdTxtLn& reader, std::int32_t maxCount, Section& section);

// Both passes over the data file that `reader` has open under `openName`:
// counts, makes the array, reopens the file and reads the values into
// `values`, handing each to `sink`. The reason of a failed reopen is the
// system's, taken at that open.
Outcome ReadDataFile(myLib::RdTxtLn& reader, const std::string& openName, ValueSink& sink,
                     const RunHooks& hooks, Values& values);

}  // namespace descstat

#endif  // DESCSTAT_DATAFILE_H
