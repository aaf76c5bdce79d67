// Line reader: the line rules on raw bytes, and the state codes and handle
// release of Close, ReOpen and the destructor.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "mylib/RdTxtLn.h"
#include "tests/TempFile.h"

using myLib::RdTxtLn;

namespace {

struct Call {
    int result;
    std::string line;
    bool operator==(const Call& o) const { return result == o.result && line == o.line; }
};

std::ostream& operator<<(std::ostream& os, const Call& c) {
    return os << "{" << c.result << ", \"" << c.line << "\" (" << c.line.size() << " bytes)}";
}

// Every GetLn call on a file of the given bytes, up to the first result 1.
// The line starts as "?" so that an untouched line shows.
std::vector<Call> ReadAll(const std::string& bytes) {
    TempFile file(bytes);
    RdTxtLn reader(file.Name());
    std::vector<Call> calls;
    std::string line = "?";
    for (int i = 0; i < 10000; ++i) {
        const int result = reader.GetLn(line);
        calls.push_back({result, line});
        if (result == RdTxtLn::kNothingRead) break;
    }
    return calls;
}

const std::string k998(998, 'a');
const std::string k999(999, 'b');

// A lone CR, then CR LF. Windows text mode has already made that CR LF an LF,
// so there the reader sees one CR LF: one empty line less.
#ifdef _WIN32
const std::vector<Call> kCrCrLfCalls = {{0, ""}, {0, ""}, {1, ""}};
#else
const std::vector<Call> kCrCrLfCalls = {{0, ""}, {0, ""}, {0, ""}, {1, ""}};
#endif

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<Call> calls;
    friend void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }
};

