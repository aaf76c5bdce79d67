// Every English text the console shows, in one place: the prompts, the
// program's prefix on standard error, the key request, the failures of a run
// with their messages, and the help and version texts. The Japanese closing
// lines are in Japanese.h with the report's labels, since both are written in
// either encoding. These bytes are the program's own and never change.
#ifndef DESCSTAT_MESSAGES_H
#define DESCSTAT_MESSAGES_H

#include <string>
#include <utility>
#include <vector>

namespace descstat {

// Process exit codes: a complete run, any failure of a run, a command line
// that cannot be used.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 9;
constexpr int kExitUsage = 2;

// The dialogue's first prompt, which is also how the report's first line
// names the data file.
constexpr const char* kDataFileLabel = "Input data file = ";
constexpr const char* kReportPrompt = "Output file = ";
// Asked for after every failure of the dialogue but a failed reopen.
constexpr const char* kKeyRequest = "Press down any character key, then press Enter key.";
// Before every line the argument run writes to standard error.
constexpr const char* kProgramPrefix = "descstat: ";
// An answer or name too large to be held in memory.
constexpr const char* kNoMemoryMessage = "To allocate memory failed.";
// Console text that did not arrive, reported on standard error.
constexpr const char* kConsoleFailed = "To write to the console failed.";
// After a usage error.
constexpr const char* kTryHelp = "Try 'descstat --help' for more information.";

// Every way a run can fail once its names are known; each has one message.
enum class Failure {
    kNone,
    kOpenInput,
    kOutputIsInput,
    kOpenOutput,
    kNoMarker,
    kNoField,
    kLongLine,
    kReadError,
    kChanged,
    kTooManyLines,
    kNoMemory,
    kReopenInput,
    kWriteOutput,
    kNotReport,
    kOutputIsChart,
    kOpenQuote,
    kNoNumbers,
};

// How a step of a run ended: a failure, and where the system said why a file
// could not be opened, its error number, taken right at that open (0 where
// there is none); for a field the header does not name, what was looked for
// and what was found.
struct Outcome {
    Outcome() = default;
    // Not explicit, so that a step can end with `return {failure, reason};`.
    // cppcheck-suppress noExplicitConstructor
    Outcome(Failure f, int r = 0, std::string d = {})  // NOLINT(google-explicit-constructor)
        : failure(f), reason(r), detail(std::move(d)) {}
    Failure failure = Failure::kNone;
    int reason = 0;
    std::string detail;
};

// The message of a failure, ending in a full stop; empty for kNone.
const char* Message(Failure f);

// The message of a failure, followed in place of its full stop by `detail`
// when there is one.
std::string MessageWith(Failure f, const std::string& detail);

// The message of a failure of a run over the file named `typed` (shown
// safely, as Shown.h says), followed (in place of its full stop) by what
// there is more to say: the system's reason for a file that could not be
// opened, what was looked for and found, or what to do about a file without
// a marker line.
std::string FailureText(const Outcome& outcome, const std::string& typed);

// "a, b and c": the items of a list in a message's sentence.
std::string JoinedList(const std::vector<std::string>& items);

// What to say of a data file `name` that is a folder, which holds no data:
// "NAME is a folder." ("standard input" for "-").
std::string FolderDetail(const std::string& name);

// The text of --help.
const char* UsageText();

// The program's name and version, as --version shows them.
const char* VersionText();

}  // namespace descstat

#endif  // DESCSTAT_MESSAGES_H
