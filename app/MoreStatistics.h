// The statistics a report asks for beyond the five results and the summary
// (--statistics, --describe): the sum, the standard error, the confidence
// interval of the mean, the coefficient of variation, the range, the
// interquartile range, the median absolute deviation, the mode, the
// skewness, the kurtosis and any percentile. Each is exact over the values as
// written (their shortest decimals) and rounded once when written: rational
// ones as one quotient, the standard error, the coefficient of variation and
// the skewness as the square root of one, the interval's ends through the t
// quantile at high precision (StudentT.h). A statistic that needs more values
// than there are, or a spread where all values are equal, is undefined (NaN),
// never a division by zero. This unit only computes; the renderers write.
#ifndef DESCSTAT_MORESTATISTICS_H
#define DESCSTAT_MORESTATISTICS_H

#include <cstdint>
#include <vector>

#include "app/DecimalSums.h"
#include "app/ExactNumber.h"
#include "app/Quantiles.h"
#include "app/Statistics.h"
#include "app/StudentT.h"
#include "app/Summary.h"

namespace descstat {

// What a statistic needs computed first, as bits: the sums of cubes and
// fourth powers, the summary's order statistics, the values sorted, the t
// quantile. The table of statistics gives each row's.
enum Need : unsigned {
    kNeedNothing = 0,
    kNeedPowers = 1U << 0,
    kNeedSummary = 1U << 1,
    kNeedSorted = 1U << 2,
    kNeedInterval = 1U << 3,
};

// What to compute: the needs of every statistic asked, the probabilities of
// the percentiles asked, and the confidence level of the interval.
struct MoreRequest {
    unsigned needs = kNeedNothing;
    std::vector<Probability> probabilities;
    ConfidenceLevel level;
};

// The statistics; those not asked stay undefined.
struct MoreStatistics {
    ExactNumber sum;
    ExactNumber standardError;
    ExactNumber variation;  // the coefficient of variation, unbiased SD / mean
    ExactNumber range;
    ExactNumber interquartileRange;
    ExactNumber medianDeviation;  // median absolute deviation from the median
    ExactNumber mode;             // undefined when every value occurs once
    std::int64_t modeCount = 0;   // how often the mode occurs (1: no mode)
    ExactNumber skewness;         // G1, adjusted Fisher–Pearson
    ExactNumber kurtosis;         // G2, excess
    MeanInterval interval;
    std::vector<ExactNumber> percentiles;  // at the request's probabilities, in order
};

// The statistics that need the first n values sorted (the mode and the
// median absolute deviation), into r; sorts them first when the request
// needs them, so it comes before anything that reorders them (the summary).
void ComputeFromSorted(double* values, std::int32_t n, const MoreRequest& request,
                       MoreStatistics& r);

// The other statistics of the first n values into r, from their decimal
// sums, their five results and (when the request needs it) their summary.
// The percentiles reorder the values.
void ComputeMore(double* values, std::int32_t n, const DecimalSums& sums, const ExactResults& exact,
                 const Summary& summary, const MoreRequest& request, MoreStatistics& r);

}  // namespace descstat

#endif  // DESCSTAT_MORESTATISTICS_H
