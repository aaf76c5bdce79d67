// The five results of a run: the mean, the population variance, its standard
// deviation, the unbiased (sample) variance and its standard deviation.
//
// Each is exact over the values as they are written (each value's shortest
// decimal: the mean of 0.1 and 0.2 is 0.15, not the mean of the two doubles
// nearest to them), whatever the data: the sums are kept exactly and every
// result is rounded once, so every printed digit is right. This unit only computes; the
// report (Report.h) writes. A further statistic of the values goes beside
// these, as the summary (Summary.h) does.
#ifndef DESCSTAT_STATISTICS_H
#define DESCSTAT_STATISTICS_H

#include <cstdint>
#include <limits>
#include <memory>

#include "app/DecimalSums.h"
#include "app/ExactNumber.h"

namespace descstat {

// What a result is when the values do not define it.
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The five results of a run. A result that the values do not define (any
// result of no values, the unbiased ones of a single value, anything involving
// a value that is not a finite number) is NaN. A result beyond the range of
// double is inf.
struct Results {
    double mean;
    double variance;
    double sd;
    double unbiasedVariance;
    double unbiasedSd;
};

// The five results as their exact values, from which the report writes each
// rounded once to its digits.
struct ExactResults {
    ExactNumber mean;
    ExactNumber variance;
    ExactNumber sd;
    ExactNumber unbiasedVariance;
    ExactNumber unbiasedSd;
};

// The denominators of the variances, n² and n·(n − 1) (0 for no values),
// exactly: they pass 2^32 from n = 65,536 on and reach almost 2^62.
struct CountProducts {
    std::uint64_t squared;
    std::uint64_t timesOneLess;
};
CountProducts CountProductsOf(std::int32_t n);

// The five results of the values summed in `sums`, exactly.
ExactResults ComputeExactResults(const DecimalSums& sums);

// The sums of the first n values of `values` as their shortest decimals, for
// values that were not summed while they were read.
std::unique_ptr<DecimalSums> SumDecimals(const double* values, std::int32_t n);

// Computes the five results of the first n values of `values`, which it only
// reads: exactly, and as their nearest doubles.
ExactResults ComputeExactResults(const double* values, std::int32_t n);
Results NearestResults(const ExactResults& exact);
Results ComputeResults(const double* values, std::int32_t n);

}  // namespace descstat

#endif  // DESCSTAT_STATISTICS_H
