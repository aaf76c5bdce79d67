// Quantiles of a list of values at exact probabilities.
//
// A probability is a decimal fraction held as written (0.975 is 975/1000,
// never the double nearest to it), so where a quantile falls among the values
// is found in integers, with no rounding. The p-quantile interpolates linearly
// between order statistics, as R's default (type 7), numpy and QUANTILE.INC
// do: with the values sorted as x(1) <= ... <= x(n) and h = (n − 1)·p, it is
// x(⌊h⌋+1) + (h − ⌊h⌋)·(x(⌊h⌋+2) − x(⌊h⌋+1)), exact over the two values'
// shortest decimals (the numbers as written) and then rounded once: a point
// between two huge values does not overflow, and the median of 0.1 and 0.2
// is 0.15. The order statistics are
// found by selection in place, each once however many probabilities need it.
#ifndef DESCSTAT_QUANTILES_H
#define DESCSTAT_QUANTILES_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/ExactNumber.h"

namespace descstat {

// The largest denominator of a probability: nine decimals. Every
// interpolation weight then stays below 2^31, as the exact sums require.
constexpr std::uint32_t kMaxProbabilityDenominator = 1000000000;

// A probability numerator/denominator, the denominator a power of ten up to
// kMaxProbabilityDenominator and the numerator no larger than it.
struct Probability {
    std::uint32_t numerator;
    std::uint32_t denominator;
};

// Whether p is a probability as Probability describes; a quantile at any
// other is NaN.
bool IsProbability(const Probability& p);

// Reads a probability written as "0", "1" or a decimal of one to nine places
// from 0 to 1 ("0.975", "1.000"). Anything else (signs, exponents, blanks,
// ".5", a tenth decimal) gives false and leaves p alone.
bool ParseProbability(const std::string& text, Probability& p);

// Where a quantile lies among n sorted values: on the order statistic
// x(index + 1), and part/denominator of the way on to x(index + 2).
struct QuantilePosition {
    std::int32_t index;
    std::uint32_t part;
    std::uint32_t denominator;
};

// The exact position of the p-quantile among n >= 1 values, for a probability
// p (IsProbability).
QuantilePosition PositionOf(const Probability& p, std::int32_t n);

// The quantiles of the first n values at each of the `count` probabilities,
// into quantiles[0..count). Reorders the values. Every quantile is NaN when
// there are no values or any value is NaN; a zero is +0. The minimum and the
// maximum (p = 0 and p = 1) cost a scan of the ends only. Their exact values
// go to exact[0..count) unless it is null (undefined where the quantile is
// NaN).
void ComputeQuantiles(double* values, std::int32_t n, const Probability* probabilities,
                      std::size_t count, double* quantiles, ExactNumber* exact = nullptr);

}  // namespace descstat

#endif  // DESCSTAT_QUANTILES_H