class LineRules : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineRules, DeliversTheLinesInOrder) {
    EXPECT_EQ(ReadAll(GetParam().bytes), GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, LineRules,
    ::testing::Values(
        LineCase{"EmptyFile", "", {{0, ""}, {1, ""}}},
        LineCase{"LastLineWithoutLineEnd", "a\nlast", {{0, "a"}, {0, "last"}, {1, "last"}}},
        LineCase{"LineEndAtEndGivesEmptyLine", "a\n", {{0, "a"}, {0, ""}, {1, ""}}},
        LineCase{"CrInsideLineDropped", "a\rb\n", {{0, "ab"}, {0, ""}, {1, ""}}},
        LineCase{"CrLfIsOneLineEnd", "x\r\ny\r\n", {{0, "x"}, {0, "y"}, {0, ""}, {1, ""}}},
        LineCase{"EmptyCrLfLineIsOneLine", "\r\n5\n", {{0, ""}, {0, "5"}, {0, ""}, {1, ""}}},
        LineCase{"LoneCrAtStartEndsEmptyLine", "\rx\n", {{0, ""}, {0, "x"}, {0, ""}, {1, ""}}},
        LineCase{"CrCrLf", "\r\r\n", kCrCrLfCalls},
        LineCase{"LoneCrAtEndOfFile", "ab\r", {{0, "ab"}, {1, "ab"}}},
        LineCase{"OnlyCr", "\r", {{0, ""}, {0, ""}, {1, ""}}},
        LineCase{"NulBytesKept",
                 std::string("a\0b\n", 4),
                 {{0, std::string("a\0b", 3)}, {0, ""}, {1, ""}}},
        LineCase{"Exactly998", k998 + "\nz", {{0, k998}, {0, "z"}, {1, "z"}}},
        LineCase{"Exactly998WithCrLf", k998 + "\r\nz", {{0, k998}, {0, "z"}, {1, "z"}}},
        LineCase{"Exactly998AtEndOfFile", k998, {{0, k998}, {1, k998}}},
        LineCase{"TooLongThenRestAsNextLine",
                 "x\n" + k999 + "tail\nz",
                 {{0, "x"}, {9, "x"}, {0, "tail"}, {0, "z"}, {1, "z"}}},
        LineCase{"TooLongByOneThenLineEnd", k999 + "\n", {{9, "?"}, {0, ""}, {0, ""}, {1, ""}}},
        // A tab, NUL or other control byte as the last byte that fits, or the
        // first that does not: the line's bound holds for every kind of byte.
        LineCase{"TabAs998thByte",
                 k998.substr(1) + "\t\n",
                 {{0, k998.substr(1) + "\t"}, {0, ""}, {1, ""}}},
        LineCase{"TabAs999thByte", k998 + "\tz\n", {{9, "?"}, {0, "z"}, {0, ""}, {1, ""}}},
        LineCase{"NulAs999thByte",
                 k998 + std::string(1, '\0') + "\n",
                 {{9, "?"}, {0, ""}, {0, ""}, {1, ""}}},
        LineCase{"CrAmongTooLongBytesDropped",
                 std::string(500, 'c') + "\r" + std::string(499, 'd') + "tail\n",
                 {{9, "?"}, {0, "tail"}, {0, ""}, {1, ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Under Wine, /proc/self would be Wine's own, so Windows builds skip the
// descriptor count.
#ifndef _WIN32
// The number of file descriptors this process holds, or -1 where that cannot
// be seen.
int OpenDescriptors() {
    std::error_code ec;
    std::filesystem::directory_iterator it("/proc/self/fd", ec);
    if (ec) return -1;
    int n = 0;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) ++n;
    return n;
}
#endif

TEST(ReaderState, OpenFailureGivesNineAndReadsNothing) {
    RdTxtLn reader(TempFile::NewPath().string());
    EXPECT_EQ(reader.status, RdTxtLn::kOpenFailed);
    std::string line = "kept";
    EXPECT_EQ(reader.GetLn(line), RdTxtLn::kNothingRead);
    EXPECT_EQ(line, "kept");
    reader.Close();
    EXPECT_EQ(reader.status, RdTxtLn::kOpenFailed);
}

TEST(ReaderState, CloseInEachState) {
    TempFile file("1\n");
    std::string line;

    RdTxtLn ready(file.Name());
    ready.Close();
    EXPECT_EQ(ready.status, RdTxtLn::kClosed);
    ready.Close();
    EXPECT_EQ(ready.status, RdTxtLn::kClosed);
    EXPECT_EQ(ready.GetLn(line), RdTxtLn::kNothingRead);

    RdTxtLn atEnd(file.Name());
    while (atEnd.status == RdTxtLn::kReady) atEnd.GetLn(line);
    atEnd.Close();
    EXPECT_EQ(atEnd.status, RdTxtLn::kEndOfFile);
}

TEST(ReaderState, ReOpenFromEachStateStartsAtTheTop) {
    TempFile file("first\nsecond\n");
    const std::string missing = TempFile::NewPath().string();
    std::string line;

    RdTxtLn reader(missing);
    for (int round = 0; round < 4; ++round) {
        if (round == 1) {
            reader.GetLn(line);  // ready, mid-file
        } else if (round == 2) {
            while (reader.status == RdTxtLn::kReady) reader.GetLn(line);  // at end of file
        } else if (round == 3) {
            reader.Close();  // closed
        }
        reader.ReOpen(file.Name());
        ASSERT_EQ(reader.status, RdTxtLn::kReady) << "round " << round;
        EXPECT_EQ(reader.GetLn(line), RdTxtLn::kLineRead);
        EXPECT_EQ(line, "first");
    }
    reader.ReOpen(missing);
    EXPECT_EQ(reader.status, RdTxtLn::kOpenFailed);
}

#ifndef _WIN32  // see OpenDescriptors
TEST(ReaderState, NoPathLeavesAHandleOpen) {
    const int before = OpenDescriptors();
    if (before < 0) GTEST_SKIP() << "open descriptors cannot be counted here";
    TempFile file("a\n");
    std::string line;
    for (int i = 0; i < 50; ++i) {
        RdTxtLn atEnd(file.Name());
        while (atEnd.status == RdTxtLn::kReady) atEnd.GetLn(line);
        atEnd.Close();  // end of file: handle released, state kept
        RdTxtLn reopened(file.Name());
        reopened.ReOpen(file.Name());  // replaces a held handle
        RdTxtLn destroyedAtEnd(file.Name());
        while (destroyedAtEnd.status == RdTxtLn::kReady) destroyedAtEnd.GetLn(line);
    }
    EXPECT_EQ(OpenDescriptors(), before);
}
#endif

}  // namespace
