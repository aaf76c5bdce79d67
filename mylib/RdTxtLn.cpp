#include "mylib/RdTxtLn.h"

namespace myLib {

namespace {

constexpr int kLineFeed = 0x0A;
constexpr int kCarriageReturn = 0x0D;
// The line buffer has room for the longest line, the byte that overflows it
// and a spare byte.
constexpr int kBufferSize = 1000;

// Reads the byte after a carriage return. True when it is a line feed, which
// then belongs to the same line end; any other byte is put back for later.
bool TakeLineFeedAfterCr(std::FILE* fp) {
    const int next = std::fgetc(fp);
    if (next == kLineFeed) return true;
    // One byte can always be put back after a read.
    if (next != EOF) (void)std::ungetc(next, fp);
    return false;
}

}  // namespace

// The name is taken by value, as the reader's interface promises every caller.
// cppcheck-suppress passedByValue
RdTxtLn::RdTxtLn(std::string name) { Open(name); }  // NOLINT(performance-unnecessary-value-param)

RdTxtLn::~RdTxtLn() { Release(); }

void RdTxtLn::Open(const std::string& name) {
    fp_ = std::fopen(name.c_str(), "r");
    status = fp_ != nullptr ? kReady : kOpenFailed;
}

void RdTxtLn::Release() {
    if (fp_ != nullptr) {
        // The file was only read: nothing is lost if closing reports an error.
        (void)std::fclose(fp_);
        fp_ = nullptr;
    }
}

int RdTxtLn::GetLn(std::string& line) {
    if (status != kReady) return kNothingRead;

    char buffer[kBufferSize];
    int k = 0;
    for (;;) {
        const int c = std::fgetc(fp_);
        if (c == EOF) {
            // A read error ends the file just as the end of the data does.
            status = kEndOfFile;
            break;
        }
        if (c == kLineFeed) break;
        if (c == kCarriageReturn) {
            if (TakeLineFeedAfterCr(fp_) || k == 0) break;
            continue;  // a lone carriage return inside a line is dropped
        }
        buffer[k] = static_cast<char>(c);
        ++k;
        if (k > kMaxLine) return kLineTooLong;
    }
    line.assign(buffer, static_cast<std::size_t>(k));
    return kLineRead;
}

void RdTxtLn::Close() {
    Release();
    if (status == kReady) status = kClosed;
}

// cppcheck-suppress passedByValue
void RdTxtLn::ReOpen(std::string name) {  // NOLINT(performance-unnecessary-value-param)
    Release();
    Open(name);
}

}  // namespace myLib
