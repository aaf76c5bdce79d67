#include "app/Console.h"

#include <algorithm>

#include "app/Platform.h"

namespace descstat {

std::optional<TextStyle> ScreenStyle(Language language) {
    if (platform::StandardOutputIsWideConsole()) {
        if (language == Language::kEnglish) return TextStyle{TextForm::kEnglish, {}};
        return TextStyle{TextForm::kWide, {}};
    }
    if (!platform::StandardOutputIsTerminal()) return std::nullopt;
    return CharsetStyle(platform::UserCharset(), language);
}

TextStyle ConsoleStyle(Language language) {
    return ScreenStyle(language).value_or(FileStyle(Encoding::kShiftJis, language));
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
