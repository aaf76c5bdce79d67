#include "app/Text.h"

#include <cctype>

#include "app/Platform.h"

namespace descstat {

namespace {

// "UTF-8", "utf8" and the like: the name in upper case without '-' or '_'.
bool IsUtf8Name(const std::string& charset) {
    std::string name;
    for (const char c : charset) {
        if (c != '-' && c != '_')
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name == "UTF8";
}

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
    if (charset.empty() || IsUtf8Name(charset)) return {TextForm::kUtf8, {}};
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

}  // namespace descstat
