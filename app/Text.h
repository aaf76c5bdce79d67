// How the program's own texts (the report's labels, the closing lines) are
// written to one stream. A file or a pipe gets the program's Shift_JIS or
// UTF-8 bytes; a screen gets what it can show: UTF-8, its own character set
// (converted by the system), the Windows console's wide characters, or
// English. Each stream's way is decided once, before anything is written, and
// every text of the run is written that way; numbers and names are written
// as they are.
#ifndef DESCSTAT_TEXT_H
#define DESCSTAT_TEXT_H

#include <cstddef>
#include <ostream>
#include <string>

#include "app/Japanese.h"

namespace descstat {

// The form a stream gets the program's texts in.
enum class TextForm {
    kShiftJis,   // the program's Shift_JIS bytes
    kUtf8,       // the program's UTF-8 bytes
    kConverted,  // Japanese in another character set, converted by the system
    kWide,       // Japanese through the Windows console's wide-character interface
    kEnglish,    // the English texts, in ASCII
};

// How one stream is written: the form, and for kConverted the character set.
struct TextStyle {
    TextForm form = TextForm::kShiftJis;
    std::string charset;
};

// The style of a report file or a pipe: the encoding asked for (Shift_JIS
// unless told otherwise), or English.
TextStyle FileStyle(Encoding encoding, Language language);

// The style of a terminal whose locale has this character set: UTF-8 for a
// UTF-8 character set, and also for none (the C or POSIX locale says nothing
// about the terminal, and terminals today are UTF-8); another character set
// when the system converts every Japanese text into it; English otherwise, or
// when asked for.
TextStyle CharsetStyle(const std::string& charset, Language language);

// Writes one text in the stream's style, without a line end. A text that does
// not reach the screen marks the stream bad, as a failed write does.
void WriteText(std::ostream& out, const TextStyle& style, const JapaneseText& text);

// The same, then a line end.
void WriteTextLine(std::ostream& out, const TextStyle& style, const JapaneseText& text);

// The length of the valid UTF-8 sequence at s[i], or 0 when the byte there
// begins none (a stray, overlong or surrogate sequence): for the formats
// that must carry only UTF-8 (JSON, the SVG chart).
std::size_t Utf8Length(const std::string& s, std::size_t i);

// True when every byte of s belongs to a valid UTF-8 sequence.
bool IsValidUtf8(const std::string& s);
// The columns a terminal gives UTF-8 text: two for a wide character (CJK,
// Hangul, full-width forms, most emoji), one for any other, and one for each
// byte that is no UTF-8; for the report's tables.
std::size_t DisplayWidth(const std::string& utf8);
// A character set's name in upper case without '-' or '_', so that the
// spellings systems give one set ("UTF-8", "utf8", "Shift_JIS") compare equal.
std::string CharsetKey(const std::string& charset);

// True for the names of UTF-8.
bool IsUtf8Charset(const std::string& charset);

}  // namespace descstat

#endif  // DESCSTAT_TEXT_H
