// Two samples compared by Student's t: how far the second's mean lies from
// the first's (the baseline's), with its confidence interval, the same as a
// percentage of the baseline's mean, t, the degrees of freedom and the
// two-sided p-value. Welch's test by default (unequal variances), Student's
// with the pooled SD, or paired samples (the test of the differences'
// mean). The difference, its percentage, t and Welch's degrees of freedom
// are exact over the samples' exact moments, rounded once when written;
// the intervals and p go through the t distribution at high precision
// (StudentT.h). This unit only computes; the compare run (next) renders.
#ifndef DESCSTAT_COMPARISON_H
#define DESCSTAT_COMPARISON_H

#include <cstddef>
#include <cstdint>

#include "app/ExactNumber.h"
#include "app/Options.h"
#include "app/StudentT.h"

namespace descstat {

// What a comparison needs of a sample: its count, mean and unbiased
// variance, exactly (a result set's).
struct SampleMoments {
    std::int64_t n = 0;
    ExactNumber mean;
    ExactNumber unbiasedVariance;
};

// The comparison of a sample with the baseline. Undefined numbers are NaN.
struct Comparison {
    ExactNumber difference;  // sample's mean − baseline's (paired: the differences' mean)
    MeanInterval interval;   // of the difference
    ExactNumber percent;     // the difference in percent of the baseline's mean
    MeanInterval percentInterval;
    ExactNumber t;
    int infiniteT = 0;       // ±1: t is ±∞ (no spread in either sample, the means apart)
    ExactNumber df;          // degrees of freedom (Welch's are fractional)
    ExactNumber p;           // two-sided
    ExactNumber pooledSd;    // with the pooled method
    bool tooFew = false;     // a sample has fewer than two values
    bool different = false;  // the interval leaves out 0
};

// The moments of the differences sample[i] − baseline[i] of n paired values,
// exactly over the decimals as written (no difference is rounded); undefined
// mean and variance when a value is not finite.
SampleMoments PairedMoments(const double* sample, const double* baseline, std::int32_t n);

// Compares `sample` with `baseline`. For paired samples, `sample` holds the
// moments of the differences (each sample value minus its baseline value),
// and `baseline` the baseline's own, for the percentage.
Comparison Compare(const SampleMoments& baseline, const SampleMoments& sample, TestMethod method,
                   const ConfidenceLevel& level);

}  // namespace descstat

#endif  // DESCSTAT_COMPARISON_H
