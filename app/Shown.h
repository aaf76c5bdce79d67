// Text that comes from the data or from the user (a file name, a header's
// names, a field) made safe to show in a message: on a terminal a control
// byte could retitle the window, move the cursor or hide what came before.
// Every control character (C0, DEL, and C1 where the character set is UTF-8)
// and every byte the character set cannot show is written as a backslash,
// 'x' and its value in two lowercase hex digits (`\x1b`, `\xff`). A
// backslash itself stays as it is, so that a Windows path reads as typed; the
// escape is for reading, not to be decoded. Text that is not UTF-8 but is
// Shift_JIS (a name from a Japanese Windows file) is shown as the characters
// it holds where the character set has them.
#ifndef DESCSTAT_SHOWN_H
#define DESCSTAT_SHOWN_H

#include <string>

namespace descstat {

// The text as standard error shows it, in the character set of the user's
// locale (asked for once per run).
std::string Shown(const std::string& text);

// The text as a screen in `charset` shows it: "UTF-8" (any spelling) keeps
// valid UTF-8 and converts Shift_JIS into it; another character set gets what
// the system converts into it; empty keeps every byte but the C0 controls and
// DEL, for the Windows console and pipes, which show the bytes in the system's
// code page.
std::string ShownIn(const std::string& text, const std::string& charset);

}  // namespace descstat

#endif  // DESCSTAT_SHOWN_H
