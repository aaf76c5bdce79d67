// The run of a machine format (`descstat -F tsv|csv|json DATA...`): every
// operand is a data file, read in the order given by the data rules of the
// run, and each gets one row or object of statistics (Machine.h), also when
// it fails: then with the failure's message. Warnings name each file. The
// rows are written once every file has been read: to standard output, or to
// the file --output names, replaced whole as a report is. An output that is
// one of the data files (compared as each is opened) ends the run with nothing
// written. The exit code is 9 when any file failed, 0 otherwise.
#ifndef DESCSTAT_MACHINERUN_H
#define DESCSTAT_MACHINERUN_H

#include <cstddef>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "app/DataFile.h"
#include "app/Options.h"
#include "app/Outputs.h"
#include "app/ResultSet.h"

namespace descstat {

// One run over the data files; `in` is read as "-", and `out` and `err`
// stand for the standard streams (`out` writing to the C stream stdout).
int RunMachine(const std::vector<std::string>& dataNames, std::FILE* in, std::ostream& out,
               std::ostream& err, const RunOptions& options, const RunHooks& hooks = RunHooks());

// Checks the output named `name` of a run over the data files (it may be
// replaced: standard output, a data file (refused as it is read), new, or
// this program's output unless --force) and prepares it; kExitSuccess, or
// the exit code after the failure's message on `err`.
int PrepareRunOutput(OutputFile& file, const std::string& name,
                     const std::vector<std::string>& dataNames, std::ostream& standard,
                     std::ostream& err, const RunOptions& options, bool binary);

// Reads every data file in order into `sets` (one that fails as a set that
// says why, `anyFailed` then true), its warnings on `err`. The place among
// `outputs` of one that is a data file, which ends the run before anything
// is written; outputs.size() when none is.
std::size_t ReadEveryFile(const std::vector<std::string>& dataNames, std::FILE* in,
                          std::ostream& err, const RunOptions& options,
                          const std::vector<std::string>& outputs, const RunHooks& hooks,
                          ResultSets& sets, bool& anyFailed);

// The dialogue's report in a machine format: the header row and the row of
// the data file that `reader` has open.
Outcome WriteMachineReport(myLib::RdTxtLn& reader, const std::string& dataName,
                           std::ostream& report, const RunOptions& options, const RunHooks& hooks);

}  // namespace descstat

#endif  // DESCSTAT_MACHINERUN_H
