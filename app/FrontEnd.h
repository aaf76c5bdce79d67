// What the front ends share (the dialogue, the argument run, the machine
// formats): the data named on the command line opened, an output checked
// against the data and prepared, the end of a failed run on standard error,
// and the last check that the console got everything written to it. Each
// front end only adds how it asks for names and how it shows a failure.
#ifndef DESCSTAT_FRONTEND_H
#define DESCSTAT_FRONTEND_H

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>

#include "app/Messages.h"
#include "app/Outputs.h"
#include "mylib/RdTxtLn.h"

namespace descstat {

// The data as the reader sees it: the stream `in` for "-", else the named
// file. The reader's status tells whether it opened (errno the reason).
std::unique_ptr<myLib::RdTxtLn> OpenData(const std::string& name, std::FILE* in);

// One output checked against the data `reader` has open (CheckOutput) and
// prepared to be written (OutputFile::Prepare); its failure otherwise.
Outcome PrepareOutput(const myLib::RdTxtLn& reader, const std::string& name, Replaces replaces,
                      bool force, std::ostream& out, bool binary, OutputFile& file);

// The end of a failed run on the command line: one line on standard error,
// and after a refusal to replace a file that holds no report (or no output
// of the program, as `replaces` says), a second one on what to do.
int FailOnStandardError(std::ostream& err, const Outcome& outcome, const std::string& name,
                        Replaces replaces = Replaces::kReport);

// The exit code after a run that wrote to the console `out`: `code`, unless
// something written did not arrive, which is a failure told on `err`.
int ConsoleChecked(std::ostream& out, std::ostream& err, int code);

}  // namespace descstat

#endif  // DESCSTAT_FRONTEND_H
