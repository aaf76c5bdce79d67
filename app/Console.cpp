#include "app/Console.h"

#include "app/Platform.h"

namespace descstat {

ConsoleText DetectConsoleText() {
    if (platform::StandardOutputIsWideConsole()) return ConsoleText::kWide;
    if (platform::StandardOutputIsTerminal() && platform::UserCharsetIsUtf8()) {
        return ConsoleText::kUtf8;
    }
    return ConsoleText::kShiftJis;
}

void WriteJapaneseLine(std::ostream& con, ConsoleText how, const JapaneseText& text) {
    switch (how) {
        case ConsoleText::kShiftJis: con << text.shiftJis << std::endl; return;
        case ConsoleText::kUtf8: con << text.utf8 << std::endl; return;
        case ConsoleText::kWide: break;
    }
    // What the stream holds must reach the console before the wide text does.
    con.flush();
    if (!platform::WriteWideConsole(platform::ShiftJisToUtf16(text.shiftJis))) {
        con.setstate(std::ios_base::badbit);
    }
    con << std::endl;
}

}  // namespace descstat
