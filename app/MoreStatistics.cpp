#include "app/MoreStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <utility>

namespace descstat {

namespace {

bool AllFinite(const double* values, std::int32_t n) {
    return std::all_of(values, values + n, [](double v) { return std::isfinite(v); });
}

// se = √(s² / n).
ExactNumber StandardErrorOf(const ExactNumber& unbiasedVariance, std::int64_t n) {
    if (!unbiasedVariance.defined) return {};
    return SquareRootOf(unbiasedVariance.num,
                        Multiply(unbiasedVariance.den, Natural(static_cast<std::uint64_t>(n))));
}

// s / x̄ = ±√(s² / x̄²), with the mean's sign; undefined for a zero mean.
ExactNumber VariationOf(const ExactNumber& mean, const ExactNumber& unbiasedVariance) {
    if (!mean.defined || !unbiasedVariance.defined || mean.num.empty()) return {};
    return SquareRootOf(Multiply(unbiasedVariance.num, Multiply(mean.den, mean.den)),
                        Multiply(unbiasedVariance.den, Multiply(mean.num, mean.num)),
                        mean.negative);
}

// The skewness G1 and the kurtosis G2 from the sums of the decimals' powers.
// With D = n·Σ(x − x̄)² and T3 = n²·Σ(x − x̄)³, T4 = n³·Σ(x − x̄)⁴ (exact
// whole numbers at one scale, which cancels):
//   G1 = √(n(n − 1)·T3² / ((n − 2)²·D³)) with the sign of T3,
//   G2 = (n − 1)·((n + 1)·T4 − 3(n − 1)·D²) / ((n − 2)(n − 3)·D²).
void ComputeShape(const double* values, std::int32_t n, const DecimalSums& sums,
                  MoreStatistics& r) {
    if (n < 3) return;
    DecimalPowerSums powers;
    for (std::int32_t i = 0; i < n; ++i) AddDecimalPowers(powers, DecimalOf(values[i]));
    const int scale = std::max(DecimalScale(sums), 0);
    const SignedNat linear = DecimalLinearSum(sums, scale);
    const BigNat square = DecimalSquareSum(sums, scale);
    const SignedNat cube = DecimalCubeSum(powers, scale);
    const auto count = static_cast<std::uint64_t>(n);
    const BigNat scatter = ScatterTimesCount(linear.magnitude, square, sums.count);
    if (scatter.empty()) return;  // every value alike: no shape
    const SignedNat cubes = CentralCubesTimesCountSquared(linear, square, cube, count);
    const BigNat scatterSquared = Multiply(scatter, scatter);
    r.skewness = SquareRootOf(
        Multiply(Natural(count * (count - 1)), Multiply(cubes.magnitude, cubes.magnitude)),
        Multiply(Natural((count - 2) * (count - 2)), Multiply(scatterSquared, scatter)),
        cubes.negative);
    if (n < 4) return;
    const BigNat fourths =
        CentralFourthsTimesCountCubed(linear, square, cube, DecimalFourthSum(powers, scale), count);
    SignedNat inner = Add(SignedNat{Multiply(Natural(count + 1), fourths), false},
                          SignedNat{Multiply(Natural(3 * (count - 1)), scatterSquared), true});
    r.kurtosis =
        Quotient(Multiply(Natural(count - 1), inner.magnitude),
                 Multiply(Natural((count - 2) * (count - 3)), scatterSquared), inner.negative);
}

// The most frequent of the sorted values, the smallest on a tie.
void ComputeMode(const double* sorted, std::int32_t n, MoreStatistics& r) {
    std::int64_t best = 0;
    double mode = 0;
    for (std::int32_t i = 0; i < n;) {
        std::int32_t j = i + 1;
        while (j < n && sorted[j] == sorted[i]) ++j;
        if (j - i > best) {
            best = j - i;
            mode = sorted[i];
        }
        i = j;
    }
    r.modeCount = best;
    if (best > 1) r.mode = ExactAsWritten(mode);
}

// The median of |x − M| over the sorted values, M their median. The values
// at or below M give deviations that grow leftwards, those at or above it
// deviations that grow rightwards: two sorted lists, whose k-th smallest
// together is found by bisection with exact comparisons.
ExactNumber MedianDeviationOf(const double* sorted, std::int32_t n) {
    const auto half = static_cast<std::size_t>(n / 2);
    const ExactNumber median = n % 2 == 1 ? ExactAsWritten(sorted[half])
                                          : InterpolateDecimals(DecimalOf(sorted[half - 1]),
                                                                DecimalOf(sorted[half]), 1, 2);
    const std::size_t left = half;
    const std::size_t right = static_cast<std::size_t>(n) - half;
    const auto below = [&](std::size_t i) {
        return Difference(median, ExactAsWritten(sorted[half - 1 - i]));
    };
    const auto above = [&](std::size_t j) {
        return Difference(ExactAsWritten(sorted[half + j]), median);
    };
    const auto smallest = [&](std::size_t k) {  // the (k+1)-th smallest deviation
        std::size_t lo = k + 1 > right ? k + 1 - right : 0;
        std::size_t hi = std::min(k + 1, left);
        while (lo < hi) {
            const std::size_t i = lo + (hi - lo) / 2;
            if (CompareExact(below(i), above(k - i)) < 0) {
                lo = i + 1;
            } else {
                hi = i;
            }
        }
        const std::size_t j = k + 1 - lo;
        if (lo == 0) return above(j - 1);
        if (j == 0) return below(lo - 1);
        ExactNumber a = below(lo - 1);
        ExactNumber b = above(j - 1);
        return CompareExact(a, b) >= 0 ? a : b;
    };
    const auto count = static_cast<std::size_t>(n);
    if (count % 2 == 1) return smallest(count / 2);
    return Divided(Sum(smallest(count / 2 - 1), smallest(count / 2)), 2);
}

// A finite double's bits turned so that unsigned order is the doubles'
// order (−0 just below +0).
std::uint64_t SortKey(double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

constexpr std::size_t kSmallSort = 256;
// The keys are sorted 11 bits at a time from the top: the sign and the
// exponent first, then the mantissa in four more digits and a last of 9.
constexpr int kDigitBits = 11;
constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;

std::size_t DigitOf(double v, int shift, std::uint64_t mask) {
    return static_cast<std::size_t>((SortKey(v) >> shift) & mask);
}

// Sorts finite values in place by their keys' digits from the one at `shift`
// down (American flag sort: a count and a cycle of swaps per digit, no memory
// beyond two tables a level): about twice as fast as std::sort on millions
// of values, and the mode and the median absolute deviation need them all
// in order.
void RadixSort(double* v, std::size_t n, int shift) {
    while (n > kSmallSort) {
        const int bits = shift >= kDigitBits ? kDigitBits : shift;
        const int low = shift - bits;
        const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
        std::size_t next[kBuckets] = {};
        for (std::size_t i = 0; i < n; ++i) ++next[DigitOf(v[i], low, mask)];
        const std::size_t buckets = std::size_t{1} << bits;
        if (std::find(next, next + buckets, n) == next + buckets) {
            std::size_t end[kBuckets] = {};
            std::size_t at = 0;
            for (std::size_t b = 0; b < buckets; ++b) {
                const std::size_t count = next[b];
                next[b] = at;
                at += count;
                end[b] = at;
            }
            for (std::size_t b = 0; b < buckets; ++b) {
                while (next[b] < end[b]) {
                    double x = v[next[b]];
                    std::size_t d = DigitOf(x, low, mask);
                    while (d != b) {
                        std::swap(x, v[next[d]++]);
                        d = DigitOf(x, low, mask);
                    }
                    v[next[b]++] = x;
                }
            }
            if (low == 0) return;
            std::size_t begin = 0;
            for (std::size_t b = 0; b < buckets; ++b) {
                RadixSort(v + begin, end[b] - begin, low);
                begin = end[b];
            }
            return;
        }
        if (low == 0) return;  // every key alike
        shift = low;
    }
    std::sort(v, v + n);
}

}  // namespace

void ComputeFromSorted(double* values, std::int32_t n, const MoreRequest& request,
                       MoreStatistics& r) {
    if ((request.needs & kNeedSorted) == 0 || n == 0 || !AllFinite(values, n)) return;
    RadixSort(values, static_cast<std::size_t>(n), 64);
    ComputeMode(values, n, r);
    r.medianDeviation = MedianDeviationOf(values, n);
}

void ComputeMore(double* values, std::int32_t n, const DecimalSums& sums, const ExactResults& exact,
                 const Summary& summary, const MoreRequest& request, MoreStatistics& r) {
    r.percentiles.resize(request.probabilities.size());
    if (sums.notFinite || !AllFinite(values, n)) return;
    if (n == 0) {
        r.sum = Whole(0);
        return;
    }
    r.sum = Product(exact.mean, Whole(static_cast<std::uint64_t>(n)));
    r.standardError = StandardErrorOf(exact.unbiasedVariance, n);
    r.variation = VariationOf(exact.mean, exact.unbiasedVariance);
    if ((request.needs & kNeedInterval) != 0) {
        r.interval = ConfidenceInterval(exact.mean, exact.unbiasedVariance, n, request.level);
    }
    if ((request.needs & kNeedPowers) != 0) ComputeShape(values, n, sums, r);
    if ((request.needs & kNeedSummary) != 0) {
        // Over the extremes as written, though the summary writes them as
        // the listing writes values.
        r.range = Difference(ExactAsWritten(summary.maximum), ExactAsWritten(summary.minimum));
        r.interquartileRange = Difference(summary.exact[3], summary.exact[1]);
    }
    if (!request.probabilities.empty()) {
        std::vector<double> nearest(request.probabilities.size());
        ComputeQuantiles(values, n, request.probabilities.data(), request.probabilities.size(),
                         nearest.data(), r.percentiles.data());
    }
}

}  // namespace descstat
