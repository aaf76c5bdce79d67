// A progress line on standard error while a long read goes on, for a person
// watching a terminal: after about a second of reading, one line that says
// how far the read has got (the share of the file's bytes where its size is
// known, the values read so far otherwise), rewritten in place at most ten
// times a second and erased before anything else is written to standard
// error and when the read ends. It is written only where standard error is
// a terminal, and never by the dialogue, whose screen is a conversation.
#ifndef DESCSTAT_PROGRESS_H
#define DESCSTAT_PROGRESS_H

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ostream>

#include "app/DataFile.h"

namespace descstat {

class Progress {
public:
    // A progress line on `err`, shown only when `enabled` (standard error is
    // a terminal); the second of reading is counted from now.
    Progress(std::ostream& err, bool enabled);

    // The hooks of a run that reports to this line (none when not enabled),
    // keeping the other hooks given.
    RunHooks Hooks(RunHooks hooks);

    // Takes the read's position; writes the line when it is due.
    void Update(const ReadPosition& at);

    // Erases the line if it is shown, so that the next text starts a clean
    // line; a later update shows it again.
    void Erase();

private:
    using Clock = std::chrono::steady_clock;
    std::ostream& err_;
    bool enabled_;
    Clock::time_point start_;
    Clock::time_point last_;
    std::size_t shown_ = 0;  // the length of the line on the screen, 0 for none
};

// The text of the progress line for a read's position: "counting lines" or
// "reading values", with the share of the bytes and the size where the size
// is known, else the values read so far.
std::string ProgressText(const ReadPosition& at);

}  // namespace descstat

#endif  // DESCSTAT_PROGRESS_H
