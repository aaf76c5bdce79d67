// The argument run: `descstat DATA [REPORT]`, for scripts. It asks nothing:
// it reads DATA ("-": standard input; data that can be read only once is read
// in one pass) and writes the report to REPORT ("-" or none: standard
// output), only once the data has been read; a named REPORT is replaced
// whole (ReportFile). Nothing else goes to standard output; a failure is one
// line on standard error, the program's prefix and the dialogue's message,
// with the name and the system's reason where a file could not be opened.
// A report that is the data file, however named, is refused.
#ifndef DESCSTAT_ARGUMENTRUN_H
#define DESCSTAT_ARGUMENTRUN_H

#include <cstdio>
#include <ostream>
#include <string>

#include "app/DataFile.h"
#include "app/Options.h"

namespace descstat {

// One run over the named files; `in` (read as "-"), `out` and `err` stand for
// the standard streams, `out` writing to the C stream stdout. Returns the
// exit code.
int RunWithNames(const std::string& dataName, const std::string& reportName, std::FILE* in,
                 std::ostream& out, std::ostream& err, const RunOptions& options = RunOptions(),
                 const RunHooks& hooks = RunHooks());

}  // namespace descstat

#endif  // DESCSTAT_ARGUMENTRUN_H
