// Quantiles at exact probabilities: the values at twelve probabilities over
// sets with ties, signs, huge and tiny values, against numbers computed once
// with Python's fractions over each value's shortest decimal (the exact type-7
// value, rounded once to the nearest double) and written here as hex floats;
// the probability parser; exact positions at the largest count; the NaN rule
// and infinities.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "app/Quantiles.h"

using descstat::ComputeQuantiles;
using descstat::Probability;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The probabilities of the oracle tables, in this order: ends, quartiles,
// the 95% interval, a third cut at nine decimals, and the nine-decimal edges.
constexpr std::size_t kCount = 12;
const char* const kProbabilities[kCount] = {"0",    "1",     "0.5",         "0.25",
                                            "0.75", "0.025", "0.975",       "0.333333333",
                                            "0.1",  "0.9",   "0.999999999", "0.000000001"};

using Quantiles = std::array<double, kCount>;

std::vector<Probability> Parsed() {
    std::vector<Probability> parsed;
    for (const char* text : kProbabilities) {
        Probability p{};
        EXPECT_TRUE(descstat::ParseProbability(text, p)) << text;
        parsed.push_back(p);
    }
    return parsed;
}

// Equal to the last bit, the sign of a zero included; NaN equals NaN.
::testing::AssertionResult Same(double got, double expected) {
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    std::memcpy(&a, &got, sizeof a);
    std::memcpy(&b, &expected, sizeof b);
    if (a == b || (std::isnan(got) && std::isnan(expected))) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << std::hexfloat << got << " is not " << expected;
}

// The quantiles of `values` at the given probabilities, on a copy.
std::vector<double> QuantilesOf(std::vector<double> values, const std::vector<Probability>& ps) {
    std::vector<double> q(ps.size(), 0.0);
    ComputeQuantiles(values.data(), static_cast<std::int32_t>(values.size()), ps.data(), ps.size(),
                     q.data());
    return q;
}

struct OracleCase {
    const char* name;
    std::vector<double> values;
    Quantiles expected;
    friend void PrintTo(const OracleCase& c, std::ostream* os) { *os << c.name; }
};

class OracleQuantiles : public ::testing::TestWithParam<OracleCase> {};

// Every order of the values, every probability alone (the ends then found
// with nothing selected) and all of them together, twice and out of order,
// give the oracle's numbers.
TEST_P(OracleQuantiles, MatchTheExactValueRoundedOnce) {
    const OracleCase& c = GetParam();
    const std::vector<Probability> ps = Parsed();
    std::vector<Probability> twice = ps;
    twice.insert(twice.end(), ps.rbegin(), ps.rend());
    std::vector<std::vector<double>> orders = {c.values, {c.values.rbegin(), c.values.rend()}};
    std::mt19937 shuffler(7);  // NOLINT(cert-msc32-c,cert-msc51-cpp): replayable orders
    for (int i = 0; i < 4; ++i) {
        orders.push_back(c.values);
        std::shuffle(orders.back().begin(), orders.back().end(), shuffler);
    }
    for (std::size_t o = 0; o < orders.size(); ++o) {
        const std::vector<double> all = QuantilesOf(orders[o], twice);
        for (std::size_t i = 0; i < kCount; ++i) {
            const double alone = QuantilesOf(orders[o], {ps[i]})[0];
            EXPECT_TRUE(Same(alone, c.expected[i]))
                << "p = " << kProbabilities[i] << ", order " << o;
            EXPECT_TRUE(Same(all[i], c.expected[i]))
                << "p = " << kProbabilities[i] << ", order " << o;
            EXPECT_TRUE(Same(all[2 * kCount - 1 - i], c.expected[i]))
                << "p = " << kProbabilities[i];
        }
    }
}

// A thousand values with ties: 251 levels, each about four times.
std::vector<double> ManyValues() {
    std::vector<double> values;
    values.reserve(1009);
    for (int k = 0; k < 1009; ++k) values.push_back(((k * 7919) % 251 - 125) * 0.375);
    return values;
}

