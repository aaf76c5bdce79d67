#include "app/TempCopy.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>  // mkstemp
#include <unistd.h>
#endif

namespace descstat {

namespace {

constexpr std::size_t kChunk = 1 << 16;

// Creates a new, empty file of a name no other file has, open for writing.
std::FILE* CreateUnique(std::string& name) {
#ifdef _WIN32
    char folder[MAX_PATH + 1];
    char path[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH || GetTempFileNameA(folder, "dst", 0, path) == 0) {
        errno = EACCES;
        return nullptr;
    }
    name = path;
    return std::fopen(path, "wb");
#else
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    std::string pattern = (ec ? std::filesystem::path("/tmp") : folder) / "descstat-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd == -1) return nullptr;
    name = pattern;
    std::FILE* f = fdopen(fd, "wb");
    if (f == nullptr) (void)close(fd);
    return f;
#endif
}

}  // namespace

TempCopy::~TempCopy() {
    if (!name_.empty()) (void)std::remove(name_.c_str());
}

int TempCopy::Fill(std::istream& in) {
    readFailed_ = false;
    std::FILE* f = CreateUnique(name_);
    if (f == nullptr) return errno != 0 ? errno : EIO;
    std::vector<char> buffer(kChunk);
    int reason = 0;
    while (reason == 0) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        if (std::fwrite(buffer.data(), 1, got, f) != got) reason = errno != 0 ? errno : EIO;
    }
    if (reason == 0 && (in.bad() || (&in == &std::cin && std::ferror(stdin) != 0))) {
        readFailed_ = true;
        reason = errno != 0 ? errno : EIO;
    }
    if (std::fclose(f) != 0 && reason == 0) reason = errno != 0 ? errno : EIO;
    return reason;
}

}  // namespace descstat
