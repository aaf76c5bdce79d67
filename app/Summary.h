// The summary block of a report (option --summary): the count, the minimum,
// the first quartile, the median, the third quartile and the maximum.
//
// The quartiles and the median interpolate linearly between order statistics,
// as R, numpy and QUARTILE.INC do by default: with the values sorted as
// x(1) <= ... <= x(n) and h = (n − 1)·p + 1, the p-quantile is
// x(⌊h⌋) + (h − ⌊h⌋)·(x(⌊h⌋+1) − x(⌊h⌋)), exact over the values as written
// (their shortest decimals) and rounded once, so a midpoint of two huge
// values does not overflow and the median of 0.1 and 0.2 is 0.15. The
// minimum and the maximum are written as the listing writes the values. The
// order statistics are found by selection (Quantiles.h), in place, with no
// memory beyond the values but a few positions. This unit only computes; the
// report (Report.h) writes.
#ifndef DESCSTAT_SUMMARY_H
#define DESCSTAT_SUMMARY_H

#include <array>
#include <cstdint>

#include "app/ExactNumber.h"

namespace descstat {

// The six numbers of the summary; a zero is +0. Every one but the count is
// NaN when there are no values or any value is NaN.
struct Summary {
    std::int32_t count;
    double minimum;
    double firstQuartile;
    double median;
    double thirdQuartile;
    double maximum;
    // The five after the count exactly, in the same order, for the report's
    // digits.
    std::array<ExactNumber, 5> exact;
};

// The summary of the first n values, which it reorders: a run computes it
// after everything that needs the values in the order they were read.
Summary ComputeSummary(double* values, std::int32_t n);

}  // namespace descstat

#endif  // DESCSTAT_SUMMARY_H
