// The statistics a report asks for, at the unit level: the sums of cubes and
// fourth powers at their widest (against products of BigNat), the median
// absolute deviation and the mode (against a brute force over values whose
// deviations doubles hold exactly), the parsers of --statistics and
// --confidence, and the confidence interval where t is known in closed form
// (one degree of freedom at 75%: t = 1).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "app/DecimalSums.h"
#include "app/MoreStatistics.h"
#include "app/StatisticTable.h"
#include "app/Statistics.h"
#include "app/StudentT.h"
#include "app/Summary.h"

namespace {

using descstat::BigNat;
using descstat::DecimalValue;
using descstat::Multiply;
using descstat::Natural;

constexpr std::int64_t kWidest = 99999999999999999;  // the largest |m| of a shortest decimal

BigNat Power(std::uint64_t m, int k) {
    BigNat r = Natural(1);
    for (int i = 0; i < k; ++i) r = Multiply(r, Natural(m));
    return r;
}

// Widest mantissas with cancelling signs, and a second power of ten: the
// carries and the two's complement must come out as the products do.
TEST(DecimalPowerSums, WidestMantissasCancelExactly) {
    descstat::DecimalPowerSums sums;
    for (const std::int64_t m : {kWidest, -kWidest, kWidest, kWidest, -kWidest}) {
        descstat::AddDecimalPowers(sums, {m, -3});
    }
    descstat::AddDecimalPowers(sums, {-7, -2});  // -0.07 = -70 thousandths
    const descstat::SignedNat cube = descstat::DecimalCubeSum(sums, 3);
    // Σd³ in units of 10^-9: w³ − 70³.
    const descstat::SignedNat want =
        descstat::Add({Power(kWidest, 3), false}, {Power(70, 3), true});
    EXPECT_EQ(cube.magnitude, want.magnitude);
    EXPECT_EQ(cube.negative, want.negative);
    // Σd⁴ in units of 10^-12: 5·w⁴ + 70⁴.
    BigNat fourth = Multiply(Power(kWidest, 4), Natural(5));
    const descstat::SignedNat total = descstat::Add({fourth, false}, {Power(70, 4), false});
    EXPECT_EQ(descstat::DecimalFourthSum(sums, 3), total.magnitude);
}

// The deviations of these values from their median are exact in doubles, so
// a brute force over doubles is an oracle.
double BruteMedianDeviation(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    const double median = n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    for (double& x : v) x = std::fabs(x - median);
    std::sort(v.begin(), v.end());
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct ShapeCase {
    std::vector<double> values;
    double mode;  // NaN: none
    std::int64_t modeCount;
};

descstat::MoreStatistics ComputeAll(std::vector<double>& values) {
    descstat::MoreRequest request;
    request.needs = descstat::kNeedSummary | descstat::kNeedSorted;
    const auto n = static_cast<std::int32_t>(values.size());
    auto sums = descstat::SumDecimals(values.data(), n);
    descstat::MoreStatistics r;
    descstat::ComputeFromSorted(values.data(), n, request, r);
    const descstat::Summary summary = descstat::ComputeSummary(values.data(), n);
    descstat::ComputeMore(values.data(), n, *sums, descstat::ComputeExactResults(*sums), summary,
                          request, r);
    return r;
}

TEST(MoreStatistics, MedianDeviationAndModeAgreeWithBruteForce) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const ShapeCase cases[] = {
        {{3, 4, 5, 2, 3, 4, 5, 6, 4, 7}, 4, 3},
        {{1, 2, 3, 4}, nan, 1},   // no mode
        {{5, 5, 1, 1, 9}, 1, 2},  // a tie: the smallest
        {{-2.5, 10, 10.25, -2.5, 0.5, 100, 10}, -2.5, 2},
        {{7}, nan, 1},
        {{1, 1, 1, 1}, 1, 4},                        // no spread
        {{0, 0, 0, 1000, -1000, 3.75}, 0, 3},        // even count, median inside a run
        {{-8, -4, -2, 1, 2, 64, 64.5, 80}, nan, 1},  // the deviations cross sides
    };
    for (const ShapeCase& c : cases) {
        std::vector<double> values = c.values;
        const descstat::MoreStatistics r = ComputeAll(values);
        EXPECT_EQ(descstat::NearestDouble(r.medianDeviation), BruteMedianDeviation(c.values))
            << ::testing::PrintToString(c.values);
        const double mode = descstat::NearestDouble(r.mode);
        EXPECT_TRUE(std::isnan(c.mode) ? std::isnan(mode) : mode == c.mode)
            << ::testing::PrintToString(c.values);
        EXPECT_EQ(r.modeCount, c.modeCount);
    }
}

// Random values of a few dyadic steps against the brute force: long runs of
// ties on both sides of the median, −0 beside +0, and counts above the
// radix sort's threshold with values that share their leading bytes.
TEST(MoreStatistics, MedianDeviationOfRandomTies) {
    std::uint64_t state = 12345;
    for (int round = 0; round < 220; ++round) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const auto n = static_cast<std::size_t>(round < 200 ? 1 + (state >> 58) : 3000 + round);
        std::vector<double> values;
        for (std::size_t i = 0; i < n; ++i) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            const double v = static_cast<double>(static_cast<int>(state >> 60) - 8) / 4;
            values.push_back(v == 0 && (state & 1) != 0 ? -0.0 : v + (round >= 200 ? 1000 : 0));
        }
        std::vector<double> work = values;
        const descstat::MoreStatistics r = ComputeAll(work);
        EXPECT_EQ(descstat::NearestDouble(r.medianDeviation), BruteMedianDeviation(values))
            << ::testing::PrintToString(values);
        std::sort(values.begin(), values.end());
        std::int64_t most = 0;
        for (const double v : values) {
            most = std::max<std::int64_t>(most, std::count(values.begin(), values.end(), v));
        }
        EXPECT_EQ(r.modeCount, most) << n;
    }
}

