// How the Japanese closing lines reach the console.
//
// Piped or redirected, the console gets the program's own Shift_JIS bytes. On
// a terminal the lines must read as Japanese: a POSIX terminal whose locale is
// UTF-8 gets them in UTF-8, and a Windows console gets them through its
// wide-character interface, whatever its code page. What standard output is
// connected to is asked of the platform layer.
#ifndef DESCSTAT_CONSOLE_H
#define DESCSTAT_CONSOLE_H

#include <ostream>

#include "app/Japanese.h"

namespace descstat {

// How Japanese text is written to the console.
enum class ConsoleText {
    kShiftJis,  // the bytes as they are: a pipe, a file, a Shift_JIS terminal
    kUtf8,      // a terminal whose locale's character set is UTF-8
    kWide,      // a Windows console, written in UTF-16
};

// How standard output wants Japanese text, from what it is connected to and
// the user's locale. Leaves the program's locale as it was.
ConsoleText DetectConsoleText();

// Writes one Japanese line and a line end to the console stream, which is
// standard output whenever `how` is not kShiftJis. A failed console write
// marks the stream bad, as any other failed write does.
void WriteJapaneseLine(std::ostream& con, ConsoleText how, const JapaneseText& text);

}  // namespace descstat

#endif  // DESCSTAT_CONSOLE_H
