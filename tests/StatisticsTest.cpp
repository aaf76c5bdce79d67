// Statistics step: the printed results of small data, the cases with too few
// values, and accuracy on data far from zero.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/Decimal.h"
#include "app/Options.h"
#include "app/Report.h"
#include "app/Statistics.h"

using descstat::ComputeResults;
using descstat::Results;

namespace {

std::string Printed(double v) {
    char text[descstat::kNumberChars];
    return std::string(text, descstat::FormatNumber(text, v, descstat::kDefaultDigits));
}

struct PrintedCase {
    const char* name;
    std::vector<double> values;
    std::vector<std::string> results;  // mean, variance, SD, unbiased variance, its SD
    friend void PrintTo(const PrintedCase& c, std::ostream* os) { *os << c.name; }
};

class PrintedResults : public ::testing::TestWithParam<PrintedCase> {};

TEST_P(PrintedResults, MatchTheReportFormat) {
    const auto& values = GetParam().values;
    const Results r = ComputeResults(values.data(), static_cast<std::int32_t>(values.size()));
    const std::vector<std::string> printed = {Printed(r.mean), Printed(r.variance), Printed(r.sd),
                                              Printed(r.unbiasedVariance), Printed(r.unbiasedSd)};
    EXPECT_EQ(printed, GetParam().results);
}

const double kNaN = std::nan("");

INSTANTIATE_TEST_SUITE_P(
    Statistics, PrintedResults,
    ::testing::Values(
        PrintedCase{"Sample",
                    {12.5, 13, 11.75},
                    {"12.4167", "0.263889", "0.513701", "0.395833", "0.629153"}},
        PrintedCase{"AllEqual", {2, 2, 2, 2}, {"2", "0", "0", "0", "0"}},
        PrintedCase{"AllEqualTenths", {0.1, 0.1, 0.1}, {"0.1", "0", "0", "0", "0"}},
        PrintedCase{"OneAndThree", {1, 3}, {"2", "1", "1", "2", "1.41421"}},
        PrintedCase{"SumBeyondDoubleRange", {1e308, 1e308}, {"1e+308", "0", "0", "0", "0"}},
        PrintedCase{"NoValues", {}, {"nan", "nan", "nan", "nan", "nan"}},
        PrintedCase{"OneValue", {-4.5}, {"-4.5", "0", "0", "nan", "nan"}},
        PrintedCase{"NanValue", {1, kNaN, 3}, {"nan", "nan", "nan", "nan", "nan"}},
        PrintedCase{"NegativeNanValue", {-kNaN}, {"nan", "nan", "nan", "nan", "nan"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The NumAcc data: a first value, then pairs of values either side of it.
std::vector<double> NumAcc(double first, double low, double high, int pairs) {
    std::vector<double> v{first};
    for (int i = 0; i < pairs; ++i) {
        v.push_back(low);
        v.push_back(high);
    }
    return v;
}

// A NIST StRD univariate set with its certified values, which are exact over
// the decimals in the file: each result must be the double nearest to them.
struct AccuracyCase {
    const char* name;
    std::vector<double> values;
    std::vector<const char*> certified;  // mean, variance, SD, unbiased variance, its SD
    friend void PrintTo(const AccuracyCase& c, std::ostream* os) { *os << c.name; }
};

class Accuracy : public ::testing::TestWithParam<AccuracyCase> {};

TEST_P(Accuracy, CertifiedValuesToTheLastBit) {
    const auto& v = GetParam().values;
    const Results r = ComputeResults(v.data(), static_cast<std::int32_t>(v.size()));
    const double got[] = {r.mean, r.variance, r.sd, r.unbiasedVariance, r.unbiasedSd};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(got[i], std::strtod(GetParam().certified[i], nullptr)) << i;
    }
}

// NumAcc1 to 4; the population variance is the certified 0.01 times
// 1000/1001 (2/3 for NumAcc1), and its SD that root, both correctly rounded.
INSTANTIATE_TEST_SUITE_P(
    Statistics, Accuracy,
    ::testing::Values(
        AccuracyCase{"NumAcc1",
                     {10000001, 10000003, 10000002},
                     {"10000002", "0.6666666666666666", "0.816496580927726", "1", "1"}},
        AccuracyCase{"NumAcc2",
                     NumAcc(1.2, 1.1, 1.3, 500),
                     {"1.2", "0.00999000999000999", "0.09995003746877731", "0.01", "0.1"}},
        AccuracyCase{"NumAcc3",
                     NumAcc(1000000.2, 1000000.1, 1000000.3, 500),
                     {"1000000.2", "0.00999000999000999", "0.09995003746877731", "0.01", "0.1"}},
        AccuracyCase{"NumAcc4",
                     NumAcc(10000000.2, 10000000.1, 10000000.3, 500),
                     {"10000000.2", "0.00999000999000999", "0.09995003746877731", "0.01", "0.1"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Results against the exact value of each over the values' shortest decimals,
// correctly rounded (expected values computed with exact fractions of Python's
// repr of each value, outside this code). Compared as doubles, so
// every bit counts, not only the six printed digits.
struct ExactCase {
    const char* name;
    std::vector<double> values;
    std::vector<const char*> results;  // mean, variance, SD, unbiased variance, its SD
    friend void PrintTo(const ExactCase& c, std::ostream* os) { *os << c.name; }
};

class ExactResults : public ::testing::TestWithParam<ExactCase> {};

TEST_P(ExactResults, AreTheExactValuesRoundedOnce) {
    const auto& v = GetParam().values;
    const Results r = ComputeResults(v.data(), static_cast<std::int32_t>(v.size()));
    const double got[] = {r.mean, r.variance, r.sd, r.unbiasedVariance, r.unbiasedSd};
    const char* const names[] = {"mean", "variance", "SD", "unbiased variance", "unbiased SD"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(got[i], std::strtod(GetParam().results[static_cast<std::size_t>(i)], nullptr))
            << names[i] << " " << std::hexfloat << got[i];
    }
}

// 100 values about 1e168, 1e152 apart: their squares overflow a double.
std::vector<double> Near1e168() {
    std::vector<double> v(100);
    for (int i = 0; i < 100; ++i) v[static_cast<std::size_t>(i)] = 1e168 + i * 1e152;
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Statistics, ExactResults,
    ::testing::Values(
        // Cancellation: a large pair cancels.
        ExactCase{"Third",
                  {1e+20, 1, -1e+20},
                  {"0.3333333333333333", "6.666666666666666e+39", "8.16496580927726e+19", "1e+40",
                   "1e+20"}},
        ExactCase{
            "Half",
            {1e+16, 1, -1e+16, 1},
            {"0.5", "5e+31", "7071067811865475.0", "6.666666666666667e+31", "8164965809277260.0"}},
        ExactCase{"NearMax",
                  {1.7e+308, -1.7e+308, 1},
                  {"0.3333333333333333", "inf", "1.3880441875771342e+308", "inf", "1.7e+308"}},
        // Overflow of an intermediate only.
        ExactCase{"SumOverflows",
                  {1.5e+308, -1.5e+308, 1.5e+308},
                  {"5e+307", "inf", "1.4142135623730951e+308", "inf", "1.7320508075688772e+308"}},
        ExactCase{"SquaresOverflow",
                  {1.3e+154, -1.3e+154},
                  {"0.0", "1.69e+308", "1.3e+154", "inf", "1.8384776310850235e+154"}},
        ExactCase{"VarianceOverflowsSdDoesNot",
                  {1e+308, -1e+308},
                  {"0.0", "inf", "1e+308", "inf", "1.4142135623730951e+308"}},
        ExactCase{"IdenticalHuge",
                  {1e+300, 1e+300, 1e+300, 1e+300, 1e+300, 1e+300, 1e+300},
                  {"1e+300", "0.0", "0.0", "0.0", "0.0"}},
        // Overflow of the result.
        ExactCase{"MaxAndMinusMax",
                  {1.7976931348623157e+308, 1.7976931348623157e+308, -1.7976931348623157e+308},
                  {"5.992310449541053e+307", "inf", "1.6948813415381948e+308", "inf", "inf"}},
        ExactCase{"WholeRange",
                  {1e-308, 1.79e+308, -1e-300, 3.0},
                  {"4.475e+307", "inf", "7.750927363870726e+307", "inf", "8.95e+307"}},
        // Underflow and subnormal results.
        ExactCase{"SubnormalVariance",
                  {1e-200, 2e-200},
                  {"1.5e-200", "0.0", "5e-201", "0.0", "7.071067811865475e-201"}},
        ExactCase{"SubnormalVarianceNormalSd",
                  {1e-160, 2e-160},
                  {"1.5e-160", "2.5e-321", "5e-161", "5e-321", "7.071067811865475e-161"}},
        ExactCase{"SmallestSubnormals",
                  {5e-324, 0.0, 1e-323},
                  {"5e-324", "0.0", "5e-324", "0.0", "5e-324"}},
        ExactCase{
            "TieToEvenSubnormal", {0.0, 1.5e-323}, {"1e-323", "0.0", "1e-323", "0.0", "1e-323"}},
        // Near ties of the printed digits.
        ExactCase{"SdJustAboveHalfDigit",
                  {-1.5120271521495572, 0.0, 1.5120271521495572},
                  {"0.0", "1.5241507392250002", "1.2345650000000001", "2.2862261088375",
                   "1.5120271521495572"}},
        ExactCase{"Near1e168",
                  Near1e168(),
                  {"1.000000000000005e+168", "8.327076e+306", "2.885667340495089e+153",
                   "8.411187878787878e+306", "2.900204799456045e+153"}}),
    [](const auto& info) { return std::string(info.param.name); });

// One value has no unbiased results at all, not a quotient by zero that a
// later statistic could take for a number.
TEST(Statistics, OneValueHasNoUnbiasedResults) {
    const double one[] = {2.5};
    const descstat::ExactResults r = descstat::ComputeExactResults(one, 1);
    EXPECT_TRUE(r.variance.defined);
    EXPECT_FALSE(r.unbiasedVariance.defined);
    EXPECT_FALSE(r.unbiasedSd.defined);
}

TEST(Statistics, VarianceNeverNegativeForNearlyEqualValues) {
    for (double base : {0.1, 1e7 + 0.1, 123456789.123, 1e15 + 1, -3.3e-7}) {
        std::vector<double> v(1001, base);
        v[500] = std::nextafter(base, 1e300);
        const Results r = ComputeResults(v.data(), static_cast<std::int32_t>(v.size()));
        EXPECT_GE(r.variance, 0.0) << base;
        EXPECT_FALSE(std::isnan(r.sd)) << base;
    }
}

}  // namespace

namespace {

// What the report stream itself writes for v at the given precision.
std::string StreamFormat(double v, int digits) {
    std::ostringstream out;
    out.precision(digits);
    if (std::isnan(v)) return "nan";
    out << v;
    return out.str();
}

// Doubles of every exponent from random bits, and the special values.
std::vector<double> FormatSamples() {
    std::vector<double> v = {0.0,
                             -0.0,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             kNaN,
                             -kNaN,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::min(),
                             0.5,
                             9.999995,
                             999999.5,
                             1e-5,
                             123456.5,
                             1e16,
                             0.0001};
    std::mt19937_64 rng(20261209);  // NOLINT(cert-msc32-c,cert-msc51-cpp): repeatable on purpose
    for (std::uint64_t exponent = 0; exponent < 2047; ++exponent) {
        for (int k = 0; k < 3; ++k) {
            const std::uint64_t bits =
                (rng() & 0x800FFFFFFFFFFFFFull) | (exponent << 52);  // any sign and fraction
            double d = 0.0;
            std::memcpy(&d, &bits, sizeof d);
            v.push_back(d);
        }
    }
    return v;
}

TEST(Statistics, FormatNumberWritesWhatTheStreamWrites) {
    char text[descstat::kNumberChars];
    for (const double v : FormatSamples()) {
        for (int digits = 1; digits <= 17; ++digits) {
            const std::size_t length = descstat::FormatNumber(text, v, digits);
            ASSERT_EQ(std::string(text, length), StreamFormat(v, digits))
                << std::hexfloat << v << " with " << digits << " digits";
        }
    }
}

}  // namespace

namespace {

// The shortest format: the fewest digits that read back as the same double,
// in fixed notation for exponents -4 to 16.
struct ShortestCase {
    double value;
    const char* text;
};

class ShortestNumbers : public ::testing::TestWithParam<ShortestCase> {};

TEST_P(ShortestNumbers, AreWrittenWithTheFewestDigits) {
    char text[descstat::kNumberChars];
    const std::size_t n = descstat::FormatNumber(text, GetParam().value, descstat::kShortestDigits);
    EXPECT_EQ(std::string(text, n), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Report, ShortestNumbers,
    ::testing::Values(ShortestCase{10000000.1, "10000000.1"}, ShortestCase{0.1, "0.1"},
                      ShortestCase{123.4567, "123.4567"}, ShortestCase{-2.5, "-2.5"},
                      ShortestCase{1200, "1200"}, ShortestCase{0.0001, "0.0001"},
                      ShortestCase{0.00001, "1e-05"}, ShortestCase{1e16, "10000000000000000"},
                      ShortestCase{1e17, "1e+17"},
                      ShortestCase{9007199254740993.0, "9007199254740992"},
                      ShortestCase{5e-324, "5e-324"}, ShortestCase{1e300, "1e+300"},
                      ShortestCase{-0.0, "-0"},
                      ShortestCase{0.30000000000000004, "0.30000000000000004"},
                      ShortestCase{std::numeric_limits<double>::infinity(), "inf"}));

// Every shortest text reads back as the same double, whatever its bits; half
// the cases lie where fixed notation moves the point (2^-20 to 2^60).
TEST(ShortestNumbers, ReadBackAsTheSameDouble) {
    std::mt19937_64 rng(20261209);  // NOLINT(cert-msc32-c,cert-msc51-cpp): repeatable on purpose
    std::uniform_int_distribution<int> exponent(-20, 60);
    char text[descstat::kNumberChars + 1];
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t bits = rng();
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v)) continue;
        if (i % 2 == 0) {
            int ignored = 0;
            v = std::ldexp(std::frexp(v, &ignored), exponent(rng));
        }
        const std::size_t n = descstat::FormatNumber(text, v, descstat::kShortestDigits);
        text[n] = '\0';
        ASSERT_EQ(std::strtod(text, nullptr), v) << text;
        // The chart's and the listing's way without strings writes what the
        // machine rows and the edges write by way of a Decimal.
        ASSERT_EQ(text, descstat::DecimalText(descstat::ShortestDecimal(v))) << text;
    }
}

}  // namespace
