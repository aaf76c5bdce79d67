// The summary block of a report (option --summary): the count, the minimum,
// the first quartile, the median, the third quartile and the maximum.
//
// The quartiles and the median interpolate linearly between order statistics,
// as R, numpy and QUARTILE.INC do by default: with the values sorted as
// x(1) <= ... <= x(n) and h = (n − 1)·p + 1, the p-quantile is
// x(⌊h⌋) + (h − ⌊h⌋)·(x(⌊h⌋+1) − x(⌊h⌋)). Each is the double nearest to that
// exact value, so a midpoint of two huge values does not overflow and one of
// two neighbours keeps its last bit. The order statistics are found by
// selection, in place, with no memory beyond the values.
#ifndef DESCSTAT_SUMMARY_H
#define DESCSTAT_SUMMARY_H

#include <cstdint>
#include <ostream>

#include "app/Japanese.h"

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
};

// The summary of the first n values, which it reorders.
Summary ComputeSummary(double* values, std::int32_t n);

// Computes the summary of the n values (reordering them) and writes its block
// to the report: an empty line and six labelled lines, the labels in the given
// encoding and the numbers in the report's number format.
void WriteSummaryBlock(std::ostream& report, double* values, std::int32_t n, Encoding encoding);

}  // namespace descstat

#endif  // DESCSTAT_SUMMARY_H
