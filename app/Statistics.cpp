#include "app/Statistics.h"

#include "app/Exact.h"

namespace descstat {

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
    const std::uint64_t nn = std::uint64_t{count} * count;
    r.mean = RoundQuotient(linear, count, -kLinearScale, negative);
    r.variance = RoundQuotient(scatter, nn, -kSquareScale, false);
    r.sd = RoundSqrtQuotient(scatter, nn, -kSquareScale);
    if (n > 1) {
        const std::uint64_t nn1 = std::uint64_t{count} * (count - 1);
        r.unbiasedVariance = RoundQuotient(scatter, nn1, -kSquareScale, false);
        r.unbiasedSd = RoundSqrtQuotient(scatter, nn1, -kSquareScale);
    }
    return r;
}

}  // namespace descstat
