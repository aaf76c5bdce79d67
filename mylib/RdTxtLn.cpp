#include "mylib/RdTxtLn.h"

#include "mylib/ByteWords.h"
#include "mylib/StrFunc.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace myLib {

namespace {

constexpr int kLineFeed = 0x0A;
constexpr int kCarriageReturn = 0x0D;
// The line buffer has room for the longest line, the byte that overflows it
// and a spare byte.
constexpr int kBufferSize = 1000;
// The block in which a regular file, a pipe or a FIFO is read.
constexpr std::size_t kBlockSize = std::size_t{64} * 1024;
// The UTF-8 byte order mark that editors write at the start of a file.
constexpr int kByteOrderMark[3] = {0xEF, 0xBB, 0xBF};

// A file's device (volume) and file number: together they tell one file from
// every other, whatever names lead to it.
struct FileId {
    unsigned long long device = 0;
    unsigned long long number = 0;
    bool known = false;
};

#ifdef _WIN32
FileId IdOfHandle(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (h == INVALID_HANDLE_VALUE || GetFileInformationByHandle(h, &info) == 0) return {};
    return {info.dwVolumeSerialNumber,
            (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
            true};
}

HANDLE HandleOf(std::FILE* fp) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(fp))); }

FileId IdOfOpen(std::FILE* fp) { return IdOfHandle(HandleOf(fp)); }

// The size in bytes of the open regular file, -1 when it cannot be had.
long long SizeOf(std::FILE* fp) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(HandleOf(fp), &size) != 0 ? size.QuadPart : -1;
}

int KindOf(std::FILE* fp) {
    switch (GetFileType(HandleOf(fp))) {
        case FILE_TYPE_DISK: return RdTxtLn::kRegularFile;
        case FILE_TYPE_CHAR: return RdTxtLn::kDeviceFile;
        default: return RdTxtLn::kStreamFile;
    }
}

