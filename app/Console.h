// What standard output is, how the program's texts reach it, and how a run
// ends on a console window of its own.
//
// A screen gets what it can show: a POSIX terminal in its locale's character
// set (UTF-8 for the C and POSIX locales too), a Windows console through its
// wide-character interface whatever its code page, and English where Japanese
// cannot be shown. The argument run's report piped or redirected gets the
// character set the locale names, as other tools write to a pipe, and the
// program's own Shift_JIS bytes where it names none. What standard output is
// connected to is asked of the platform layer.
#ifndef DESCSTAT_CONSOLE_H
#define DESCSTAT_CONSOLE_H

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Text.h"

namespace descstat {

// The style standard output needs when it is a screen (a terminal or a
// Windows console); nothing when it is a pipe, a file or a device. Leaves the
// program's locale as it was.
std::optional<TextStyle> ScreenStyle(Language language);

// The style of a screen: a Windows console (`wideConsole`) gets wide
// characters, a terminal what its locale's character set shows (CharsetStyle);
// either gets English when asked for.
TextStyle ScreenStyleOf(bool wideConsole, const std::string& charset, Language language);

// The style of the argument run's report on standard output that is a pipe
// or a file, for a locale with this character set (platform::PipeCharset):
// the program's Shift_JIS bytes for none or for Shift_JIS itself, else as a
// terminal in that set would get it (UTF-8, converted, or English).
TextStyle PipeStyle(const std::string& charset, Language language);

// The style of the closing lines: the screen's (`screen`, as ScreenStyle
// gave it), or else the program's Shift_JIS bytes (English when asked for).
TextStyle ConsoleStyle(const std::optional<TextStyle>& screen, Language language);

// The dialogue's closing lines after a complete run: an empty line, then
// "finished" and the key request.
void WriteClosingLines(std::ostream& con, const TextStyle& style);

// True when the console is a window of this process's own: its process list
// (`processes`, empty without a console) holds no process but this one
// (`self`). Windows opens such a window for a program started from Explorer
// (a file dropped on it, "Open with"), and closes it as the program ends; a
// run from a Command Prompt shares that prompt's console.
bool ConsoleIsOwn(const std::vector<unsigned long>& processes, unsigned long self);

}  // namespace descstat

#endif  // DESCSTAT_CONSOLE_H
