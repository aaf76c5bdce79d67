// A named report of the argument run, replaced whole: the report is written
// to a new file beside it and put in its place only once it was written and
// closed without error, so that the named file is either as it was (absent,
// or its old content) or the whole new report, never a part of one; two runs
// writing it at once leave one whole report. The new file is removed on every
// failure and on the signals that end a run. A report that exists and is no
// regular file (a device, a FIFO, a terminal), and one in a folder where no
// new file can be made, is written in place instead.
#ifndef DESCSTAT_REPORTFILE_H
#define DESCSTAT_REPORTFILE_H

#include <fstream>
#include <string>
#include <vector>

#include "app/Messages.h"

namespace descstat {

class ReportFile {
public:
    ReportFile() = default;
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;
    ReportFile(ReportFile&&) = delete;
    ReportFile& operator=(ReportFile&&) = delete;

    // Opens the report named `name` for writing (kOpenOutput, with the
    // system's reason, when it cannot be made); `mode` binary for bytes that
    // must be the same on every system.
    Outcome Open(const std::string& name, std::ios_base::openmode mode = std::ios_base::out);

    // The stream the report is written to once it is open.
    std::ostream& Stream() { return file_; }

    // Closes the report and puts it in place; kWriteOutput when anything of
    // it could not be written, and then the named file is left as it was.
    Failure Commit();

private:
    void Discard();

    std::vector<char> buffer_;  // outlives the stream that uses it
    std::ofstream file_;
    std::string target_;   // the file that gets the report
    std::string newFile_;  // the new file written first; empty when in place
};

}  // namespace descstat

#endif  // DESCSTAT_REPORTFILE_H
