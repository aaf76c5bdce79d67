#include "app/Run.h"

#include <utility>

#include "app/Report.h"
#include "app/Statistics.h"
#include "app/Summary.h"

namespace descstat {

namespace {

// The results, the histogram, then the summary and the chart's whiskers,
// each when asked for. These reorder the values, so they come last, and this
// step takes the values from the run: nothing can read them in file order
// afterwards.
Computed Compute(Values values, const RunOptions& options) {
    Computed c;
    c.count = values.Count();
    c.results = ComputeResults(values.Data(), values.Count());
    const bool plot = !options.plot.empty();
    if (options.histogram || plot) {
        c.histogram = ComputeHistogram(values.Data(), values.Count(), options.bins);
        c.hasHistogram = true;
    }
    if (options.summary || plot) {
        c.summary = ComputeSummary(values.Data(), values.Count());
    }
    if (plot) c.whiskers = ComputeWhiskers(values.Data(), values.Count(), c.summary);
    return c;
}

// The blocks after the listing, from the values read, and what they were
// computed from into `computed` when the caller wants it (for the chart).
void WriteBlocks(std::ostream& report, Values values, const RunOptions& options,
                 const ReportFormat& format, Computed* computed) {
    const Computed c = Compute(std::move(values), options);
    WriteResultBlock(report, c.results, format);
    if (options.summary) WriteSummaryBlock(report, c.summary, format);
    if (options.histogram) WriteHistogramBlock(report, c.histogram, format);
    if (computed != nullptr) *computed = c;
}

// Every value of the data: in one pass when it can be read only once, in two
// otherwise, the bad lines remarked to `remarks`.
Outcome ReadAll(myLib::RdTxtLn& reader, const std::string& openName, const RunOptions& options,
                ValueSink& remarks, const RunHooks& hooks, Values& values) {
    return ReadableOnce(reader, openName)
               ? ReadOnce(reader, options.data, remarks, hooks, values)
               : ReadDataFile(reader, openName, options.data, remarks, hooks, values);
}

}  // namespace

Outcome ReadAndCompute(myLib::RdTxtLn& reader, const std::string& openName,
                       const RunOptions& options, ValueSink& remarks, const RunHooks& hooks,
                       Computed& computed) {
    Values values;
    Outcome read = ReadAll(reader, openName, options, remarks, hooks, values);
    if (read.failure != Failure::kNone) return read;
    computed = Compute(std::move(values), options);
    return {};
}

Outcome WriteReport(myLib::RdTxtLn& reader, const std::string& dataName,
                    const std::string& openName, std::ostream& report, const RunOptions& options,
                    const RunHooks& hooks, Computed* computed) {
    const ReportFormat format{options.report, options.digits};
    WriteHeader(report, dataName);

    Listing listing(report, format, options.listing);
    Values values;
    Outcome read = ReadDataFile(reader, openName, options.data, listing, hooks, values);
    if (read.failure != Failure::kNone) return read;

    WriteBlocks(report, std::move(values), options, format, computed);
    return {};
}

Outcome WriteReportAfterReading(myLib::RdTxtLn& reader, const std::string& dataName,
                                const std::string& openName, std::ostream& report,
                                const RunOptions& options, ValueSink& remarks,
                                const RunHooks& hooks, Computed* computed) {
    Values values;
    Outcome read = ReadAll(reader, openName, options, remarks, hooks, values);
    if (read.failure != Failure::kNone) return read;

    const ReportFormat format{options.report, options.digits};
    WriteHeader(report, dataName);
    Listing listing(report, format, options.listing);
    listing.SectionFound();
    for (std::int32_t p = 0; p < values.Count(); ++p) listing.Take(p + 1, values.Data()[p]);
    WriteBlocks(report, std::move(values), options, format, computed);
    return {};
}

}  // namespace descstat
