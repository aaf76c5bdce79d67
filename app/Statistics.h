// The statistics step of a run: the five results and the report's result block.
//
// The results are the mean, the population variance, its standard deviation,
// the unbiased (sample) variance and its standard deviation. They are computed
// in two passes over the values, about a first estimate of the mean, so that
// data far from zero keeps its precision and the variance is never negative.
// A result that is not a number is written as "nan", never "-nan".
#ifndef DESCSTAT_STATISTICS_H
#define DESCSTAT_STATISTICS_H

#include <cstdint>
#include <fstream>
#include <ostream>

namespace descstat {

// The five results of a run. A result that the values do not define (any
// result of no values, the unbiased ones of a single value, anything involving
// a value that is not a number) is NaN.
struct Results {
    double mean;
    double variance;
    double sd;
    double unbiasedVariance;
    double unbiasedSd;
};

// Computes the five results of the first n values of `values`.
Results ComputeResults(const double* values, std::int32_t n);

// Writes v in the stream's current floating-point format; NaN of either sign
// is written as "nan" so that the report reads the same on every platform.
void WriteNumber(std::ostream& out, double v);

// Computes the results of the n values and writes the result block (an empty
// line and five labelled lines) to the report, then closes the report. The
// caller checks the report stream afterwards to learn whether all was written.
void WriteResultBlock(std::ofstream& report, const double* values, std::int32_t n);

}  // namespace descstat

#endif  // DESCSTAT_STATISTICS_H
