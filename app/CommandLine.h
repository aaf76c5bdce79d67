// The command line: `descstat [OPTION]... [DATA [REPORT]]`, GNU style.
//
// Options may stand before or after the operands; "--" ends them; a long
// option may be shortened to any unique prefix and takes its value after "="
// or as the next argument; short options may be bundled ("-sd8"). Parsing
// never fails silently: anything unusable becomes a message naming it. The
// same table of options gives --help its list of them.
#ifndef DESCSTAT_COMMANDLINE_H
#define DESCSTAT_COMMANDLINE_H

#include <string>
#include <vector>

#include "app/Options.h"

namespace descstat {

// What the command line asks for.
struct CommandLine {
    RunOptions options;                 // encoding, digits, summary
    std::vector<std::string> operands;  // none: the dialogue; DATA, and perhaps REPORT (a
                                        // machine format: every data file)
    bool help = false;
    bool version = false;
    std::string error;  // a usage error, without the program name; empty when none
};

// Reads the arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The option list of --help, an entry per option with its description lines,
// laid out from the table the parser reads: the help names exactly the
// options there are, in the order the table gives them.
std::string OptionsHelp();

}  // namespace descstat

#endif  // DESCSTAT_COMMANDLINE_H
