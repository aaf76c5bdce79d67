#include "app/Console.h"

#include <algorithm>
#include <cctype>

#include "app/Platform.h"

namespace descstat {

namespace {

// The names a system gives Shift_JIS ("SHIFT_JIS", "SJIS", "CP932", ...).
bool IsShiftJisName(const std::string& charset) {
    const std::string name = CharsetKey(charset);
    return name == "SHIFTJIS" || name == "SJIS" || name == "CP932" || name == "WINDOWS31J" ||
           name == "MSKANJI";
}

}  // namespace

TextStyle ScreenStyleOf(bool wideConsole, const std::string& charset, Language language) {
    if (wideConsole && language == Language::kJapanese) return {TextForm::kWide, {}};
    return CharsetStyle(wideConsole ? "UTF-8" : charset, language);
}

std::optional<TextStyle> ScreenStyle(Language language) {
    const bool wide = platform::StandardOutputIsWideConsole();
    if (!wide && !platform::StandardOutputIsTerminal()) return std::nullopt;
    return ScreenStyleOf(wide, wide ? std::string() : platform::UserCharset(), language);
}

TextStyle PipeStyle(const std::string& charset, Language language) {
    if (charset.empty() || IsShiftJisName(charset)) {
        return FileStyle(Encoding::kShiftJis, language);
    }
    return CharsetStyle(charset, language);
}

TextStyle ConsoleStyle(const std::optional<TextStyle>& screen, Language language) {
    return screen.value_or(FileStyle(Encoding::kShiftJis, language));
}

void WriteClosingLines(std::ostream& con, const TextStyle& style) {
    con << std::endl;
    WriteTextLine(con, style, kFinished);
    WriteTextLine(con, style, kFinishedKeyRequest);
}

bool ConsoleIsOwn(const std::vector<unsigned long>& processes, unsigned long self) {
    return !processes.empty() && std::all_of(processes.begin(), processes.end(),
                                             [self](unsigned long p) { return p == self; });
}

}  // namespace descstat