INSTANTIATE_TEST_SUITE_P(
    Sets, OracleQuantiles,
    ::testing::Values(
        OracleCase{
            "ties",
            {0x1.0000000000000p+1, 0x1.0000000000000p+1, 0x1.0000000000000p+0, 0x1.0000000000000p+1,
             0x1.8000000000000p+1, 0x1.0000000000000p+1, 0x1.0000000000000p+1},
            {0x1.0000000000000p+0, 0x1.8000000000000p+1, 0x1.0000000000000p+1, 0x1.0000000000000p+1,
             0x1.0000000000000p+1, 0x1.2666666666666p+0, 0x1.6cccccccccccdp+1, 0x1.0000000000000p+1,
             0x1.999999999999ap+0, 0x1.3333333333333p+1, 0x1.7ffffff31d771p+1,
             0x1.00000019c511ep+0}},
        OracleCase{"negatives",
                   {-0x1.0000000000000p+0, -0x1.4000000000000p+2, -0x1.0000000000000p+1,
                    -0x1.0000000000000p+2, -0x1.8000000000000p+1, -0x1.8000000000000p+2},
                   {-0x1.8000000000000p+2, -0x1.0000000000000p+0, -0x1.c000000000000p+1,
                    -0x1.3000000000000p+2, -0x1.2000000000000p+1, -0x1.7800000000000p+2,
                    -0x1.2000000000000p+0, -0x1.155555571f769p+2, -0x1.6000000000000p+2,
                    -0x1.8000000000000p+0, -0x1.00000015798eep+0, -0x1.7ffffffaa19c4p+2}},
        OracleCase{"huge values whose differences overflow",
                   {0x1.e42d130773b76p+1023, 0x1.c7b1f3cac7433p+1023, -0x1.e42d130773b76p+1023,
                    0x1.f26aa2a5c9f18p+1023, -0x1.fffffffffffffp+1023},
                   {-0x1.fffffffffffffp+1023, 0x1.f26aa2a5c9f18p+1023, 0x1.c7b1f3cac7433p+1023,
                    -0x1.e42d130773b76p+1023, 0x1.e42d130773b76p+1023, -0x1.fd37b51a585f1p+1023,
                    0x1.f0fe144927b88p+1023, -0x1.55c577022205ep+1022, -0x1.f4ded469617c8p+1023,
                    0x1.ecb86933410d7p+1023, 0x1.f26aa2a4d54b4p+1023, -0x1.fffffffe21fd0p+1023}},
        // The median is a tie between 1 and its neighbour: to even, 1.
        OracleCase{"neighbours one ulp apart",
                   {0x1.0000000000000p+0, 0x1.0000000000001p+0, 0x1.0000000000002p+0,
                    0x1.0000000000000p+0},
                   {0x1.0000000000000p+0, 0x1.0000000000002p+0, 0x1.0000000000000p+0,
                    0x1.0000000000000p+0, 0x1.0000000000001p+0, 0x1.0000000000000p+0,
                    0x1.0000000000002p+0, 0x1.0000000000000p+0, 0x1.0000000000000p+0,
                    0x1.0000000000002p+0, 0x1.0000000000002p+0, 0x1.0000000000000p+0}},
        // At 0.1 a fifth of the smallest subnormal: +0. The values count as
        // their shortest decimals (5e-324, 1e-323, ...), so the third quartile,
        // 2.25e-323, is nearer five units of 4.94e-324 than four.
        OracleCase{"subnormals",
                   {0x0.0000000000001p-1022, 0x0.0000000000002p-1022, 0x0.0000000000003p-1022,
                    0x0.0000000000004p-1022, 0x0.0000000000005p-1022, 0x0.0000000000006p-1022,
                    -0x0.0000000000001p-1022},
                   {-0x0.0000000000001p-1022, 0x0.0000000000006p-1022, 0x0.0000000000003p-1022,
                    0x0.0000000000002p-1022, 0x0.0000000000005p-1022, -0x0.0000000000001p-1022,
                    0x0.0000000000006p-1022, 0x0.0000000000002p-1022, 0.0, 0x0.0000000000005p-1022,
                    0x0.0000000000006p-1022, -0x0.0000000000001p-1022}},
        OracleCase{
            "zeros of both signs",
            {-0.0, 0x1.8000000000000p+1, -0x1.0000000000000p+1, 0.0, 0x1.0000000000000p+0, -0.0},
            {-0x1.0000000000000p+1, 0x1.8000000000000p+1, 0.0, 0.0, 0x1.8000000000000p-1,
             -0x1.c000000000000p+0, 0x1.6000000000000p+1, 0.0, -0x1.0000000000000p+0,
             0x1.0000000000000p+1, 0x1.7fffffea86712p+1, -0x1.ffffffd50ce24p+0}},
        // A zero that is an end, an order statistic or between two is +0.
        OracleCase{
            "negative zero first",
            {-0.0, 0x1.8000000000000p+1, -0.0, 0.0, 0x1.0000000000000p+0},
            {0.0, 0x1.8000000000000p+1, 0.0, 0.0, 0x1.0000000000000p+0, 0.0, 0x1.6666666666666p+1,
             0.0, 0.0, 0x1.199999999999ap+1, 0x1.7fffffeed1f41p+1, 0.0}},
        OracleCase{
            "negative zero last",
            {-0x1.0000000000000p+0, -0.0, -0.0},
            {-0x1.0000000000000p+0, 0.0, 0.0, -0x1.0000000000000p-1, 0.0, -0x1.e666666666666p-1,
             0.0, -0x1.55555560c95d4p-2, -0x1.999999999999ap-1, 0.0, 0.0, -0x1.ffffffeed1f41p-1}},
        OracleCase{"mixed magnitudes",
                   {0x1.921fb54442d18p+1, -0x1.74876e8000000p+34, 0x1.56e1fc2f8f359p-997,
                    0x1.c000000000000p+2, 0x1.999999999999ap-4, -0x1.3333333333333p-2,
                    0x1.d6f3454000000p+26, 0x1.0000000000000p+60, -0x1.4f8b588e368f1p-17,
                    0x1.5000000000000p+5, 0x1.999999999999ap-3},
                   {-0x1.74876e8000000p+34, 0x1.0000000000000p+60, 0x1.999999999999ap-3,
                    -0x1.4f8b588e368f1p-18, 0x1.8800000000000p+4, -0x1.176592e004ccdp+34,
                    0x1.800000003ade7p+59, 0x1.111110e340f15p-5, -0x1.3333333333333p-2,
                    0x1.d6f3454000000p+26, 0x1.ffffffaa19c48p+59, -0x1.74876e4180000p+34}},
        OracleCase{"one value",
                   {-0x1.4000000000000p+1},
                   {-0x1.4p+1, -0x1.4p+1, -0x1.4p+1, -0x1.4p+1, -0x1.4p+1, -0x1.4p+1, -0x1.4p+1,
                    -0x1.4p+1, -0x1.4p+1, -0x1.4p+1, -0x1.4p+1, -0x1.4p+1}},
        OracleCase{"two values",
                   {0x1.3333333333334p-2, 0x1.999999999999ap-4},
                   {0x1.999999999999ap-4, 0x1.3333333333334p-2, 0x1.999999999999ap-3,
                    0x1.3333333333334p-3, 0x1.0000000000001p-2, 0x1.ae147ae147ae1p-4,
                    0x1.2e147ae147ae2p-2, 0x1.555555530aed6p-3, 0x1.eb851eb851eb9p-4,
                    0x1.1eb851eb851ecp-2, 0x1.3333332fc3974p-2, 0x1.999999a758098p-4}},
        OracleCase{"a thousand values with ties",
                   ManyValues(),
                   {-0x1.7700000000000p+5, 0x1.7700000000000p+5, 0.0, -0x1.7a00000000000p+4,
                    0x1.7400000000000p+4, -0x1.6500000000000p+5, 0x1.6500000000000p+5,
                    -0x1.f800000000000p+3, -0x1.2c9999999999ap+5, 0x1.2c00000000000p+5,
                    0x1.7700000000000p+5, -0x1.7700000000000p+5}}));

