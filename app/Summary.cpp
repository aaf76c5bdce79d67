#include "app/Summary.h"

#include <algorithm>
#include <cmath>

#include "app/Exact.h"
#include "app/Statistics.h"

namespace descstat {

namespace {

// Where the p-quantile for p = quarters/4 sits among the sorted values: the
// 0-based position k of x(k + 1) and w quarters of the way on to the next.
struct Position {
    std::int32_t k;
    std::uint32_t w;
};

Position At(std::int32_t n, std::int64_t quarters) {
    const std::int64_t scaled = (static_cast<std::int64_t>(n) - 1) * quarters;
    return {static_cast<std::int32_t>(scaled / 4), static_cast<std::uint32_t>(scaled % 4)};
}

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

}  // namespace

Summary ComputeSummary(double* values, std::int32_t n) {
    Summary s{n, kNaN, kNaN, kNaN, kNaN, kNaN};
    if (n <= 0 || std::any_of(values, values + n, [](double v) { return std::isnan(v); })) {
        return s;
    }
    const Position q1 = At(n, 1);
    const Position q2 = At(n, 2);
    const Position q3 = At(n, 3);

    // Select the median over all values, then the third quartile above it and
    // the first below it: afterwards every value before a selected position is
    // no larger than the value there, and every value after it no smaller.
    std::nth_element(values, values + q2.k, values + n);
    if (q3.k > q2.k) std::nth_element(values + q2.k + 1, values + q3.k, values + n);
    if (q1.k < q2.k) std::nth_element(values, values + q1.k, values + q2.k);

    // The order statistic right after a selected position k is the smallest
    // value up to the next selected position (or the end).
    const auto next = [&](const Position& p) {
        if (p.w == 0) return values[p.k];
        const std::int32_t upTo = p.k < q1.k ? q1.k : p.k < q2.k ? q2.k : p.k < q3.k ? q3.k : n - 1;
        return *std::min_element(values + p.k + 1, values + upTo + 1);
    };
    s.minimum = *std::min_element(values, values + q1.k + 1) + 0.0;  // a zero is +0
    s.maximum = *std::max_element(values + q3.k, values + n) + 0.0;
    s.firstQuartile = Interpolate(values[q1.k], next(q1), q1.w);
    s.median = Interpolate(values[q2.k], next(q2), q2.w);
    s.thirdQuartile = Interpolate(values[q3.k], next(q3), q3.w);
    return s;
}

}  // namespace descstat
