#include "app/Statistics.h"

#include "app/Exact.h"

namespace descstat {

CountProducts CountProductsOf(std::int32_t n) {
    const auto count = static_cast<std::uint64_t>(n);
    return {count * count, n > 0 ? count * (count - 1) : 0};
}

Results ComputeResults(const double* values, std::int32_t n) {
    Results r{kNaN, kNaN, kNaN, kNaN, kNaN};
    if (n <= 0) return r;
    // A value that is not a number (a line without one) makes every result
    // NaN; a data file cannot give an infinity.
    ExactSums sums;
    if (!AddValues(sums, values, n)) return r;
    const auto count = static_cast<std::uint32_t>(n);
    bool negative = false;
    const BigNat linear = LinearSum(sums, negative);
    const BigNat scatter = ScatterTimesCount(linear, SquareSum(sums), count);

    // mean = Σx / n; variance = (n·Σx² − (Σx)²) / n²; the unbiased variance
    // has n·(n − 1) below instead. Each is rounded once from its exact value,
    // and so is each standard deviation, from the exact variance.
    const CountProducts products = CountProductsOf(n);
    r.mean = RoundQuotient(linear, count, -kLinearScale, negative);
    r.variance = RoundQuotient(scatter, products.squared, -kSquareScale, false);
    r.sd = RoundSqrtQuotient(scatter, products.squared, -kSquareScale);
    if (n > 1) {
        r.unbiasedVariance = RoundQuotient(scatter, products.timesOneLess, -kSquareScale, false);
        r.unbiasedSd = RoundSqrtQuotient(scatter, products.timesOneLess, -kSquareScale);
    }
    return r;
}

}  // namespace descstat