struct NoNumberCase {
    const char* name;
    std::vector<double> values;
};

// No values, or a NaN anywhere (first, last, alone): every quantile is NaN.
TEST(QuantilesTest, AreNoNumbersWithoutValuesOrWithANaN) {
    const NoNumberCase cases[] = {{"no values", {}},
                                  {"NaN first", {kNaN, 1.0, 2.0}},
                                  {"NaN last", {1.0, 2.0, 3.0, kNaN}},
                                  {"NaN alone", {kNaN}}};
    for (const NoNumberCase& c : cases) {
        for (const double q : QuantilesOf(c.values, Parsed())) EXPECT_TRUE(std::isnan(q)) << c.name;
    }
}

// A probability that is none gives NaN there and leaves the others alone.
TEST(QuantilesTest, AreNoNumberAtAnInvalidProbabilityOnly) {
    const std::vector<Probability> ps = {{1, 3}, {5, 10}, {11, 10}, {0, 0}, {1, 1}};
    const std::vector<double> q = QuantilesOf({4.0, 1.0, 3.0, 2.0}, ps);
    EXPECT_TRUE(std::isnan(q[0]));
    EXPECT_TRUE(Same(q[1], 2.5));
    EXPECT_TRUE(std::isnan(q[2]));
    EXPECT_TRUE(std::isnan(q[3]));
    EXPECT_TRUE(Same(q[4], 4.0));
}

