#include "app/SplitRead.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "mylib/StrFunc.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

// The bytes a part reads at a time: room for a whole line more than that.
constexpr std::size_t kChunk = std::size_t{256} * 1024;
constexpr std::size_t kRoom = kChunk + RdTxtLn::kMaxLine + 2;
// The numbers read per call of the line reader.
constexpr std::size_t kBatch = 64;

// One part: the lines that start from `begin` (a line's start when
// `atLine`, else the first line after it) up to before `end`, its buffer,
// and what reading them gave.
struct Part {
    long long begin = 0;
    long long end = 0;
    bool atLine = false;
    std::unique_ptr<char[]> buffer;
    DecimalSums sums;
    std::int64_t lines = 0;
    long long stop = -1;  // where a line the part could not read starts; -1: none
};

// The start of the first line at or after `from` (> 0) in the file: after
// the first line feed at or after from − 1; -1 for none (or a read error).
long long FirstLineStart(const RdTxtLn& reader, long long from, char* buffer) {
    for (long long at = from - 1;;) {
        const long long got = reader.ReadAt(at, buffer, kRoom);
        if (got <= 0) return -1;
        const void* feed = std::memchr(buffer, '\n', static_cast<std::size_t>(got));
        if (feed != nullptr) return at + (static_cast<const char*>(feed) - buffer) + 1;
        at += got;
    }
}

// Reads one part's lines (Part).
void ReadPart(const RdTxtLn& reader, Part& part) {
    char* const buffer = part.buffer.get();
    long long start = part.atLine ? part.begin : FirstLineStart(reader, part.begin, buffer);
    if (start < 0 || start >= part.end) return;  // no line starts in the part
    myLib::QuickNumber numbers[kBatch];
    for (;;) {
        // The bytes from the line at `start` on.
        const long long got = reader.ReadAt(start, buffer, kRoom);
        if (got <= 0) {
            part.stop = start;  // the end of the file, or a read error: read the common way
            return;
        }
        const char* p = buffer;
        const char* const last = buffer + got;
        const char* const limit = buffer + std::min(got, part.end - start);
        std::size_t n = 0;
        do {
            n = myLib::QuickValueLines(p, last, limit, RdTxtLn::kMaxLine, numbers, kBatch);
            AddWrittenNumbers(part.sums, numbers, n);
            part.lines += static_cast<std::int64_t>(n);
        } while (n == kBatch);
        const long long next = start + (p - buffer);
        if (next >= part.end) return;  // every line that starts in the part is read
        // A line not read: where the bytes read ran out, read on from it;
        // where a whole line's room lay before the end of the bytes (or
        // the file ended), it is a line of another kind.
        if (p < limit && (p == buffer || got < static_cast<long long>(kRoom))) {
            part.stop = next;
            return;
        }
        start = next;
    }
}

// Joins the parts in file order up to the first that stopped: their sums to
// `sums`, their lines to `lines`; gives where the reader goes on.
long long JoinParts(const std::vector<Part>& parts, DecimalSums& sums, std::int64_t& lines) {
    for (const Part& part : parts) {
        AddDecimalSums(sums, part.sums);
        lines += part.lines;
        if (part.stop >= 0) return part.stop;
    }
    return parts.back().end;
}

}  // namespace

int ThreadsFor(int asked) {
    if (asked > 0) return asked;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(std::min(cores, 64U));
}

bool ReadInParts(RdTxtLn& reader, int threads, long long leastPartBytes, DecimalSums& sums,
                 std::int64_t& lines) {
    long long offset = 0;
    long long size = 0;
    if (threads < 2 || !reader.ReadableAt(offset, size)) return false;
    const long long ahead = size - offset;
    const long long count = std::min<long long>(threads, ahead / std::max(1LL, leastPartBytes));
    if (count < 2) return false;
    std::vector<Part> parts(static_cast<std::size_t>(count));
    for (long long i = 0; i < count; ++i) {
        Part& part = parts[static_cast<std::size_t>(i)];
        part.begin = offset + ahead * i / count;
        part.end = offset + ahead * (i + 1) / count;
        part.atLine = i == 0;
        part.buffer.reset(new (std::nothrow) char[kRoom]);
        if (!part.buffer) return false;  // no room: one thread reads it all
    }
    // The first part is the calling thread's; a part whose thread cannot be
    // started is left to it as well.
    std::vector<std::thread> helpers;
    std::size_t started = 1;
    try {
        helpers.reserve(parts.size() - 1);
        for (; started < parts.size(); ++started) {
            helpers.emplace_back(ReadPart, std::cref(reader), std::ref(parts[started]));
        }
    } catch (const std::exception&) {
        // As many threads as the system gave.
    }
    ReadPart(reader, parts[0]);
    for (std::size_t i = started; i < parts.size(); ++i) ReadPart(reader, parts[i]);
    for (std::thread& helper : helpers) helper.join();
    lines = 0;
    return reader.SeekTo(JoinParts(parts, sums, lines));
}

}  // namespace descstat