// The name in the ANSI code page, as fopen takes it.
FileId IdOfName(const std::string& name) {
    const HANDLE h = CreateFileA(name.c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const FileId id = IdOfHandle(h);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return id;
}
#else
FileId IdOfStat(int result, const struct stat& info) {
    if (result != 0) return {};
    return {static_cast<unsigned long long>(info.st_dev),
            static_cast<unsigned long long>(info.st_ino), true};
}

FileId IdOfOpen(std::FILE* fp) {
    struct stat info {};
    return IdOfStat(fstat(fileno(fp), &info), info);
}

FileId IdOfName(const std::string& name) {
    struct stat info {};
    return IdOfStat(stat(name.c_str(), &info), info);
}

bool IsFolder(std::FILE* fp) {
    struct stat info {};
    return fstat(fileno(fp), &info) == 0 && S_ISDIR(info.st_mode);
}

long long SizeOf(std::FILE* fp) {
    struct stat info {};
    return fstat(fileno(fp), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

int KindOf(std::FILE* fp) {
    struct stat info {};
    if (fstat(fileno(fp), &info) != 0) return RdTxtLn::kStreamFile;
    if (S_ISREG(info.st_mode)) return RdTxtLn::kRegularFile;
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return RdTxtLn::kDeviceFile;
    return RdTxtLn::kStreamFile;
}
#endif

// Puts the n bytes from `bytes` into `line`: clear and append, which cost
// less than assign (that allows for overlapping text), and a single byte
// (the head of a line) without even a call.
void Deliver(std::string& line, const char* bytes, std::size_t n) {
    line.clear();
    if (n == 1) {
        line.push_back(*bytes);
    } else if (n > 1) {
        line.append(bytes, n);
    }
}

// True for a byte above CR: it can only belong to a line.
bool IsOrdinary(char c) { return static_cast<unsigned char>(c) > kCarriageReturn; }

// The first byte from p to `stop` that is CR or below (`stop` if none): a
// line end, or a control byte that needs a closer look. Eight bytes are
// tested at a time; every byte above CR only belongs to the line.
const char* FindControlByte(const char* p, const char* stop) {
    while (stop - p >= 8 && !AnyByteBelow(WordAt(p), kCarriageReturn + 1)) p += 8;
    while (p < stop && IsOrdinary(*p)) ++p;
    return p;
}

}  // namespace

// The name is taken by value, as the reader's interface promises every caller.
// cppcheck-suppress passedByValue
RdTxtLn::RdTxtLn(std::string name) { Open(name); }  // NOLINT(performance-unnecessary-value-param)

RdTxtLn::~RdTxtLn() { Release(); }

RdTxtLn::RdTxtLn(std::FILE* stream) { Take(stream, false); }

void RdTxtLn::Open(const std::string& name) {
    std::FILE* const fp = IsFlNm(name) ? std::fopen(name.c_str(), "r") : nullptr;
#ifdef _WIN32
    // Windows cannot open a folder as a file; its attributes tell why.
    if (fp == nullptr && IsFlNm(name)) {
        const DWORD attributes = GetFileAttributesA(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            Take(nullptr, true);
            folder_ = true;
            errno = EISDIR;
            return;
        }
    }
#endif
    Take(fp, true);
}

// Starts reading the handle (null: the open failed). A folder that the
// system opened by its name holds no lines: it is let go and the open counts
// as failed. A folder given as a stream is a stream that cannot be read.
void RdTxtLn::Take(std::FILE* fp, bool owned) {
    fp_ = fp;
    owned_ = owned;
    folder_ = false;
#ifndef _WIN32
    if (owned && fp_ != nullptr && IsFolder(fp_)) {
        Release();
        folder_ = true;
        errno = EISDIR;
    }
#endif
    status = fp_ != nullptr ? kReady : kOpenFailed;
    atStart_ = true;
    readError_ = false;
    metLoneCr_ = false;
    kind_ = fp_ != nullptr ? KindOf(fp_) : kRegularFile;
    size_ = fp_ != nullptr && kind_ == kRegularFile ? SizeOf(fp_) : -1;
    taken_ = 0;
    backCount_ = 0;
    rawBackCount_ = 0;
    metBom_ = false;
    utf16_ = 0;
    utf8Count_ = 0;
    utf8Next_ = 0;
    next_ = nullptr;
    end_ = nullptr;
    errorAhead_ = false;
    const FileId id = fp_ != nullptr ? IdOfOpen(fp_) : FileId{};
    device_ = id.device;
    fileNumber_ = id.number;
    identified_ = id.known;
}

void RdTxtLn::Release() {
    if (fp_ != nullptr) {
        // The file was only read: nothing is lost if closing reports an error.
        if (owned_) (void)std::fclose(fp_);
        fp_ = nullptr;
    }
}

// The next byte of the text (decoded from UTF-16 when the file is read so),
// or EOF at its end or on a read error (which is then remembered).
int RdTxtLn::GetByte() {
    if (backCount_ > 0) return back_[--backCount_];
    if (utf16_ != 0) return DecodedByte();
    return RawByte();
}

// The next byte of the file itself.
int RdTxtLn::RawByte() {
    if (rawBackCount_ > 0) return rawBack_[--rawBackCount_];
    if (next_ == end_ && !Refill()) return EOF;
    return static_cast<unsigned char>(*next_++);
}

// The next UTF-8 byte of a file read as UTF-16.
int RdTxtLn::DecodedByte() {
    if (utf8Next_ == utf8Count_ && !DecodeCharacter()) return EOF;
    return static_cast<unsigned char>(utf8_[utf8Next_++]);
}

// Decodes the next character of a UTF-16 file into `utf8_`; false at the end
// of the file. A lone surrogate, or a last odd byte, becomes U+FFFD.
bool RdTxtLn::DecodeCharacter() {
    constexpr unsigned long kReplacement = 0xFFFD;
    const auto unit = [this](bool& whole) {
        const int a = RawByte();
        if (a == EOF) return -1L;
        const int b = RawByte();
        whole = b != EOF;
        if (!whole) return 0L;
        return utf16_ == 1 ? static_cast<long>(a | (b << 8)) : static_cast<long>((a << 8) | b);
    };
    bool whole = true;
    const long u = unit(whole);
    if (u < 0) return false;
    unsigned long c = whole ? static_cast<unsigned long>(u) : kReplacement;
    if (c >= 0xDC00 && c <= 0xDFFF) c = kReplacement;
    if (c >= 0xD800 && c <= 0xDBFF) {
        const int a = RawByte();
        const int b = RawByte();
        const unsigned long low = a == EOF || b == EOF ? 0
                                  : utf16_ == 1        ? static_cast<unsigned long>(a | (b << 8))
                                                       : static_cast<unsigned long>((a << 8) | b);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        } else {
            c = kReplacement;
            PutBackRaw(b);  // not part of this character: read again
            PutBackRaw(a);
        }
    }
    utf8Next_ = 0;
    if (c < 0x80) {
        utf8_[0] = static_cast<char>(c);
        utf8Count_ = 1;
    } else if (c < 0x800) {
        utf8_[0] = static_cast<char>(0xC0 | (c >> 6));
        utf8_[1] = static_cast<char>(0x80 | (c & 0x3F));
        utf8Count_ = 2;
    } else if (c < 0x10000) {
        utf8_[0] = static_cast<char>(0xE0 | (c >> 12));
        utf8_[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8_[2] = static_cast<char>(0x80 | (c & 0x3F));
        utf8Count_ = 3;
    } else {
        utf8_[0] = static_cast<char>(0xF0 | (c >> 18));
        utf8_[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        utf8_[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8_[3] = static_cast<char>(0x80 | (c & 0x3F));
        utf8Count_ = 4;
    }
    return true;
}

// Reads the next block of a regular file, what a pipe holds, or the next
// byte of a device, and tells whether any byte came. A read error counts only
// once the bytes read before it are used up, so that every line before it is
// delivered whole.
bool RdTxtLn::Refill() {
    if (kind_ == kDeviceFile) return RefillByte();
    if (!block_) block_.reset(new (std::nothrow) char[kBlockSize]);
    if (!block_) return RefillByte();  // no room for a block: a byte at a time still works
    if (kind_ == kStreamFile) return RefillFromStream();
    if (errorAhead_) {
        readError_ = true;
        return false;
    }
    const std::size_t n = std::fread(block_.get(), 1, kBlockSize, fp_);
    if (n < kBlockSize && std::ferror(fp_) != 0) errorAhead_ = true;
    if (n == 0) {
        readError_ = errorAhead_;
        return false;
    }
    next_ = block_.get();
    end_ = next_ + n;
    taken_ += static_cast<long long>(n);
    return true;
}

// What a pipe, a FIFO or a socket holds now, up to a block, read from its
// descriptor: the system returns as soon as any byte is there, so the reader
// never waits for more than the writer has written (the stream's own buffer,
// which the reader never fills, holds nothing to skip).
bool RdTxtLn::RefillFromStream() {
    for (;;) {
#ifdef _WIN32
        const int n = _read(_fileno(fp_), block_.get(), static_cast<unsigned>(kBlockSize));
#else
        const ssize_t n = read(fileno(fp_), block_.get(), kBlockSize);
#endif
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) readError_ = true;
            return false;
        }
        next_ = block_.get();
        end_ = next_ + n;
        taken_ += static_cast<long long>(n);
        return true;
    }
}

// One byte, taken without a lock: the reader is the handle's only user. It is
// kept as a block of one, so that a terminal is never asked for more than
// the line being typed.
bool RdTxtLn::RefillByte() {
#ifdef _WIN32
    const int c = _fgetc_nolock(fp_);
#else
    const int c = getc_unlocked(fp_);
#endif
    if (c == EOF) {
        if (std::ferror(fp_) != 0) readError_ = true;
        return false;
    }
    byte_ = static_cast<char>(c);
    ++taken_;
    next_ = &byte_;
    end_ = next_ + 1;
    return true;
}

// Copies into `out` the bytes of the current block, up to `room`, that can
// only belong to a line (every byte above CR), and gives how many: the lines
// of a regular file are mostly taken this way rather than byte by byte.
int RdTxtLn::TakeOrdinaryBytes(char* out, int room) {
    if (backCount_ > 0 || rawBackCount_ > 0 || utf16_ != 0) return 0;
    const char* const p = FindControlByte(next_, end_ - next_ > room ? next_ + room : end_);
    const int taken = static_cast<int>(p - next_);
    if (taken > 0) std::memcpy(out, next_, static_cast<std::size_t>(taken));
    next_ = p;
    return taken;
}

void RdTxtLn::PutBack(int c) {
    if (c != EOF) back_[backCount_++] = c;
}

void RdTxtLn::PutBackRaw(int c) {
    if (c != EOF) rawBack_[rawBackCount_++] = c;
}

// Reads the byte after a carriage return. True when it is a line feed, which
// then belongs to the same line end; any other byte is put back for later.
bool RdTxtLn::TakeLineFeedAfterCr() {
    const int next = GetByte();
    if (next == kLineFeed) return true;
    PutBack(next);
    return false;
}

// Takes a byte order mark off the start of the file; bytes that only begin
// like one are put back and read as ordinary bytes. A UTF-16 mark, where
// UTF-16 is decoded, sets how.
void RdTxtLn::SkipByteOrderMark() {
    const int first = RawByte();
    if (utf16Mode_ != kNoUtf16 && (first == 0xFF || first == 0xFE)) {
        const int second = RawByte();
        if (second == (first ^ 0x01)) {
            utf16_ = first == 0xFF ? 1 : 2;
            metBom_ = true;
            return;
        }
        PutBackRaw(second);
    }
    PutBackRaw(first);
    if (utf16Mode_ == kUtf16) {
        utf16_ = 1;
        return;
    }
    int taken[3];
    for (int i = 0; i < 3; ++i) {
        taken[i] = RawByte();
        if (taken[i] != kByteOrderMark[i]) {
            for (int j = i; j >= 0; --j) PutBackRaw(taken[j]);
            return;
        }
    }
    metBom_ = true;
}

// The ordinary bytes of the current block (every byte above CR) appended to
// `line` in one step, as TakeOrdinaryBytes takes them.
void RdTxtLn::AppendOrdinaryBytes(std::string& line) {
    if (backCount_ > 0 || rawBackCount_ > 0 || utf16_ != 0) return;
    const char* const p = FindControlByte(next_, end_);
    line.append(next_, static_cast<std::size_t>(p - next_));
    next_ = p;
}

// The common case: the whole line and its line end (LF or CR LF) lie in the
// current block, and go to `line` in one copy (at most `keep` bytes of it).
// False, with nothing taken, for any other line, which is then read byte by
// byte.
bool RdTxtLn::TakeWholeLine(std::string& line, std::size_t keep) {
    if (backCount_ > 0 || rawBackCount_ > 0 || utf16_ != 0) return false;
    const char* const p = FindControlByte(next_, end_ - next_ > kMaxLine ? next_ + kMaxLine : end_);
    if (p == end_) return false;
    std::size_t endLength = 0;
    if (*p == kLineFeed) {
        endLength = 1;
    } else if (*p == kCarriageReturn && end_ - p > 1 && p[1] == kLineFeed) {
        endLength = 2;
    } else {
        return false;
    }
    Deliver(line, next_, std::min(static_cast<std::size_t>(p - next_), keep));
    next_ = p + endLength;
    return true;
}

bool RdTxtLn::ReadableAt(long long& offset, long long& size) const {
    if (status != kReady || atStart_ || !owned_ || kind_ != kRegularFile || size_ < 0 ||
        backCount_ > 0 || rawBackCount_ > 0 || utf16_ != 0 || errorAhead_ || readError_) {
        return false;
    }
    offset = taken_ - (end_ - next_);
    size = size_;
    return true;
}

long long RdTxtLn::ReadAt(long long offset, char* buffer, std::size_t n) const {
    if (fp_ == nullptr) return -1;
#ifdef _WIN32
    // A positioned read: the offset is the call's own, whatever the handle's
    // position (which it moves, and SeekTo sets again).
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(static_cast<unsigned long long>(offset) >> 32);
    DWORD got = 0;
    if (ReadFile(HandleOf(fp_), buffer, static_cast<DWORD>(n), &got, &at) == 0) {
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    }
    return static_cast<long long>(got);
#else
    for (;;) {
        const ssize_t got = pread(fileno(fp_), buffer, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        return static_cast<long long>(got);
    }
#endif
}

bool RdTxtLn::SeekTo(long long offset) {
    next_ = nullptr;
    end_ = nullptr;
#ifdef _WIN32
    const bool moved = _fseeki64(fp_, offset, SEEK_SET) == 0;
#else
    const bool moved = fseeko(fp_, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
    if (!moved) errorAhead_ = true;  // the next read reports it
    taken_ = offset;
    return moved;
}

bool RdTxtLn::PeekBlock(const char*& first, const char*& last) {
    if (status != kReady || atStart_ || kind_ == kDeviceFile || backCount_ > 0 ||
        rawBackCount_ > 0 || utf16_ != 0) {
        return false;
    }
    if (next_ == end_ && !Refill()) return false;
    first = next_;
    last = end_;
    return true;
}

int RdTxtLn::GetLn(std::string& line) { return ReadLn(line, kMaxLine); }

int RdTxtLn::GetLnHead(std::string& head) { return ReadLn(head, 1); }

int RdTxtLn::GetLongLn(std::string& line) {
    if (status != kReady) return kNothingRead;
    if (atStart_) {
        atStart_ = false;
        SkipByteOrderMark();
    }
    if (TakeWholeLine(line, std::string::npos)) return kLineRead;
    line.clear();
    for (;;) {
        AppendOrdinaryBytes(line);
        const int c = GetByte();
        if (c == EOF) {
            status = kEndOfFile;
            return kLineRead;
        }
        if (c == kLineFeed) return kLineRead;
        if (c == kCarriageReturn) {
            if (TakeLineFeedAfterCr()) return kLineRead;
            if (crEnds_) {
                metLoneCr_ = true;
                return kLineRead;
            }
            if (line.empty()) return kLineRead;
            continue;  // a lone carriage return inside a line is dropped
        }
        line.push_back(static_cast<char>(c));
    }
}

int RdTxtLn::ReadLn(std::string& line, std::size_t keep) {
    if (status != kReady) return kNothingRead;
    if (atStart_) {
        atStart_ = false;
        SkipByteOrderMark();
    }

    if (TakeWholeLine(line, keep)) return kLineRead;

    char buffer[kBufferSize];
    int k = 0;
    for (;;) {
        k += TakeOrdinaryBytes(buffer + k, kMaxLine + 1 - k);
        if (k > kMaxLine) return kLineTooLong;
        const int c = GetByte();
        if (c <= kCarriageReturn) {
            if (c == EOF) {
                // A read error ends the file just as the end of the data does;
                // RdErr tells the two apart.
                status = kEndOfFile;
                break;
            }
            if (c == kLineFeed) break;
            if (c == kCarriageReturn) {
                if (TakeLineFeedAfterCr()) break;
                if (crEnds_) {
                    metLoneCr_ = true;
                    break;
                }
                if (k == 0) break;
                continue;  // a lone carriage return inside a line is dropped
            }
        }
        buffer[k] = static_cast<char>(c);
        if (++k > kMaxLine) return kLineTooLong;
    }
    Deliver(line, buffer, std::min(static_cast<std::size_t>(k), keep));
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

bool RdTxtLn::RdErr() const { return readError_; }

bool RdTxtLn::IsOpenFl(const std::string& name) const {
    if (fp_ == nullptr || !identified_ || !IsFlNm(name)) return false;
    const FileId named = IdOfName(name);
    return named.known && named.device == device_ && named.number == fileNumber_;
}

bool RdTxtLn::IsOpenStrm(std::FILE* stream) const {
    if (fp_ == nullptr || !identified_ || stream == nullptr) return false;
    const FileId other = IdOfOpen(stream);
    return other.known && other.device == device_ && other.number == fileNumber_;
}

}  // namespace myLib
