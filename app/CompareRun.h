// The compare run (`descstat -c DATA...`): every operand is a data file, and
// the result sets they give (the files, a table's fields, its groups) are
// read as the machine run reads them. The first set with results is the
// baseline and each later one is compared with it (Comparison.h). The
// report, or with -F the rows (CompareReport.h), goes to standard output or
// to --output; the chart to --plot; they are committed together once every
// file is read, and an output that is a data file ends the run with nothing
// written. A file that fails gets its message on standard error and the
// others are still compared. The exit code is 9 when a file failed, a
// paired sample could not be paired or fewer than two samples have results;
// 0 otherwise.
#ifndef DESCSTAT_COMPARERUN_H
#define DESCSTAT_COMPARERUN_H

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "app/CompareReport.h"
#include "app/DataFile.h"
#include "app/Options.h"
#include "app/ResultSet.h"

namespace descstat {

// One compare run over the data files; `in` is read as "-", and `out` and
// `err` stand for the standard streams.
int RunCompare(const std::vector<std::string>& dataNames, std::FILE* in, std::ostream& out,
               std::ostream& err, const RunOptions& options, const RunHooks& hooks = RunHooks());

// Compares every set that has results with the first such set, by the
// options' method and level. `compared.samples` is empty when fewer than two
// sets have results.
Compared CompareSets(const ResultSets& sets, const RunOptions& options);

}  // namespace descstat

#endif  // DESCSTAT_COMPARERUN_H
