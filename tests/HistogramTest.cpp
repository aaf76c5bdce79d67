// The histogram's bins: the width nearest to the target number of bins (the
// smaller on a tie), values binned by the decimal they were typed as, and
// edges at the ends of the doubles' range. Every expected bin was worked out
// with exact fractions of the values' shortest decimals, not by the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "app/Histogram.h"

namespace {

using descstat::ComputeHistogram;
using descstat::Histogram;
using descstat::HistogramBin;

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();

struct HistogramCase {
    const char* what;
    std::vector<double> values;
    int targetBins;    // 0: Sturges
    const char* bins;  // "[low, high) count" each, joined by "; "
    std::int64_t notNumbers;
    friend void PrintTo(const HistogramCase& c, std::ostream* os) { *os << c.what; }
};

std::string BinsText(const std::vector<HistogramBin>& bins) {
    std::string text;
    for (const HistogramBin& b : bins) {
        if (!text.empty()) text += "; ";
        text += "[" + b.low + ", " + b.high + ") " + std::to_string(b.count);
    }
    return text;
}

class HistogramBins : public ::testing::TestWithParam<HistogramCase> {};

TEST_P(HistogramBins, AreTheExactDecimalBins) {
    const HistogramCase& c = GetParam();
    const Histogram h =
        ComputeHistogram(c.values.data(), static_cast<std::int32_t>(c.values.size()), c.targetBins);
    EXPECT_EQ(BinsText(h.bins), c.bins);
    EXPECT_EQ(h.notNumbers, c.notNumbers);
    // The same from the extremes as the summary gives them: NaN when any
    // value is NaN or there is none.
    double lowest = c.values.empty() ? kNan : c.values[0];
    double highest = lowest;
    for (const double v : c.values) {
        lowest = std::isnan(v) || std::isnan(lowest) ? kNan : std::min(lowest, v);
        highest = std::isnan(v) || std::isnan(highest) ? kNan : std::max(highest, v);
    }
    const Histogram between = descstat::ComputeHistogramBetween(
        c.values.data(), static_cast<std::int32_t>(c.values.size()), c.targetBins, lowest, highest);
    EXPECT_EQ(BinsText(between.bins), c.bins);
    EXPECT_EQ(between.notNumbers, c.notNumbers);
}

INSTANTIATE_TEST_SUITE_P(
    Histogram, HistogramBins,
    ::testing::Values(
        // Widths 1 and 2 both miss 3 bins by one: the smaller wins.
        HistogramCase{"tie", {0, 3}, 3, "[0, 1) 1; [1, 2) 0; [2, 3) 0; [3, 4) 1", 0},
        // Sturges' target counts the numbers alone: 2 bins for n = 2, 4 for
        // n = 8 (width 1: 3 bins), 5 for n = 9 (width 0.5: 6 bins).
        HistogramCase{"sturges of two", {0, 3}, 0, "[0, 2) 1; [2, 4) 1", 0},
        HistogramCase{
            "sturges counts numbers only", {kNan, 0, kNan, 3}, 0, "[0, 2) 1; [2, 4) 1", 2},
        HistogramCase{"sturges at a power of two",
                      {0, 0.5, 1, 1.5, 2, 2.5, 1, 1},
                      0,
                      "[0, 1) 2; [1, 2) 4; [2, 3) 2",
                      0},
        HistogramCase{"sturges past a power of two",
                      {0, 0.5, 1, 1.5, 2, 2.5, 1, 1, 1},
                      0,
                      "[0, 0.5) 1; [0.5, 1) 1; [1, 1.5) 4; [1.5, 2) 1; [2, 2.5) 1; [2.5, 3) 1",
                      0},
        HistogramCase{"sturges with a value that is no number",
                      {0, 0.5, 1, 1.5, 2, 2.5, 1, 1, kNan},
                      0,
                      "[0, 1) 2; [1, 2) 4; [2, 3) 2",
                      1},
        // 0.3, 0.6 and 0.7 are stored just below their decimals.
        HistogramCase{"decimals that are no doubles",
                      {0.3, 0.7, 0.6},
                      5,
                      "[0.3, 0.4) 1; [0.4, 0.5) 0; [0.5, 0.6) 0; [0.6, 0.7) 1; [0.7, 0.8) 1",
                      0},
        HistogramCase{"negative zero in the bin from zero",
                      {-0.0, -0.3, 0.3},
                      0,
                      "[-0.4, -0.2) 1; [-0.2, 0) 0; [0, 0.2) 1; [0.2, 0.4) 1",
                      0},
        HistogramCase{"all equal, a round number", {100, 100}, 7, "[100, 200) 2", 0},
        HistogramCase{"all equal zeros of both signs", {-0.0, 0.0}, 0, "[0, 1) 2", 0},
        HistogramCase{"all equal, negative", {-0.25}, 0, "[-0.25, -0.24) 1", 0},
        HistogramCase{"all equal, huge", {1e300, 1e300}, 0, "[1e+300, 2e+300) 2", 0},
        HistogramCase{"all equal, the least subnormal", {5e-324}, 0, "[5e-324, 6e-324) 1", 0},
        HistogramCase{"one number among no numbers", {kNan, 1, kNan}, 0, "[1, 2) 1", 2},
        HistogramCase{"no numbers at all", {kNan, kNan}, 0, "", 2},
        // A width of 5 (divided by) and one of 5e22 (no exact double to divide
        // by, so every value goes the exact way); the smaller of two widths
        // that miss the target by one.
        HistogramCase{"width 5",
                      {0, 12, 23},
                      5,
                      "[0, 5) 1; [5, 10) 0; [10, 15) 1; [15, 20) 0; [20, 25) 1",
                      0},
        HistogramCase{"width 5e22",
                      {0, 2e23},
                      4,
                      "[0, 5e+22) 1; [5e+22, 1e+23) 0; [1e+23, 1.5e+23) 0; [1.5e+23, 2e+23) 0; "
                      "[2e+23, 2.5e+23) 1",
                      0},
        // The extremes and a NaN in each place of a pair and in the tail.
        HistogramCase{
            "extremes among pairs", {3, kNan, 0, -1, 2}, 0, "[-2, 0) 1; [0, 2) 1; [2, 4) 2", 1},
        HistogramCase{
            "both ends of the doubles", {1.7e308, -1.7e308}, 0, "[-2e+308, 0) 1; [0, 2e+308) 1", 0},
        HistogramCase{"the largest double",
                      {kMax, 1e308},
                      0,
                      "[1e+308, 1.5e+308) 1; [1.5e+308, 2e+308) 1",
                      0},
        HistogramCase{"from the lowest double",
                      {-kMax, 1e308},
                      3,
                      "[-2e+308, -1e+308) 1; [-1e+308, 0) 0; [0, 1e+308) 0; [1e+308, 2e+308) 1",
                      0},
        HistogramCase{"subnormals",
                      {5e-324, 1e-323, 1.5e-323, 2e-323},
                      0,
                      "[0, 1e-323) 1; [1e-323, 2e-323) 2; [2e-323, 3e-323) 1",
                      0}));

struct BarCase {
    std::int64_t count;
    std::int64_t most;
    int length;
};

TEST(HistogramBar, IsProportionalAndAtLeastOne) {
    const BarCase cases[] = {
        {0, 7, 0},  {7, 7, 50},  {1, 2, 25},   {1, 3, 17},      {2, 3, 33},
        {1, 4, 13},  // 12.5 rounds up
        {3, 8, 19}, {1, 101, 1}, {1, 1000, 1}, {999, 1000, 50}, {2147483647, 2147483647, 50},
    };
    for (const BarCase& c : cases) {
        EXPECT_EQ(descstat::BarLength(c.count, c.most), c.length) << c.count << " of " << c.most;
    }
}

struct EdgeCase {
    const char* edge;
    double value;
};

TEST(HistogramEdge, IsTheNearestOrTheLargestFiniteDouble) {
    const EdgeCase cases[] = {
        {"0", 0.0},
        {"0.3", 0.3},
        {"-2e+308", -kMax},
        {"2e+308", kMax},
        {"1.7976931348623157e+308", kMax},
        {"5e-324", std::numeric_limits<double>::denorm_min()},
        {"1e-400", 0.0},
    };
    for (const EdgeCase& c : cases) {
        const double v = descstat::EdgeDouble(c.edge);
        EXPECT_TRUE(std::isfinite(v)) << c.edge;
        EXPECT_EQ(v, c.value) << c.edge;
    }
}

}  // namespace

