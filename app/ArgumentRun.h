// The argument run: `descstat DATA [REPORT]`, for scripts. It asks nothing:
// it reads DATA ("-": standard input, through a temporary copy, since the data
// is read twice) and writes the report to REPORT ("-" or none: standard
// output). Nothing else goes to standard output; a failure is one line on
// standard error, the program's prefix and the dialogue's message, with the
// name and the system's reason where a file could not be opened.
#ifndef DESCSTAT_ARGUMENTRUN_H
#define DESCSTAT_ARGUMENTRUN_H

#include <istream>
#include <ostream>
#include <string>

#include "app/DataFile.h"
#include "app/Options.h"

namespace descstat {

// One run over the named files; `in`, `out` and `err` stand for the standard
// streams. Returns the exit code.
int RunWithNames(const std::string& dataName, const std::string& reportName, std::istream& in,
                 std::ostream& out, std::ostream& err, const RunOptions& options = RunOptions(),
                 const RunHooks& hooks = RunHooks());

}  // namespace descstat

#endif  // DESCSTAT_ARGUMENTRUN_H
