// The core of a run, the same for the dialogue and the argument run, in one
// order of steps: read the values (the dialogue writes the header before and
// each listing line as it is read; the argument run writes both after), the
// result sets computed from them, then the report's blocks for each. The
// front ends (Dialogue, ArgumentRun, MachineRun) only obtain the names, open
// the data file and the outputs, and show a failure their way.
#ifndef DESCSTAT_RUN_H
#define DESCSTAT_RUN_H

#include <ostream>
#include <string>

#include "app/DataFile.h"
#include "app/Messages.h"
#include "app/Options.h"
#include "app/ResultSet.h"
#include "mylib/RdTxtLn.h"

namespace descstat {

// Reads the data that `reader` has open (in one pass or two, as ReadData
// does: always in one when `openName` is empty) and appends its result
// sets, computed, to `sets`, each keyed by `dataName`; remarks bad lines to
// `remarks`. Writes nothing.
Outcome ReadAndCompute(myLib::RdTxtLn& reader, const std::string& dataName,
                       const std::string& openName, const RunOptions& options, ValueSink& remarks,
                       const RunHooks& hooks, ResultSets& sets);

// Writes the whole report of the data file that `reader` has open under
// `openName` (shown in the report as `dataName`), as the dialogue does: the
// header first, each listing line as its value is read in the second pass.
// The report is left open: the caller closes it and checks that everything
// was written. The result sets it was computed from are appended to `sets`
// (for the chart).
Outcome WriteReport(myLib::RdTxtLn& reader, const std::string& dataName,
                    const std::string& openName, std::ostream& report, const RunOptions& options,
                    const RunHooks& hooks, ResultSets& sets);

// The same report, written only once all the data has been read, so that a
// failed run writes none of it: in one pass when `openName` is empty (the
// data is then never opened again), or as ReadData reads it. The lines
// whose field is not wholly a number are remarked to `remarks` as they are
// read.
Outcome WriteReportAfterReading(myLib::RdTxtLn& reader, const std::string& dataName,
                                const std::string& openName, std::ostream& report,
                                const RunOptions& options, ValueSink& remarks,
                                const RunHooks& hooks, ResultSets& sets);

// The same report in one pass over data read once, into a report held
// until the run commits it (OutputFile::HeldUntilCommit): a marker file's
// listing is written as its values are read (ListingAsRead), so that they
// need not be kept unless another block needs them. The lines whose field
// is not wholly a number are remarked to `remarks` as they are read.
Outcome WriteReportWhileReading(myLib::RdTxtLn& reader, const std::string& dataName,
                                std::ostream& report, const RunOptions& options, ValueSink& remarks,
                                const RunHooks& hooks, ResultSets& sets);

}  // namespace descstat

#endif  // DESCSTAT_RUN_H