namespace {

// A decimal text as a whole number of 10^-9 (the test's values and edges
// all fit).
long long Units(const std::string& text) {
    const double v = std::stod(text);
    return std::llround(v * 1e9);
}

// Values typed with up to three decimals, many of them on a bin's edge
// (multiples of 0.1, 0.5, 2): each is counted in the bin whose [low, high)
// holds its decimal exactly, edges read as the exact decimals they print.
TEST(HistogramBins, CountEachValueInTheBinOfItsDecimal) {
    std::mt19937_64 rng(20261210);  // NOLINT(cert-msc32-c,cert-msc51-cpp): a fixed, replayable seed
    for (int set = 0; set < 200; ++set) {
        std::vector<std::string> texts;
        std::vector<double> values;
        const int n = 2 + static_cast<int>(rng() % 300);
        const int decimals = static_cast<int>(rng() % 4);
        const long long span = 1 + static_cast<long long>(rng() % 5000);
        for (int i = 0; i < n; ++i) {
            const long long units = static_cast<long long>(rng() % (2 * span)) - span / 3;
            std::string text = std::to_string(units < 0 ? -units : units);
            while (static_cast<int>(text.size()) <= decimals) text.insert(0, "0");
            if (decimals > 0) text.insert(text.size() - static_cast<std::size_t>(decimals), ".");
            if (units < 0) text.insert(0, "-");
            texts.push_back(text);
            values.push_back(std::stod(text));
        }
        const descstat::Histogram h =
            descstat::ComputeHistogram(values.data(), static_cast<std::int32_t>(values.size()),
                                       rng() % 3 == 0 ? 0 : 1 + static_cast<int>(rng() % 1000));
        std::vector<std::int64_t> expected(h.bins.size(), 0);
        for (const std::string& text : texts) {
            const long long x = Units(text);
            for (std::size_t b = 0; b < h.bins.size(); ++b) {
                if (Units(h.bins[b].low) <= x && x < Units(h.bins[b].high)) ++expected[b];
            }
        }
        for (std::size_t b = 0; b < h.bins.size(); ++b) {
            ASSERT_EQ(h.bins[b].count, expected[b])
                << "set " << set << ", bin [" << h.bins[b].low << ", " << h.bins[b].high << ")";
        }
    }
}

}  // namespace
