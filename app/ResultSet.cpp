#include "app/ResultSet.h"

namespace descstat {

void Compute(ResultSet& set, const RunOptions& options) {
    Values& values = set.values;
    set.count = values.Count();
    if (!set.sums) set.sums = SumDecimals(values.Data(), values.Count());
    set.exact = ComputeExactResults(*set.sums);
    set.sums.reset();
    set.results = NearestResults(set.exact);
    const bool plot = !options.plot.empty();
    if (options.histogram || plot) {
        set.histogram = ComputeHistogram(values.Data(), values.Count(), options.bins);
        set.hasHistogram = true;
    }
    if (options.summary || plot) set.summary = ComputeSummary(values.Data(), values.Count());
    if (plot) set.whiskers = ComputeWhiskers(values.Data(), values.Count(), set.summary);
    values = Values();
}

}  // namespace descstat
