#include "app/Shown.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "app/Platform.h"
#include "app/Text.h"

namespace descstat {

namespace {

// Each of the n bytes from s[from] as a backslash, 'x' and two hex digits.
void AppendEscaped(std::string& out, const std::string& s, std::size_t from, std::size_t n) {
    char escape[8];
    for (std::size_t k = from; k < from + n; ++k) {
        (void)std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(s[k]));
        out += escape;
    }
}

// A C0 control, DEL, or a C1 control (U+0080 to U+009F, two UTF-8 bytes).
bool IsControl(const std::string& s, std::size_t i, std::size_t n) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (n == 1) return b < 0x20 || b == 0x7F;
    return n == 2 && b == 0xC2 && static_cast<unsigned char>(s[i + 1]) < 0xA0;
}

// UTF-8 text with its controls and the bytes that are no UTF-8 escaped: what
// remains is valid UTF-8 without controls.
std::string EscapedUtf8(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = std::max<std::size_t>(Utf8Length(s, i), 1);
        if (Utf8Length(s, i) == 0 || IsControl(s, i, n)) {
            AppendEscaped(out, s, i, n);
        } else {
            out.append(s, i, n);
        }
        i += n;
    }
    return out;
}

// The bytes as they are, but for the C0 controls and DEL.
std::string EscapedControls(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x20 || b == 0x7F) {
            AppendEscaped(out, s, i, 1);
        } else {
            out += s[i];
        }
    }
    return out;
}

// Escaped UTF-8 (no controls, ASCII escapes) in another character set: whole
// where the system converts it all, otherwise a character at a time, each
// that has no place in the set escaped.
std::string InCharset(const std::string& utf8, const std::string& charset) {
    std::string converted;
    if (platform::ConvertFromUtf8(utf8.c_str(), charset, converted)) return converted;
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = std::max<std::size_t>(Utf8Length(utf8, i), 1);
        const std::string character = utf8.substr(i, n);
        if (n == 1 && static_cast<unsigned char>(utf8[i]) < 0x80) {
            out += character;
        } else if (platform::ConvertFromUtf8(character.c_str(), charset, converted)) {
            out += converted;
        } else {
            AppendEscaped(out, utf8, i, n);
        }
        i += n;
    }
    return out;
}

}  // namespace

std::string ShownIn(const std::string& text, const std::string& charset) {
    if (charset.empty()) return EscapedControls(text);
    std::string utf8;
    if (IsValidUtf8(text) || !platform::ConvertFromShiftJis(text, "UTF-8", utf8)) utf8 = text;
    const std::string escaped = EscapedUtf8(utf8);
    return IsUtf8Charset(charset) ? escaped : InCharset(escaped, charset);
}

std::string Shown(const std::string& text) {
    static const std::string charset = platform::MessageCharset();
    return ShownIn(text, charset);
}

}  // namespace descstat
