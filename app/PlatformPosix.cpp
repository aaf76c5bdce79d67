// The platform layer on POSIX systems (Linux and the like).
#include <fcntl.h>
#include <langinfo.h>
#include <stdlib.h>  // mkstemp
#include <unistd.h>

#include <clocale>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/Platform.h"

namespace descstat {
namespace platform {

bool StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

bool UserCharsetIsUtf8() {
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

bool StandardOutputIsWideConsole() { return false; }

bool WriteWideConsole(const std::u16string& /*text*/) { return false; }

std::u16string ShiftJisToUtf16(const char* /*bytes*/) { return {}; }

void HoldStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1) {
            // open takes the lowest free number, which is this one.
            const int held =
                open("/dev/null", O_RDONLY);  // NOLINT(cppcoreguidelines-pro-type-vararg)
            if (held > 2) (void)close(held);
        }
    }
}

void UseBinaryStandardInput() {}  // POSIX reads every byte as it is

bool StandardOutputIsOpenFile(const myLib::RdTxtLn& reader) {
    return reader.IsOpenFl("/dev/stdout");
}

std::FILE* CreateTemporaryFile(std::string& name) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    std::string pattern = (ec ? std::filesystem::path("/tmp") : folder) / "descstat-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd == -1) return nullptr;
    name = pattern;
    std::FILE* f = fdopen(fd, "wb");
    if (f == nullptr) (void)close(fd);
    return f;
}

int ProcessId() { return static_cast<int>(getpid()); }

}  // namespace platform
}  // namespace descstat
