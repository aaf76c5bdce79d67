#include "app/Summary.h"

#include "app/Quantiles.h"

namespace descstat {

namespace {

// The summary's probabilities, in the order of its fields: the minimum, the
// quartiles with the median, the maximum.
constexpr Probability kSummaryProbabilities[] = {{0, 1}, {25, 100}, {50, 100}, {75, 100}, {1, 1}};
constexpr std::size_t kSummaryCount = sizeof kSummaryProbabilities / sizeof(Probability);

}  // namespace

Summary ComputeSummary(double* values, std::int32_t n) {
    double q[kSummaryCount];
    Summary s{n, 0, 0, 0, 0, 0, {}};
    ComputeQuantiles(values, n, kSummaryProbabilities, kSummaryCount, q, s.exact.data());
    s.minimum = q[0];
    s.firstQuartile = q[1];
    s.median = q[2];
    s.thirdQuartile = q[3];
    s.maximum = q[4];
    // The extremes are values of the data: written as the listing writes a
    // value (its double at N digits), so that each matches a listing line,
    // where the others are rounded once from the numbers as written.
    s.exact[0] = ExactOf(s.minimum);
    s.exact[4] = ExactOf(s.maximum);
    return s;
}

}  // namespace descstat