struct ListCase {
    const char* list;
    bool ok;
    std::vector<std::string> keys;
};

TEST(StatisticList, KeysAliasesAndPercentiles) {
    const ListCase cases[] = {
        {"mean,se", true, {"mean", "se"}},
        {"ci", true, {"ci_low", "ci_high"}},
        {"mode,ci_half", true, {"mode", "mode_count", "ci_half"}},
        {"p2.5,p97.50,p0,p100,p50.1234567", true, {"p2.5", "p97.5", "p0", "p100", "p50.1234567"}},
        {"p100.5", false, {}},
        {"p101", false, {}},
        {"p50.12345678", false, {}},  // an eighth decimal
        {"p", false, {}},
        {"p.5", false, {}},
        {"p-1", false, {}},
        {"mean,", false, {}},
        {"Mean", false, {}},
        {"", false, {}},
    };
    for (const ListCase& c : cases) {
        descstat::RunOptions options;
        std::string bad;
        EXPECT_EQ(descstat::ParseStatistics(c.list, options.statistics, bad), c.ok) << c.list;
        if (!c.ok) continue;
        std::vector<std::string> keys;
        for (const descstat::ShownStatistic& s : descstat::AskedRows(options)) {
            keys.push_back(descstat::KeyOf(s));
        }
        EXPECT_EQ(keys, c.keys) << c.list;
    }
}

struct LevelCase {
    const char* text;
    bool ok;
    std::uint64_t numerator;
    std::uint64_t denominator;
};

TEST(StatisticList, ConfidenceLevels) {
    const LevelCase cases[] = {
        {"95", true, 95, 1},      {"99.9", true, 999, 10},
        {"97.50", true, 975, 10}, {"0.000000001", true, 1, 1000000000},
        {"50", true, 50, 1},      {"0", false, 0, 0},
        {"100", false, 0, 0},     {"99.", false, 0, 0},
        {".5", false, 0, 0},      {"-5", false, 0, 0},
        {"95%", false, 0, 0},     {"0.0000000001", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const LevelCase& c : cases) {
        descstat::ConfidenceLevel level;
        EXPECT_EQ(descstat::ParseConfidence(c.text, level), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(level.numerator, c.numerator) << c.text;
        EXPECT_EQ(level.denominator, c.denominator) << c.text;
    }
}

// One degree of freedom: t at 75% is tan(π/4) = 1, so the interval of 0 and
// 2 at the 50% level is [0, 2] exactly, and its lower end must be a plain 0;
// so for 0 and 0.2, whose tenths no binary precision holds.
TEST(ConfidenceInterval, ClosedFormAtOneDegreeOfFreedom) {
    const char* const ends[][3] = {{"0", "2", "1"}, {"0", "0.2", "0.1"}};
    const double pairs[][2] = {{0, 2}, {0, 0.2}};
    for (int k = 0; k < 2; ++k) {
        const descstat::ExactResults exact = descstat::ComputeExactResults(pairs[k], 2);
        const descstat::MeanInterval i =
            descstat::ConfidenceInterval(exact.mean, exact.unbiasedVariance, 2, {50, 1});
        EXPECT_EQ(descstat::StatisticText(i.low, 17), ends[k][0]);
        EXPECT_EQ(descstat::StatisticText(i.high, 17), ends[k][1]);
        EXPECT_EQ(descstat::StatisticText(i.half, 17), ends[k][2]);
    }
}

struct PCase {
    std::uint64_t tNumerator;  // t = ±tNumerator / tDenominator
    std::uint64_t tDenominator;
    bool negative;
    std::uint64_t dfNumerator;  // df = dfNumerator / dfDenominator
    std::uint64_t dfDenominator;
    double p;  // mpmath at 80 digits: betainc(df/2, 1/2, 0, df/(df + t²)), nearest double
};

// Two-sided p-values against mpmath, fractional degrees of freedom (Welch's)
// included, down to one far below what a complement 1 − CDF in doubles could
// hold.
TEST(TwoSidedP, AgreesWithMpmath) {
    const PCase cases[] = {
        {5, 2, false, 15, 2, 0x1.3e03fb76a3ccfp-5},       // t 2.5, df 7.5
        {40, 1, false, 3, 1, 0x1.2067f3263662fp-15},      // t 40, df 3
        {1, 1000, false, 1000, 1, 0x1.ff9772222ef91p-1},  // t 0.001, df 1000
        {9, 4, true, 12, 1, 0x1.686ccb4ac76fep-5},        // t −2.25, df 12
        {1, 1, false, 1, 1, 0.5},                         // exactly 1/2
        {300, 1, false, 200, 1, 0x1.1cc9acce5ea64p-886},  // 2.16e-267
        {51, 4, false, 33, 8, 0x1.7c4074721c943p-13},     // t 12.75, df 4.125
    };
    for (const PCase& c : cases) {
        const descstat::ExactNumber t =
            descstat::Quotient(Natural(c.tNumerator), Natural(c.tDenominator), c.negative);
        const descstat::ExactNumber df =
            descstat::Quotient(Natural(c.dfNumerator), Natural(c.dfDenominator));
        EXPECT_EQ(descstat::NearestDouble(descstat::TwoSidedP(t, df)), c.p) << c.tNumerator;
    }
}

}  // namespace
