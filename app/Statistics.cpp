#include "app/Statistics.h"

#include <algorithm>
#include <utility>

#include "app/Exact.h"

namespace descstat {

CountProducts CountProductsOf(std::int32_t n) {
    const auto count = static_cast<std::uint64_t>(n);
    return {count * count, n > 0 ? count * (count - 1) : 0};
}

ExactResults ComputeExactResults(const DecimalSums& sums) {
    ExactResults r;
    // A value that is not a number (a line without one) makes every result
    // NaN; a data file cannot give an infinity.
    if (sums.count == 0 || sums.notFinite) return r;
    const std::uint32_t count = sums.count;
    const int scale = std::max(DecimalScale(sums), 0);
    SignedNat linear = DecimalLinearSum(sums, scale);
    const BigNat scatter =
        ScatterTimesCount(linear.magnitude, DecimalSquareSum(sums, scale), count);

    // mean = Σx / n; variance = (n·Σx² − (Σx)²) / n²; the unbiased variance
    // has n·(n − 1) below instead; each standard deviation is the square
    // root of its exact variance. The sums count in units of 10^-scale and
    // 10^-2·scale.
    const CountProducts products = CountProductsOf(static_cast<std::int32_t>(count));
    const BigNat squareUnit = PowerOfTen(2 * scale);
    r.mean = Quotient(std::move(linear.magnitude), Multiply(Natural(count), PowerOfTen(scale)),
                      linear.negative);
    const BigNat byCountSquared = Multiply(Natural(products.squared), squareUnit);
    r.variance = Quotient(scatter, byCountSquared);
    r.sd = SquareRootOf(scatter, byCountSquared);
    if (count > 1) {
        const BigNat byCountTimesOneLess = Multiply(Natural(products.timesOneLess), squareUnit);
        r.unbiasedVariance = Quotient(scatter, byCountTimesOneLess);
        r.unbiasedSd = SquareRootOf(scatter, byCountTimesOneLess);
    }
    return r;
}

std::unique_ptr<DecimalSums> SumDecimals(const double* values, std::int32_t n) {
    auto sums = std::make_unique<DecimalSums>();
    for (std::int32_t i = 0; i < n; ++i) AddDecimalValue(*sums, values[i]);
    return sums;
}

ExactResults ComputeExactResults(const double* values, std::int32_t n) {
    return ComputeExactResults(*SumDecimals(values, n));
}

Results NearestResults(const ExactResults& exact) {
    return {NearestDouble(exact.mean), NearestDouble(exact.variance), NearestDouble(exact.sd),
            NearestDouble(exact.unbiasedVariance), NearestDouble(exact.unbiasedSd)};
}

Results ComputeResults(const double* values, std::int32_t n) {
    return NearestResults(ComputeExactResults(values, n));
}

}  // namespace descstat
