// One statistics run: the two passes over the data file, the report and the
// exit code, driven either by the console dialogue or by named files.
//
// A run counts the value lines between the first two marker lines (lines
// starting with "/"), reads them again into an array of exactly that size,
// lists them in the report and ends it with the result block. Every failure
// gets a message and exit code 9; the data file is only ever read.
#ifndef DESCSTAT_DRIVER_H
#define DESCSTAT_DRIVER_H

#include <cstdint>
#include <istream>
#include <limits>
#include <ostream>
#include <string>

#include "app/Console.h"
#include "app/Japanese.h"
#include "mylib/RdTxtLn.h"

namespace descstat {

// Process exit codes.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 9;

// The message for an answer or name too large to be held in memory.
constexpr const char* kNoMemoryMessage = "To allocate memory failed.";

// How a step of the data file passes ended.
enum class PassResult {
    kOk,            // the step found what it looked for
    kNoMarker,      // end of file before the opening marker line
    kLineTooLong,   // a line longer than the reader can deliver
    kTooManyLines,  // the data section has more lines than the count can hold
    kChanged,       // the file no longer holds the lines that were counted
    kReadError,     // reading the file failed before its end
};

// What the command line may change in a run; the defaults are the dialogue's.
struct RunOptions {
    Encoding encoding = Encoding::kShiftJis;       // the report's Japanese text
    int digits = 6;                                // significant digits of each number
    bool summary = false;                          // the summary block after the results
    ConsoleText console = ConsoleText::kShiftJis;  // the closing lines on the console
};

// Seams for tests and fuzzing: they let a caller change the data file between
// the passes and lower the largest count. A normal run uses the defaults.
struct RunHooks {
    void (*betweenPasses)(void* context) = nullptr;
    void* context = nullptr;
    std::int32_t maxCount = std::numeric_limits<std::int32_t>::max();
};

// Counting pass: skips the header and the opening marker line, then counts the
// lines of the data section up to the closing marker line or the end of file;
// `closedByMarker` tells which ended it, so that the reading pass can check
// that it meets the same end. A count beyond maxCount stops the pass with
// kTooManyLines.
PassResult CountValueLines(myLib::RdTxtLn& reader, std::string& line, std::int32_t maxCount,
                           std::int32_t& count, bool& closedByMarker);

// The dialogue: performs one whole run on the given console streams and
// returns the exit code. `in` gives the answers, `con` gets the prompts and
// messages.
int Run(std::istream& in, std::ostream& con, const RunHooks& hooks = RunHooks(),
        const RunOptions& options = RunOptions());

// A run without questions: reads the data file `dataName` ("-": the bytes of
// `in`, through a temporary copy) and writes the report to `reportName` ("-":
// `out`). Nothing else goes to `out`; a failure is one line on `err`
// ("descstat: " and the dialogue's message). Returns the exit code.
int RunWithNames(const std::string& dataName, const std::string& reportName, std::istream& in,
                 std::ostream& out, std::ostream& err, const RunOptions& options = RunOptions(),
                 const RunHooks& hooks = RunHooks());

}  // namespace descstat

#endif  // DESCSTAT_DRIVER_H