struct InfinityCase {
    std::vector<double> values;
    double median;
};

// Infinities interpolate as IEEE arithmetic does: towards one, it; between
// both, no number.
TEST(QuantilesTest, TakeInfinitiesAsArithmeticDoes) {
    const InfinityCase cases[] = {{{1.0, kInf}, kInf},
                                  {{-kInf, 1.0}, -kInf},
                                  {{-kInf, kInf}, kNaN},
                                  {{kInf, kInf}, kInf},
                                  {{-kInf, -kInf, 5.0}, -kInf}};
    for (const InfinityCase& c : cases) {
        EXPECT_TRUE(Same(QuantilesOf(c.values, {{5, 10}})[0], c.median)) << c.values[0];
    }
}

struct ParseCase {
    const char* text;
    bool accepted;
    std::uint32_t numerator;
    std::uint32_t denominator;
};

// Exactly "0", "1" or a decimal of one to nine places no larger than 1.
TEST(ProbabilityTest, ParsesDecimalsFromZeroToOneOnly) {
    const ParseCase cases[] = {
        {"0", true, 0, 1},
        {"1", true, 1, 1},
        {"0.975", true, 975, 1000},
        {"0.5", true, 5, 10},
        {"0.50", true, 50, 100},
        {"1.000", true, 1000, 1000},
        {"0.000000001", true, 1, 1000000000},
        {"0.999999999", true, 999999999, 1000000000},
        {"1.000000000", true, 1000000000, 1000000000},
        {"", false, 0, 0},
        {".5", false, 0, 0},
        {"0.", false, 0, 0},
        {"1.", false, 0, 0},
        {"+0.5", false, 0, 0},
        {"-0", false, 0, 0},
        {" 0.5", false, 0, 0},
        {"0.5 ", false, 0, 0},
        {"1.5", false, 0, 0},
        {"1.000000001", false, 0, 0},
        {"2", false, 0, 0},
        {"00.5", false, 0, 0},
        {"0,5", false, 0, 0},
        {"5e-1", false, 0, 0},
        {"0.5e0", false, 0, 0},
        {"0.1234567890", false, 0, 0},
        {"0.0000000000", false, 0, 0},
        {"0x1", false, 0, 0},
        {"nan", false, 0, 0},
        {"0.9a", false, 0, 0},
    };
    for (const ParseCase& c : cases) {
        Probability p{7, 7};
        EXPECT_EQ(descstat::ParseProbability(c.text, p), c.accepted) << '"' << c.text << '"';
        const Probability expected =
            c.accepted ? Probability{c.numerator, c.denominator} : Probability{7, 7};
        EXPECT_EQ(p.numerator, expected.numerator) << c.text;
        EXPECT_EQ(p.denominator, expected.denominator) << c.text;
    }
}

struct ValidityCase {
    Probability p;
    bool valid;
};

TEST(ProbabilityTest, HasAPowerOfTenBelowItsNumerator) {
    const ValidityCase cases[] = {
        {{0, 1}, true},
        {{1, 1}, true},
        {{999999999, 1000000000}, true},
        {{3, 100}, true},
        {{1, 3}, false},
        {{0, 0}, false},
        {{11, 10}, false},
        {{1, 4000000000u}, false},
        {{2, 1}, false},
        {{1, 100000000}, true},
        {{1, 20}, false},
    };
    for (const ValidityCase& c : cases) {
        EXPECT_EQ(descstat::IsProbability(c.p), c.valid) << c.p.numerator << '/' << c.p.denominator;
    }
}

struct PositionCase {
    const char* probability;
    std::int32_t index;
    std::uint32_t part;
};

// At the largest count (n − 1)·p passes 2^32 and the position stays exact
// (by Python's fractions).
TEST(ProbabilityTest, PositionIsExactAtTheLargestCount) {
    const PositionCase cases[] = {{"0.999999999", 2147483643, 852516354},
                                  {"0.000000001", 2, 147483646},
                                  {"0.5", 1073741823, 0},
                                  {"0.123456789", 265121435, 365172694},
                                  {"1", 2147483646, 0}};
    for (const PositionCase& c : cases) {
        Probability p{};
        ASSERT_TRUE(descstat::ParseProbability(c.probability, p));
        const descstat::QuantilePosition at = descstat::PositionOf(p, 2147483647);
        EXPECT_EQ(at.index, c.index) << c.probability;
        EXPECT_EQ(at.part, c.part) << c.probability;
        EXPECT_EQ(at.denominator, p.denominator) << c.probability;
    }
}

}  // namespace
