// The argument run's warnings about the data: one line on standard error for
// each value line whose field is not wholly a number, saying where it is
// (`descstat: FILE:LINE: `, LINE counted over every line of the file from 1,
// as an editor counts) and what was made of it: "'NA' holds no number: read
// as nan", "'1,234' read as 1", "... left out" with --skip-invalid; for a
// table, each cell of a column read that is no number (it counts as
// missing), a column of numbers and text that is not read, and a row longer
// than the first rows. At most
// kMaxWarnings lines, then one line telling how many more there were. The
// run's exit code does not change: the values were read by the documented
// rules, and the warnings say where those rules bit. The dialogue stays
// silent.
#ifndef DESCSTAT_WARNINGS_H
#define DESCSTAT_WARNINGS_H

#include <cstdint>
#include <ostream>
#include <string>

#include "app/DataFile.h"
#include "app/Progress.h"

namespace descstat {

constexpr int kMaxWarnings = 10;

// What a warning says of one line, after "FILE:LINE: ".
std::string WarningText(const LineRemark& remark);

// The reading pass's remarks as warnings on `err`, for the data named `file`
// (the operand as given).
class Warnings : public ValueSink {
public:
    // A progress line on the same stream, if any, is erased before each
    // warning.
    Warnings(std::ostream& err, std::string file, Progress* progress = nullptr)
        : err_(err), file_(std::move(file)), progress_(progress) {}
    void Remark(const LineRemark& remark) override;
    // One line, `descstat: FILE: CR line ends (each lone CR ends a line)`,
    // so that a file saved with old Mac line ends is known to be read so.
    void CrLineEnds() override;
    // Counted for the closing line, not written.
    void MoreRemarks(std::int64_t count) override { count_ += count; }
    // The line that tells how many warnings were left out, if any were.
    void Finish();

private:
    std::ostream& err_;
    std::string file_;
    Progress* progress_;
    std::int64_t count_ = 0;

    // Erases the progress line, if there is one, so that a warning starts a
    // clean line.
    void EraseProgress() const;
};

}  // namespace descstat

#endif  // DESCSTAT_WARNINGS_H
