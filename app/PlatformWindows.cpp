// The platform layer on Windows (MinGW-w64 builds).
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "app/Platform.h"

namespace descstat {
namespace platform {

namespace {

constexpr unsigned kShiftJisCodePage = 932;

}  // namespace

// A Windows console is told apart from a pipe or a file by its mode; it is
// written through the wide-character interface instead (below).
bool StandardOutputIsTerminal() { return false; }

bool UserCharsetIsUtf8() { return false; }

bool StandardOutputIsWideConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

bool WriteWideConsole(const std::u16string& text) {
    DWORD written = 0;
    const std::wstring wide(text.begin(), text.end());
    return WriteConsoleW(GetStdHandle(STD_OUTPUT_HANDLE), wide.data(),
                         static_cast<DWORD>(wide.size()), &written, nullptr) != 0 &&
           written == wide.size();
}

std::u16string ShiftJisToUtf16(const char* bytes) {
    const int size = static_cast<int>(std::strlen(bytes));
    const int wide =
        MultiByteToWideChar(kShiftJisCodePage, MB_ERR_INVALID_CHARS, bytes, size, nullptr, 0);
    if (wide <= 0) return {};
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(kShiftJisCodePage, MB_ERR_INVALID_CHARS, bytes, size, text.data(), wide);
    return std::u16string(text.begin(), text.end());
}

void HoldStandardDescriptors() {}

void UseBinaryStandardInput() { (void)_setmode(_fileno(stdin), _O_BINARY); }

// A Windows program has no name for its standard output to compare.
bool StandardOutputIsOpenFile(const myLib::RdTxtLn& /*reader*/) { return false; }

std::FILE* CreateTemporaryFile(std::string& name) {
    char folder[MAX_PATH + 1];
    char path[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH || GetTempFileNameA(folder, "dst", 0, path) == 0) {
        errno = EACCES;
        return nullptr;
    }
    name = path;
    return std::fopen(path, "wb");
}

int ProcessId() { return _getpid(); }

}  // namespace platform
}  // namespace descstat
