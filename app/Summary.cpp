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
    ComputeQuantiles(values, n, kSummaryProbabilities, kSummaryCount, q);
    return {n, q[0], q[1], q[2], q[3], q[4]};
}

}  // namespace descstat
