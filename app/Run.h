// The core of a run, the same for the dialogue and the argument run, in one
// order of steps: the report's header; both passes over the data file, the
// listing written as the values are read; the results; the summary, which
// may reorder the values; then the report's blocks. The front ends (Dialogue,
// ArgumentRun) only obtain the names, open the data file and the report, and
// show a failure their way.
#ifndef DESCSTAT_RUN_H
#define DESCSTAT_RUN_H

#include <ostream>
#include <string>

#include "app/DataFile.h"
#include "app/Messages.h"
#include "app/Options.h"
#include "mylib/RdTxtLn.h"

namespace descstat {

// Why the report may not be made under this name, before anything is made:
// it names the data file the reader has open, or it can name no file.
Failure CheckReportName(const myLib::RdTxtLn& reader, const std::string& reportName);

// Writes the whole report of the data file that `reader` has open under
// `openName` (shown in the report as `dataName`). The report is left open:
// the caller closes it and checks that everything was written.
Outcome WriteReport(myLib::RdTxtLn& reader, const std::string& dataName,
                    const std::string& openName, std::ostream& report, const RunOptions& options,
                    const RunHooks& hooks);

}  // namespace descstat

#endif  // DESCSTAT_RUN_H
