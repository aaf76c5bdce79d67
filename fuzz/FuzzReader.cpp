// Fuzz target: arbitrary bytes as a data file. The reader must deliver the same
// sequence of lines and results as a small independent model of the line rules,
// both its own and with every lone CR as a line end.
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "mylib/RdTxtLn.h"

namespace {

struct Call {
    int result;
    std::string line;
    bool operator==(const Call& o) const { return result == o.result && line == o.line; }
};

constexpr std::size_t kMaxLine = 998;

// The line rules over a whole buffer: LF, CR LF and a CR before any byte of a
// line end a line; other CRs are dropped; a line past kMaxLine bytes gives
// result 9 and leaves the line alone; end of data delivers what is gathered
// and then every call gives result 1; a UTF-8 byte order mark that opens the
// data is no part of it. With `crEnds` every CR ends a line (with the LF
// after it, if one follows). The model sees the file's raw bytes, as the
// reader does where text mode translates nothing.
std::vector<Call> Model(const std::uint8_t* d, std::size_t n, bool crEnds) {
    std::vector<Call> calls;
    std::string line = "?";
    const bool mark = n >= 3 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF;
    std::size_t i = mark ? 3 : 0;
    for (;;) {
        std::string cur;
        for (;;) {
            if (i == n) {
                calls.push_back({0, cur});
                calls.push_back({1, cur});
                return calls;
            }
            const char c = static_cast<char>(d[i++]);
            if (c == '\n') break;
            if (c == '\r') {
                if (i < n && d[i] == '\n') {
                    ++i;
                    break;
                }
                if (cur.empty() || crEnds) break;
                continue;
            }
            cur += c;
            if (cur.size() > kMaxLine) break;
        }
        if (cur.size() > kMaxLine) {
            calls.push_back({9, line});
        } else {
            line = cur;
            calls.push_back({0, line});
        }
    }
}

std::vector<Call> Read(const std::string& name, std::size_t maxCalls, bool crEnds) {
    myLib::RdTxtLn reader(name);
    reader.CrEndsLn(crEnds);
    fuzz::Check(reader.status == myLib::RdTxtLn::kReady, "the file opens");
    std::vector<Call> calls;
    std::string line = "?";
    while (calls.size() < maxCalls) {
        const int result = reader.GetLn(line);
        calls.push_back({result, line});
        if (result == myLib::RdTxtLn::kNothingRead) break;
    }
    return calls;
}

// The bytes as the reader gets them: on Windows the file is opened in text
// mode, where each CR LF pair arrives as an LF (so CR CR LF is a CR, then a
// line end); elsewhere as they are.
std::vector<std::uint8_t> AsRead(const std::uint8_t* d, std::size_t n) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < n; ++i) {
#ifdef _WIN32
        if (d[i] == '\r' && i + 1 < n && d[i + 1] == '\n') continue;
#endif
        bytes.push_back(d[i]);
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string name = fuzz::ScratchPath("reader");
    fuzz::WriteFile(name, data, size);
    const std::vector<std::uint8_t> read = AsRead(data, size);
    for (const bool crEnds : {false, true}) {
        const std::vector<Call> expected = Model(read.data(), read.size(), crEnds);
        fuzz::Check(Read(name, expected.size() + 1, crEnds) == expected,
                    "reader agrees with the model");
    }
    return 0;
}
