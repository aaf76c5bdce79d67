#include "app/Console.h"

#include <clocale>
#include <cstring>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <langinfo.h>
#include <unistd.h>
#endif

namespace descstat {

namespace {

constexpr unsigned kShiftJisCodePage = 932;

#ifndef _WIN32
// True when the user's locale (LC_ALL, LC_CTYPE, LANG) uses UTF-8. The
// program's own locale is put back, so that nothing else depends on the
// user's environment.
bool LocaleIsUtf8() {
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = current != nullptr ? current : "C";
    bool utf8 = false;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        const char* codeset = nl_langinfo(CODESET);
        utf8 = codeset != nullptr &&
               (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
    }
    (void)std::setlocale(LC_CTYPE, saved.c_str());
    return utf8;
}
#endif

}  // namespace

ConsoleText DetectConsoleText() {
#ifdef _WIN32
    DWORD mode = 0;
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    return GetConsoleMode(out, &mode) != 0 ? ConsoleText::kWide : ConsoleText::kShiftJis;
#else
    return isatty(STDOUT_FILENO) == 1 && LocaleIsUtf8() ? ConsoleText::kUtf8
                                                        : ConsoleText::kShiftJis;
#endif
}

std::u16string ShiftJisToUtf16(const char* bytes) {
#ifdef _WIN32
    const int size = static_cast<int>(std::strlen(bytes));
    const int wide =
        MultiByteToWideChar(kShiftJisCodePage, MB_ERR_INVALID_CHARS, bytes, size, nullptr, 0);
    if (wide <= 0) return {};
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(kShiftJisCodePage, MB_ERR_INVALID_CHARS, bytes, size, text.data(), wide);
    return std::u16string(text.begin(), text.end());
#else
    (void)bytes;
    (void)kShiftJisCodePage;
    return {};  // only a Windows console is given UTF-16
#endif
}

void WriteJapaneseLine(std::ostream& con, ConsoleText how, const JapaneseText& text) {
    switch (how) {
        case ConsoleText::kShiftJis: con << text.shiftJis << std::endl; return;
        case ConsoleText::kUtf8: con << text.utf8 << std::endl; return;
        case ConsoleText::kWide: break;
    }
#ifdef _WIN32
    con.flush();
    const std::u16string wide = ShiftJisToUtf16(text.shiftJis);
    DWORD written = 0;
    if (WriteConsoleW(GetStdHandle(STD_OUTPUT_HANDLE), wide.data(), static_cast<DWORD>(wide.size()),
                      &written, nullptr) == 0 ||
        written != wide.size()) {
        con.setstate(std::ios_base::badbit);
    }
#endif
    con << std::endl;
}

void HoldStandardDescriptors() {
#ifndef _WIN32
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1) {
            // open takes the lowest free number, which is this one.
            const int held =
                open("/dev/null", O_RDONLY);  // NOLINT(cppcoreguidelines-pro-type-vararg)
            if (held > 2) (void)close(held);
        }
    }
#endif
}

}  // namespace descstat
