#include "app/Statistics.h"

#include <utility>

#include "app/Exact.h"

namespace descstat {

CountProducts CountProductsOf(std::int32_t n) {
    const auto count = static_cast<std::uint64_t>(n);
    return {count * count, n > 0 ? count * (count - 1) : 0};
}

ExactResults ComputeExactResults(const double* values, std::int32_t n) {
    ExactResults r;
    if (n <= 0) return r;
    // A value that is not a number (a line without one) makes every result
    // NaN; a data file cannot give an infinity.
    ExactSums sums;
    if (!AddValues(sums, values, n)) return r;
    const auto count = static_cast<std::uint32_t>(n);
    bool negative = false;
    BigNat linear = LinearSum(sums, negative);
    const BigNat scatter = ScatterTimesCount(linear, SquareSum(sums), count);

    // mean = Σx / n; variance = (n·Σx² − (Σx)²) / n²; the unbiased variance
    // has n·(n − 1) below instead; each standard deviation is the square
    // root of its exact variance. The sums count in units of 2^-1074 and
    // 2^-2148.
    const CountProducts products = CountProductsOf(n);
    const BigNat squareUnit = PowerOfTwo(kSquareScale);
    r.mean =
        Quotient(std::move(linear), Multiply(Natural(count), PowerOfTwo(kLinearScale)), negative);
    const BigNat byCountSquared = Multiply(Natural(products.squared), squareUnit);
    r.variance = Quotient(scatter, byCountSquared);
    r.sd = SquareRootOf(scatter, byCountSquared);
    if (n > 1) {
        const BigNat byCountTimesOneLess = Multiply(Natural(products.timesOneLess), squareUnit);
        r.unbiasedVariance = Quotient(scatter, byCountTimesOneLess);
        r.unbiasedSd = SquareRootOf(scatter, byCountTimesOneLess);
    }
    return r;
}

Results NearestResults(const ExactResults& exact) {
    return {NearestDouble(exact.mean), NearestDouble(exact.variance), NearestDouble(exact.sd),
            NearestDouble(exact.unbiasedVariance), NearestDouble(exact.unbiasedSd)};
}

Results ComputeResults(const double* values, std::int32_t n) {
    return NearestResults(ComputeExactResults(values, n));
}

}  // namespace descstat
