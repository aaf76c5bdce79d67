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

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "app/DataFile.h"
#include "app/Options.h"

namespace descstat {

// One run over the data files; `in` is read as "-", and `out` and `err`
// stand for the standard streams (`out` writing to the C stream stdout).
int RunMachine(const std::vector<std::string>& dataNames, std::FILE* in, std::ostream& out,
               std::ostream& err, const RunOptions& options, const RunHooks& hooks = RunHooks());

// The dialogue's report in a machine format: the header row and the row of
// the data file that `reader` has open.
Outcome WriteMachineReport(myLib::RdTxtLn& reader, const std::string& dataName,
                           std::ostream& report, const RunOptions& options, const RunHooks& hooks);

}  // namespace descstat

#endif  // DESCSTAT_MACHINERUN_H
