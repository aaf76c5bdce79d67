// Fields and numbers: what GetFld picks out of a line and what StrToDbl makes
// of the text at its start.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

#include "mylib/StrFunc.h"

using myLib::GetFld;
using myLib::IsBlnk;
using myLib::StrToDbl;

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
                      NumberCase{"0.1", 0.1}, NumberCase{"10000000.1", 10000000.1}));

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

}  // namespace
