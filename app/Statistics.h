// The statistics step of a run: the five results and the report's result block.
//
// The results are the mean, the population variance, its standard deviation,
// the unbiased (sample) variance and its standard deviation. Each is the double
// nearest to its exact value over the stored values (ties to even), whatever
// the data: the sums are kept exactly and every result is rounded once, so
// every printed digit is right. A result that is not a number is written as
// "nan", never "-nan".
#ifndef DESCSTAT_STATISTICS_H
#define DESCSTAT_STATISTICS_H

#include <cstddef>
#include <cstdint>
#include <ostream>

#include "app/Japanese.h"

namespace descstat {

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

// Computes the five results of the first n values of `values`.
Results ComputeResults(const double* values, std::int32_t n);

// Room enough for any number FormatNumber writes.
constexpr std::size_t kNumberChars = 32;

// Writes v into `text` as the stream's default floating-point format writes it
// with `digits` significant digits (1 to 17; general notation like printf's
// %g), and gives the length; NaN of either sign is "nan", so that the report
// reads the same on every platform. Needs no stream and no locale.
std::size_t FormatNumber(char* text, double v, int digits);

// Writes v as FormatNumber does, at the stream's precision.
void WriteNumber(std::ostream& out, double v);

// Computes the results of the n values and writes the result block (an empty
// line and five labelled lines, the labels in the given encoding) to the
// report, in the report's number format. The caller closes the report and
// checks it to learn whether all was written.
void WriteResultBlock(std::ostream& report, const double* values, std::int32_t n,
                      Encoding encoding);

}  // namespace descstat

#endif  // DESCSTAT_STATISTICS_H
