// The settings of a run that the command line may change, shared by the
// command line's parser and the run. The defaults are the dialogue's own: a
// run given no options writes exactly what the program always has.
#ifndef DESCSTAT_OPTIONS_H
#define DESCSTAT_OPTIONS_H

#include "app/Console.h"
#include "app/Japanese.h"

namespace descstat {

// The significant digits every number of the report may be written with.
constexpr int kMinDigits = 1;
constexpr int kMaxDigits = 17;
constexpr int kDefaultDigits = 6;

// A name the report's encoding may be asked for by (in any case). The parser
// accepts exactly these, and its error message lists them from here.
struct EncodingName {
    const char* name;
    Encoding encoding;
};

constexpr EncodingName kEncodingNames[] = {
    {"shift_jis", Encoding::kShiftJis}, {"sjis", Encoding::kShiftJis},
    {"cp932", Encoding::kShiftJis},     {"utf-8", Encoding::kUtf8},
    {"utf8", Encoding::kUtf8},
};

// What a run is asked to do beyond the dialogue's defaults.
struct RunOptions {
    Encoding encoding = Encoding::kShiftJis;       // the report's Japanese text
    int digits = kDefaultDigits;                   // significant digits of each number
    bool summary = false;                          // the summary block after the results
    ConsoleText console = ConsoleText::kShiftJis;  // the closing lines on the console
};

}  // namespace descstat

#endif  // DESCSTAT_OPTIONS_H
