// Fields and numbers: what GetFld picks out of a line and what StrToDbl makes
// of the text at its start.
#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "mylib/StrFunc.h"

using myLib::FindFld;
using myLib::GetFld;
using myLib::IsBlnk;
using myLib::QuickNumber;
using myLib::QuickValueLines;
using myLib::StrToDbl;
using myLib::WrittenNumber;

namespace {

TEST(IsBlnk, OnlySpaceAndTab) {
    for (int c = -128; c < 128; ++c) {
        EXPECT_EQ(IsBlnk(static_cast<char>(c)), c == ' ' || c == '\t') << c;
    }
}

struct FieldCase {
    std::string s;
    int n;
    std::string field;
};

class Fields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(Fields, PicksTheNthRunOfNonBlanks) {
    EXPECT_EQ(GetFld(GetParam().s, GetParam().n), GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(
    GetFld, Fields,
    ::testing::Values(FieldCase{"12.5", 0, "12.5"}, FieldCase{"  12.5 kg", 0, "12.5"},
                      FieldCase{"\t3", 0, "3"}, FieldCase{"x", 0, "x"}, FieldCase{" \t  ", 0, ""},
                      FieldCase{"", 0, ""}, FieldCase{"", 3, ""}, FieldCase{"a b", 1, "b"},
                      FieldCase{"a b", 2, ""}, FieldCase{"ab", 1, ""}, FieldCase{"a  b  ", 1, "b"},
                      FieldCase{"a b", -1, ""}, FieldCase{"a\tb\t\tc", 2, "c"},
                      FieldCase{"a b", INT_MIN, ""}, FieldCase{"a b", INT_MAX, ""},
                      FieldCase{"1\r2 3", 0, "1\r2"}, FieldCase{"\v1 2", 0, "\v1"},
                      FieldCase{std::string("a\0b c", 5), 0, std::string("a\0b", 3)}));

// The fields of s as a plain reading of the rule gives them: the runs of
// bytes that are neither a space nor a tab.
std::vector<std::string> BlankRuns(const std::string& s) {
    std::vector<std::string> runs;
    std::string run;
    for (const char c : s) {
        if (c == ' ' || c == '\t') {
            if (!run.empty()) runs.push_back(run);
            run.clear();
        } else {
            run += c;
        }
    }
    if (!run.empty()) runs.push_back(run);
    return runs;
}

// Random lines of bytes close to the blanks (0x08, 0x0A, 0x20 and 0x09 with
// the high bit, 0x21...), long enough to be scanned eight bytes at a time:
// every field GetFld picks is that run.
TEST(GetFld, PicksTheRunsOfRandomLines) {
    const char bytes[] = {' ',    '\t',   'a',    '1',    '\x08', '\x0A',
                          '\x21', '\x1F', '\xA0', '\x89', '\0',   '\xFF'};
    std::mt19937 rng(7);  // NOLINT(cert-msc32-c,cert-msc51-cpp): a fixed, replayable seed
    for (int i = 0; i < 20000; ++i) {
        std::string line(rng() % 48, ' ');
        for (char& c : line) c = bytes[rng() % sizeof bytes];
        const std::vector<std::string> runs = BlankRuns(line);
        for (int n = 0; n <= static_cast<int>(runs.size()); ++n) {
            const std::string expected = n < static_cast<int>(runs.size()) ? runs[n] : "";
            ASSERT_EQ(GetFld(line, n), expected)
                << "field " << n << " of a line of " << line.size() << " bytes";
        }
    }
}

struct NumberCase {
    std::string s;
    double value;
};

class Numbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(Numbers, ReadsTheNumberAtTheStart) {
    EXPECT_EQ(static_cast<double>(StrToDbl(GetParam().s)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    StrToDbl, Numbers,
    ::testing::Values(NumberCase{"12.5", 12.5}, NumberCase{"1e3", 1000}, NumberCase{"1.5e+2", 150},
                      NumberCase{"-0.25", -0.25}, NumberCase{"+3", 3}, NumberCase{".5", 0.5},
                      NumberCase{"7kg", 7}, NumberCase{"5.", 5}, NumberCase{"1,5", 1},
                      NumberCase{"0x10", 0}, NumberCase{" \t\n\v\f\r42", 42},
                      NumberCase{"2E-2", 0.02}, NumberCase{"1e-400", 0.0},
                      NumberCase{"4e-320", std::strtod("4e-320", nullptr)},
                      NumberCase{"1.7976931348623157e308", 1.7976931348623157e308},
                      NumberCase{"0.1", 0.1}, NumberCase{"10000000.1", 10000000.1},
                      // At the edges of the quick conversion (15 digits, 10^22)
                      // and just beyond them, where the full one takes over.
                      NumberCase{"123456789012345", 123456789012345.0},
                      NumberCase{"9007199254740993", 9007199254740992.0}, NumberCase{"1e22", 1e22},
                      NumberCase{"1e23", 1e23}, NumberCase{"1e-22", 1e-22},
                      NumberCase{"0.0000000000000000000000001", 1e-25},
                      NumberCase{"000000000000000000001.5", 1.5},
                      NumberCase{"1.00000000000000000000000001", 1.0}));

// Random decimals of 1 to 18 digits with a point anywhere and exponents
// around every power of ten a double holds exactly: the number equals the
// one std::from_chars reads from the same text, bit for bit (zero's sign too).
TEST(StrToDbl, AgreesWithTheLibraryConversionOnRandomDecimals) {
    std::mt19937_64 rng(20261209);  // NOLINT(cert-msc32-c,cert-msc51-cpp): a fixed, replayable seed
    for (int i = 0; i < 200000; ++i) {
        std::string text = (rng() % 3 == 0) ? "-" : "";
        const int digits = 1 + static_cast<int>(rng() % 18);
        const int point = static_cast<int>(rng() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point && d > 0) text += '.';
            text += static_cast<char>('0' + rng() % 10);
        }
        if (rng() % 2 == 0) text += "e" + std::to_string(static_cast<int>(rng() % 61) - 30);
        double expected = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        const auto got = static_cast<double>(StrToDbl(text));
        ASSERT_TRUE(got == expected && std::signbit(got) == std::signbit(expected))
            << text << " gives " << got << ", not " << expected;
    }
}

// Where the number ends tells a field that is wholly a number from one that
// only starts with one; 0 where no number is read.
struct EndCase {
    std::string s;
    std::size_t end;
    friend void PrintTo(const EndCase& c, std::ostream* os) { *os << "\"" << c.s << "\""; }
};

class NumberEnds : public ::testing::TestWithParam<EndCase> {};

TEST_P(NumberEnds, AtTheFirstByteAfterTheNumber) {
    std::size_t end = 99;
    const double value = static_cast<double>(StrToDbl(GetParam().s, end));
    EXPECT_EQ(end, GetParam().end) << GetParam().s;
    EXPECT_EQ(std::isnan(value), GetParam().end == 0) << GetParam().s;
}

INSTANTIATE_TEST_SUITE_P(StrToDbl, NumberEnds,
                         ::testing::Values(EndCase{"12.5", 4}, EndCase{"1,234", 1},
                                           EndCase{"3,6", 1}, EndCase{"0x10", 1}, EndCase{"2kg", 1},
                                           EndCase{" 7", 2}, EndCase{"007", 3}, EndCase{"1e5x", 3},
                                           EndCase{"1e-400", 6}, EndCase{"", 0}, EndCase{"NA", 0},
                                           EndCase{"7e", 0}, EndCase{"1e400", 0}, EndCase{"-", 0},
                                           EndCase{".", 0}));

class Failures : public ::testing::TestWithParam<std::string> {};

TEST_P(Failures, GiveQuietNanWithClearSign) {
    const double v = static_cast<double>(StrToDbl(GetParam()));
    EXPECT_TRUE(std::isnan(v));
    EXPECT_FALSE(std::signbit(v));
}

INSTANTIATE_TEST_SUITE_P(StrToDbl, Failures,
                         ::testing::Values("7e", "7E+", "3em", "", " ", ".", "-", "+", "abc", "inf",
                                           "nan", "-inf", "e5", "1e400", "-1e400", "--1",
                                           std::string("\0"
                                                       "1",
                                                       2)));

// The common way a value line's number is read: its first blank-separated
// field, wholly a number, and that number as written.
struct CommonRead {
    bool whole = false;
    double value = 0.0;
    WrittenNumber written;
};

CommonRead ReadTheCommonWay(const std::string& line) {
    CommonRead read;
    std::size_t begin = 0;
    std::size_t end = 0;
    if (!FindFld(line, 0, begin, end)) return read;
    const char* stop = nullptr;
    read.value =
        static_cast<double>(StrToDbl(line.data() + begin, line.data() + end, stop, read.written));
    read.whole = stop == line.data() + end && stop != line.data() + begin;
    return read;
}

// Random value lines, of every piece the quick reader meets, each alone in a
// buffer of its exact size (so that no word is read past it): whatever line
// it takes has a first field wholly a number, with the value, digits and
// power of ten the common way gives, and it ends after the line end.
TEST(QuickValueLines, AgreeWithTheCommonWayOnRandomLines) {
    std::mt19937_64 rng(20261210);  // NOLINT(cert-msc32-c,cert-msc51-cpp): a fixed, replayable seed
    const auto pick = [&rng](std::initializer_list<const char*> pieces) {
        return std::string(*(pieces.begin() + rng() % pieces.size()));
    };
    int taken = 0;
    for (int i = 0; i < 300000; ++i) {
        std::string text = pick({"", "", "", " ", "\t "}) + pick({"", "", "-", "+"});
        const int digits = static_cast<int>(rng() % 19);
        const int point = static_cast<int>(rng() % (digits + 2)) - 1;
        for (int d = 0; d < digits; ++d) {
            if (d == point) text += '.';
            text += static_cast<char>('0' + (rng() % 4 == 0 ? 0 : rng() % 10));
        }
        if (point == digits) text += '.';
        if (rng() % 5 == 0)
            text += pick({"e", "E"}) + pick({"", "-", "+"}) + std::to_string(rng() % 30);
        if (rng() % 9 == 0) text += pick({"e", "x", "kg", ",5", ".5", "e99999", "\v"});
        if (rng() % 4 == 0) text += pick({" ", "\t", " 7 8", " \v\0x", "  abc"});
        text += pick({"\n", "\n", "\n", "\r\n", "\r", "\rx\n", ""});
        // What follows the line: sometimes enough for the two-word way.
        if (rng() % 3 == 0) text += pick({"12.5\n", "x", "\n", "                    x\n"});
        const std::vector<char> buffer(text.begin(), text.end());
        const char* p = buffer.data();
        QuickNumber number;
        if (QuickValueLines(p, buffer.data() + buffer.size(), buffer.data() + buffer.size(), 998,
                            &number, 1) == 0) {
            ASSERT_EQ(p, buffer.data()) << text;
            continue;
        }
        ++taken;
        // The line up to its line feed, a CR before it taken off: it holds no other CR.
        const std::size_t feed = text.find('\n');
        ASSERT_NE(feed, std::string::npos) << text;
        ASSERT_EQ(p, buffer.data() + feed + 1) << text;
        const std::string line =
            text.substr(0, feed > 0 && text[feed - 1] == '\r' ? feed - 1 : feed);
        ASSERT_EQ(line.find('\r'), std::string::npos) << text;
        const CommonRead read = ReadTheCommonWay(line);
        ASSERT_TRUE(read.whole && read.written.known) << text;
        ASSERT_TRUE(number.value == read.value &&
                    std::signbit(number.value) == std::signbit(read.value))
            << text << " gives " << number.value << ", not " << read.value;
        ASSERT_EQ(number.digits, read.written.digits) << text;
        ASSERT_EQ(number.scale, read.written.scale) << text;
    }
    EXPECT_GT(taken, 100000);
}

// What the quick reader must take (the lines people and programs write, at
// the edges of its two ways) and what it must leave to the common way.
struct QuickCase {
    std::string text;
    std::size_t lines;  // how many it takes
};

class QuickLines : public ::testing::TestWithParam<QuickCase> {};

TEST_P(QuickLines, TakeTheCommonLinesAndLeaveTheRest) {
    const std::vector<char> buffer(GetParam().text.begin(), GetParam().text.end());
    const char* p = buffer.data();
    QuickNumber numbers[8];
    EXPECT_EQ(QuickValueLines(p, buffer.data() + buffer.size(), buffer.data() + buffer.size(), 998,
                              numbers, 8),
              GetParam().lines)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    StrFunc, QuickLines,
    ::testing::Values(QuickCase{"103.456789\n-0.5\n12\n", 3},
                      QuickCase{"1234567.1234567\n1234567.1234567\n", 2},
                      QuickCase{"12345678.5\n123456789012345\n1.5e-7\n 7 kg\n", 4},
                      QuickCase{"5\r\n6\t\n7 x y\n", 3}, QuickCase{"0.000000000000001\n", 1},
                      QuickCase{"1234567890123456\n", 0}, QuickCase{"1e23\n", 0},
                      QuickCase{"5\r6\n", 0}, QuickCase{"5kg\n", 0}, QuickCase{"\n", 0},
                      QuickCase{"12:30\n", 0}, QuickCase{"12345:7\n", 0}, QuickCase{"/ end\n", 0},
                      QuickCase{"1e\n", 0}, QuickCase{".\n", 0}, QuickCase{"12.5", 0},
                      QuickCase{"1\n2", 1}, QuickCase{std::string(998, ' ') + "\n", 0},
                      QuickCase{"7" + std::string(997, ' ') + "\n", 1},
                      QuickCase{"7" + std::string(998, ' ') + "\n", 0}));

}  // namespace
