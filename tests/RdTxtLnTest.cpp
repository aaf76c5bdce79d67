// Line reader: the line rules on raw bytes, and the state codes and handle
// release of Close, ReOpen and the destructor.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <random>
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
// The line starts as "?" so that an untouched line shows. `crEnds`: read
// with every lone CR as a line end.
std::vector<Call> ReadAll(const std::string& bytes, bool crEnds = false) {
    TempFile file(bytes);
    RdTxtLn reader(file.Name());
    reader.CrEndsLn(crEnds);
    std::vector<Call> calls;
    std::string line = "?";
    for (int i = 0; i < 1000000; ++i) {
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

// After a first line the same bytes are read from the middle of a block,
// where whole lines are taken in one piece: the same lines come out.
TEST_P(LineRules, DeliversTheSameLinesAfterAFirstLine) {
    std::vector<Call> calls = {{0, "x"}};
    for (Call call : GetParam().calls) {
        if (call.line == "?") call.line = "x";  // the line a too long one leaves untouched
        calls.push_back(call);
    }
    EXPECT_EQ(ReadAll("x\n" + GetParam().bytes), calls);
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

// With CR line ends switched on, a lone CR ends a line wherever it stands,
// and the reader says that it met one; LF and CR LF stay as they were.
struct CrCase {
    const char* name;
    std::string bytes;
    std::vector<Call> calls;
    bool metLoneCr;
    friend void PrintTo(const CrCase& c, std::ostream* os) { *os << c.name; }
};

class CrLineEnds : public ::testing::TestWithParam<CrCase> {};

TEST_P(CrLineEnds, EndLinesAtEveryLoneCr) {
    const CrCase& c = GetParam();
    EXPECT_EQ(ReadAll(c.bytes, true), c.calls);
    // The head of each line, as the counting pass reads it, comes from the
    // same lines; the reader tells whether a lone CR ended one.
    TempFile file(c.bytes);
    RdTxtLn reader(file.Name());
    reader.CrEndsLn(true);
    std::string head;
    std::size_t i = 0;
    for (; reader.status == RdTxtLn::kReady && i < c.calls.size(); ++i) {
        ASSERT_EQ(reader.GetLnHead(head), c.calls[i].result);
        EXPECT_EQ(head, c.calls[i].line.substr(0, 1)) << "line " << i;
    }
    EXPECT_EQ(i + 1, c.calls.size()) << "as many lines";
    EXPECT_EQ(reader.MetLoneCr(), c.metLoneCr);
}

std::vector<CrCase> CrCases() {
    std::vector<CrCase> cases = {
        CrCase{"OldMacFile", "1\r2\r3\r", {{0, "1"}, {0, "2"}, {0, "3"}, {0, ""}, {1, ""}}, true},
        CrCase{
            "LastLineWithoutEnd", "/\r12.5\rx", {{0, "/"}, {0, "12.5"}, {0, "x"}, {1, "x"}}, true},
        CrCase{"EmptyLinesBetween", "a\r\rb", {{0, "a"}, {0, ""}, {0, "b"}, {1, "b"}}, true},
        CrCase{"CrLfStaysOneEnd",
               "a\r\n\r\nb\n",
               {{0, "a"}, {0, ""}, {0, "b"}, {0, ""}, {1, ""}},
               false},
        CrCase{"LfFile", "a\nb\n", {{0, "a"}, {0, "b"}, {0, ""}, {1, ""}}, false},
        // A lone CR as the 999th byte ends a line of 998 bytes: it is no byte
        // of the line.
        CrCase{"CrAfter998Bytes", k998 + "\rz", {{0, k998}, {0, "z"}, {1, "z"}}, true}};
#ifndef _WIN32  // Windows' text mode has made the CR LF an LF already: one line end
    cases.push_back(
        CrCase{"CrThenCrLf", "a\r\r\nb", {{0, "a"}, {0, ""}, {0, "b"}, {1, "b"}}, true});
#endif
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Reader, CrLineEnds, ::testing::ValuesIn(CrCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Without CR line ends, the same bytes keep the line rules above: the old Mac
// file is one line, and the reader met no lone CR ending a line.
TEST(CrLineEnds, AreOffUnlessAskedFor) {
    TempFile file("1\r2\r3\r");
    RdTxtLn reader(file.Name());
    std::string line;
    EXPECT_EQ(reader.GetLn(line), RdTxtLn::kLineRead);
    EXPECT_EQ(line, "123");
    EXPECT_FALSE(reader.MetLoneCr());
}

// A folder is not a file to read: the open fails, says why, and holds no
// handle (the descriptor count below covers it).
TEST(ReaderState, FolderDoesNotOpen) {
    const std::filesystem::path folder = TempFile::NewPath();
    std::filesystem::create_directory(folder);
    errno = 0;
    RdTxtLn reader(folder.string());
    EXPECT_EQ(reader.status, RdTxtLn::kOpenFailed);
    EXPECT_TRUE(reader.IsFldr());
    EXPECT_EQ(errno, EISDIR);
    std::string line = "kept";
    EXPECT_EQ(reader.GetLn(line), RdTxtLn::kNothingRead);
    EXPECT_EQ(line, "kept");

    TempFile file("a\n");
    reader.ReOpen(file.Name());
    EXPECT_EQ(reader.status, RdTxtLn::kReady);
    EXPECT_FALSE(reader.IsFldr());
    reader.ReOpen(folder.string());
    EXPECT_EQ(reader.status, RdTxtLn::kOpenFailed);
    EXPECT_TRUE(reader.IsFldr());
    std::filesystem::remove(folder);
}

// The calls that a plain byte-by-byte reading of the line rules gives for
// `bytes`, as ReadAll records them: the model that the reader's block-wise
// reading must match wherever the blocks happen to end.
std::vector<Call> ModelCalls(const std::string& bytes) {
    std::vector<Call> calls;
    std::size_t i = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::string delivered = "?";
    for (;;) {
        std::string line;
        bool atEnd = false;
        bool tooLong = false;
        for (;;) {
            if (i == bytes.size()) {
                atEnd = true;
                break;
            }
            const char c = bytes[i++];
            if (c == '\n') break;
            if (c == '\r') {
                if (i < bytes.size() && bytes[i] == '\n')
                    ++i;
                else if (!line.empty())
                    continue;
                break;
            }
            line += c;
            if (line.size() > 998) {
                tooLong = true;
                break;
            }
        }
        if (tooLong) {
            calls.push_back({9, delivered});
            continue;
        }
        delivered = line;
        calls.push_back({0, line});
        if (atEnd) {
            calls.push_back({1, line});
            return calls;
        }
    }
}

// Where two lists of calls first differ ("" when they do not), told shortly:
// the lists are too long to print whole.
std::string FirstDifference(const std::vector<Call>& got, const std::vector<Call>& want) {
    std::size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
    if (i == got.size() && i == want.size()) return "";
    const auto at = [i](const std::vector<Call>& calls) {
        return i < calls.size() ? ::testing::PrintToString(calls[i]) : std::string("none");
    };
    return "call " + std::to_string(i) + ": " + at(got) + " instead of " + at(want);
}

// Random files of 100 to 300 KiB, so that the reader's blocks end at every
// kind of byte: inside lines, between a CR and its LF, inside lines too long
// to deliver. Short lines, long lines and lines beyond the bound, with the
// control bytes that need a closer look. Windows' text mode changes CR LF
// before the reader sees it, so there the files hold no CR.
TEST(LineRules, BlockWiseReadingMatchesTheByteRules) {
#ifdef _WIN32
    const std::string special = std::string("\t\x0E\x8D\xFF", 4) + std::string(1, '\0');
#else
    const std::string special = std::string("\r\t\x0E\x8D\xFF", 5) + std::string(1, '\0');
#endif
    std::mt19937 rng(11);  // NOLINT(cert-msc32-c,cert-msc51-cpp): a fixed, replayable seed
    for (const unsigned lineEvery : {5U, 40U, 700U, 1100U}) {
        std::string bytes = lineEvery == 40 ? "\xEF\xBB\xBF" : "";
        const std::size_t size = std::size_t{100} * 1024 + rng() % (std::size_t{200} * 1024);
        while (bytes.size() < size) {
            const unsigned r = rng() % lineEvery;
            bytes += r == 0 ? '\n' : r == 1 ? special[rng() % special.size()] : 'a';
        }
        EXPECT_EQ(FirstDifference(ReadAll(bytes), ModelCalls(bytes)), "")
            << "a line end every " << lineEvery << " bytes";
    }
}

// A CR as the last byte of a file that ends in a short block: the bytes
// after it in the reader's 64 KiB block are left from the block before
// (here a line feed), and must not be taken for its LF.
TEST(LineRules, CrAtTheEndOfTheLastBlockEndsTheFile) {
    std::string bytes;
    for (int i = 0; i < 32768; ++i) bytes += "a\n";
    const std::vector<Call> calls = ReadAll(bytes + "c\nbb\r");
    ASSERT_EQ(calls.size(), 32771U);
    EXPECT_EQ(calls[32768], (Call{0, "c"}));
    EXPECT_EQ(calls[32769], (Call{0, "bb"}));
    EXPECT_EQ(calls[32770], (Call{1, "bb"}));
}

// GetLnHead reads line for line as GetLn does (results, states, the bound)
// and delivers the first byte of what GetLn delivers.
TEST(LineRules, HeadReadingFollowsLineReading) {
    std::string bytes = "\xEF\xBB\xBF/names\n\n\r\nx\ry\n" + k999 + "tail\n";
    for (int i = 0; i < 30000; ++i) bytes += i % 7 == 0 ? "/\n" : "12.5\n";
    bytes += k998 + "\nlast";
    TempFile file(bytes);
    RdTxtLn lines(file.Name());
    RdTxtLn heads(file.Name());
    std::string line = "?";
    std::string head = "?";
    for (int i = 0; lines.status == RdTxtLn::kReady; ++i) {
        const int result = lines.GetLn(line);
        ASSERT_EQ(heads.GetLnHead(head), result) << "line " << i;
        ASSERT_EQ(heads.status, lines.status) << "line " << i;
        ASSERT_EQ(head, result == RdTxtLn::kLineTooLong ? head : line.substr(0, 1)) << "line " << i;
    }
}

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
    const std::filesystem::path folder = TempFile::NewPath();
    std::filesystem::create_directory(folder);
    std::string line;
    for (int i = 0; i < 50; ++i) {
        RdTxtLn notAFile(folder.string());  // a folder: opened, found out, let go
        RdTxtLn atEnd(file.Name());
        while (atEnd.status == RdTxtLn::kReady) atEnd.GetLn(line);
        atEnd.Close();  // end of file: handle released, state kept
        RdTxtLn reopened(file.Name());
        reopened.ReOpen(file.Name());  // replaces a held handle
        RdTxtLn destroyedAtEnd(file.Name());
        while (destroyedAtEnd.status == RdTxtLn::kReady) destroyedAtEnd.GetLn(line);
    }
    EXPECT_EQ(OpenDescriptors(), before);
    std::filesystem::remove(folder);
}
#endif

}  // namespace
