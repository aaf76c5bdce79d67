// The dialogue: the program started with no data file named. It asks for the
// data file and the report file on the console, writes the report, shows the
// closing lines and waits for a key; a failure is a message, then (but after
// a failed reopen) the key request and its wait. Its console and report
// bytes are the program's own and never change.
#ifndef DESCSTAT_DIALOGUE_H
#define DESCSTAT_DIALOGUE_H

#include <istream>
#include <ostream>

#include "app/DataFile.h"
#include "app/Options.h"

namespace descstat {

// One whole dialogue on the given console streams: `in` gives the answers,
// `con` gets the prompts and messages. Returns the exit code.
int RunDialogue(std::istream& in, std::ostream& con, const RunOptions& options = RunOptions(),
                const RunHooks& hooks = RunHooks());

}  // namespace descstat

#endif  // DESCSTAT_DIALOGUE_H
