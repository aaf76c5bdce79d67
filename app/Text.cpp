#include "app/Text.h"

#include <cctype>

#include "app/Platform.h"

namespace descstat {

namespace {

bool ConvertsEveryText(const std::string& charset) {
    std::string converted;
    for (const JapaneseText* text : kJapaneseTexts) {
        if (!platform::ConvertFromUtf8(text->utf8, charset, converted)) return false;
    }
    return true;
}

}  // namespace

TextStyle FileStyle(Encoding encoding, Language language) {
    if (language == Language::kEnglish) return {TextForm::kEnglish, {}};
    return {encoding == Encoding::kUtf8 ? TextForm::kUtf8 : TextForm::kShiftJis, {}};
}

TextStyle CharsetStyle(const std::string& charset, Language language) {
    if (language == Language::kEnglish) return {TextForm::kEnglish, {}};
    if (charset.empty() || IsUtf8Charset(charset)) return {TextForm::kUtf8, {}};
    if (ConvertsEveryText(charset)) return {TextForm::kConverted, charset};
    return {TextForm::kEnglish, {}};
}

void WriteText(std::ostream& out, const TextStyle& style, const JapaneseText& text) {
    switch (style.form) {
        case TextForm::kShiftJis: out << text.shiftJis; return;
        case TextForm::kUtf8: out << text.utf8; return;
        case TextForm::kEnglish: out << text.english; return;
        case TextForm::kConverted: {
            std::string converted;
            // Every text was converted once already, when the style was chosen.
            out << (platform::ConvertFromUtf8(text.utf8, style.charset, converted)
                        ? converted.c_str()
                        : text.english);
            return;
        }
        case TextForm::kWide: break;
    }
    // What the stream holds must reach the console before the wide text does.
    out.flush();
    if (!platform::WriteWideConsole(platform::ShiftJisToUtf16(text.shiftJis))) {
        out.setstate(std::ios_base::badbit);
    }
}

void WriteTextLine(std::ostream& out, const TextStyle& style, const JapaneseText& text) {
    WriteText(out, style, text);
    out << std::endl;
}

namespace {

// The code point of the UTF-8 sequence of `n` bytes at s[i].
unsigned long CodePoint(const std::string& s, std::size_t i, std::size_t n) {
    static const unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    unsigned long c = static_cast<unsigned char>(s[i]) & kLeadMask[n];
    for (std::size_t k = 1; k < n; ++k)
        c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    return c;
}

bool IsWide(unsigned long c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) ||
           (c >= 0x1F300 && c <= 0x1F64F) || (c >= 0x1F900 && c <= 0x1F9FF) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

bool IsValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Utf8Length(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::size_t DisplayWidth(const std::string& utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = Utf8Length(utf8, i);
        if (n == 0) {
            ++width;
            ++i;
            continue;
        }
        width += n > 1 && IsWide(CodePoint(utf8, i, n)) ? 2 : 1;
        i += n;
    }
    return width;
}

std::size_t Utf8Length(const std::string& s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    unsigned least = 0;
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        least = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    unsigned code = b & (0xFFu >> (n + 1));
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        code = (code << 6) | (c & 0x3Fu);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code >= least && code <= 0x10FFFF && !surrogate ? n : 0;
}

std::string CharsetKey(const std::string& charset) {
    std::string key;
    for (const char c : charset) {
        if (c != '-' && c != '_')
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return key;
}

bool IsUtf8Charset(const std::string& charset) { return CharsetKey(charset) == "UTF8"; }

}  // namespace descstat
