#include "app/ResultSet.h"

#include "app/StatisticTable.h"

namespace descstat {

void Compute(ResultSet& set, const RunOptions& options) {
    Values& values = set.values;
    set.count = values.Count();
    if (!set.sums) set.sums = SumDecimals(values.Data(), values.Count());
    set.exact = ComputeExactResults(*set.sums);
    set.results = NearestResults(set.exact);
    const bool plot = !options.plot.empty();
    if (options.compare && options.method == TestMethod::kPaired) {
        set.inFileOrder.assign(values.Data(), values.Data() + values.Count());
    }
    const MoreRequest request = RequestOf(options);
    ComputeFromSorted(values.Data(), values.Count(), request, set.more);
    const bool summary = options.summary || plot || (request.needs & kNeedSummary) != 0;
    if (summary) set.summary = ComputeSummary(values.Data(), values.Count());
    // The bins do not depend on the values' order; the summary's extremes
    // spare them a pass.
    if (options.histogram || plot) {
        set.histogram = summary
                            ? ComputeHistogramBetween(values.Data(), values.Count(), options.bins,
                                                      set.summary.minimum, set.summary.maximum)
                            : ComputeHistogram(values.Data(), values.Count(), options.bins);
        set.hasHistogram = true;
    }
    if (plot) set.whiskers = ComputeWhiskers(values.Data(), values.Count(), set.summary);
    if (!options.statistics.empty()) {
        ComputeMore(values.Data(), values.Count(), *set.sums, set.exact, set.summary, request,
                    set.more);
    }
    set.sums.reset();
    values = Values();
}

bool NeedsValues(const RunOptions& options) {
    return options.summary || options.histogram || !options.plot.empty() ||
           !options.statistics.empty() || options.compare;
}

}  // namespace descstat
