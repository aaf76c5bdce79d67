// The box plot's whiskers by Tukey's rule, for the chart: where each
// whisker ends and which values lie beyond, decided exactly from the
// summary's exact quartiles and the values as written (their shortest
// decimals), so that a value on a fence is inside whatever the rounding of
// 1.5 IQR would say. This unit only computes; the chart
// (Plot.h) draws.
#ifndef DESCSTAT_WHISKERS_H
#define DESCSTAT_WHISKERS_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/Summary.h"

namespace descstat {

// The most distinct outlying values a chart draws: beyond it they are picked
// evenly from the sorted ones, the two most extreme always among them.
constexpr std::size_t kMostOutliersDrawn = 500;

// The box plot's whiskers by Tukey's rule, from the summary's quartiles: each
// runs to the most extreme value within 1.5 IQR of its quartile, and the
// values beyond that (strictly) are outliers. All NaN and none outside when
// the summary is NaN; the minimum and the maximum when a quartile is not
// finite.
struct Whiskers {
    double low;
    double high;
    std::int64_t outside;          // how many values lie beyond the whiskers
    std::vector<double> outliers;  // their distinct values, sorted, at most kMostOutliersDrawn
};

// The whiskers of the first n values, whose summary is `s`; may reorder
// them, as the summary does. The fences are decided exactly: a value on a fence is
// inside.
Whiskers ComputeWhiskers(double* values, std::int32_t n, const Summary& s);

}  // namespace descstat

#endif  // DESCSTAT_WHISKERS_H
