#include "app/TempCopy.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <vector>

#include "app/Platform.h"

namespace descstat {

namespace {

constexpr std::size_t kChunk = 1 << 16;

// The system's reason for the call that just failed; EIO where it gave none.
int LastReason() { return errno != 0 ? errno : EIO; }

}  // namespace

TempCopy::~TempCopy() {
    if (!name_.empty()) (void)std::remove(name_.c_str());
}

int TempCopy::Fill(std::istream& in) {
    readFailed_ = false;
    std::FILE* f = platform::CreateTemporaryFile(name_);
    if (f == nullptr) return LastReason();
    std::vector<char> buffer(kChunk);
    int reason = 0;
    while (reason == 0) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        if (std::fwrite(buffer.data(), 1, got, f) != got) reason = LastReason();
    }
    if (reason == 0 && (in.bad() || (&in == &std::cin && std::ferror(stdin) != 0))) {
        readFailed_ = true;
        reason = LastReason();
    }
    if (std::fclose(f) != 0 && reason == 0) reason = LastReason();
    return reason;
}

}  // namespace descstat
