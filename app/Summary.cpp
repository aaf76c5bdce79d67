#include "app/Summary.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/Exact.h"
#include "app/Statistics.h"

namespace descstat {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The quarters of p for the first quartile, the median and the third.
constexpr std::int64_t kQuarters[3] = {1, 2, 3};

// (w0·a + w1·b) / 4 for w0 + w1 = 4, rounded once from its exact value.
double Interpolate(double a, double b, std::uint32_t w1) {
    if (w1 == 0) return a + 0.0;  // a itself; a zero is +0
    ExactSums sums;
    AddMultiple(sums, a, 4 - w1);
    AddMultiple(sums, b, w1);
    bool negative = false;
    const BigNat sum = LinearSum(sums, negative);
    return RoundQuotient(sum, 4, -kLinearScale, negative);
}

// The smallest value of values[from, n): the order statistic right after one
// that selection put at from − 1.
double SmallestFrom(const double* values, std::int32_t from, std::int32_t n) {
    return *std::min_element(values + from, values + n);
}

}  // namespace

Summary ComputeSummary(double* values, std::int32_t n) {
    Summary s{n, kNaN, kNaN, kNaN, kNaN, kNaN};
    if (n <= 0 || std::any_of(values, values + n, [](double v) { return std::isnan(v); })) {
        return s;
    }
    const auto extremes = std::minmax_element(values, values + n);
    s.minimum = *extremes.first + 0.0;
    s.maximum = *extremes.second + 0.0;

    // Each quantile sits at 0-based position (n − 1)·q/4: a whole part k and
    // w1 quarters towards the next order statistic. Positions grow with q, so
    // each selection works on what lies above the one before.
    double* results[3] = {&s.firstQuartile, &s.median, &s.thirdQuartile};
    std::int32_t selectedFrom = 0;
    for (int i = 0; i < 3; ++i) {
        const std::int64_t quarters = (static_cast<std::int64_t>(n) - 1) * kQuarters[i];
        const auto k = static_cast<std::int32_t>(quarters / 4);
        const auto w1 = static_cast<std::uint32_t>(quarters % 4);
        std::nth_element(values + selectedFrom, values + k, values + n);
        selectedFrom = k;
        const double next = w1 != 0 ? SmallestFrom(values, k + 1, n) : values[k];
        *results[i] = Interpolate(values[k], next, w1);
    }
    return s;
}

void WriteSummaryBlock(std::ostream& report, double* values, std::int32_t n, Encoding encoding) {
    const Summary s = ComputeSummary(values, n);
    report << std::endl;
    report << kCountLabel.In(encoding) << s.count << std::endl;
    const std::pair<const JapaneseText*, double> lines[] = {
        {&kMinimumLabel, s.minimum}, {&kFirstQuartileLabel, s.firstQuartile},
        {&kMedianLabel, s.median},   {&kThirdQuartileLabel, s.thirdQuartile},
        {&kMaximumLabel, s.maximum},
    };
    for (const auto& line : lines) {
        report << line.first->In(encoding);
        WriteNumber(report, line.second);
        report << std::endl;
    }
}

}  // namespace descstat
