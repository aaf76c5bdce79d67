#include "app/Run.h"

#include <utility>

#include "app/Report.h"

namespace descstat {

namespace {

// The result sets of the columns read, one per column, keyed by the data
// file's name, and computed.
void ComputeColumns(Columns& columns, const std::string& dataName, const RunOptions& options,
                    ResultSets& sets) {
    for (Column& column : columns) {
        ResultSet set;
        set.key.file = dataName;
        set.values = std::move(column.values);
        set.sums = std::move(column.sums);
        Compute(set, options);
        sets.push_back(std::move(set));
    }
}

// The blocks after the listing for each result set from `first` on.
void WriteAllBlocks(std::ostream& report, const ResultSets& sets, std::size_t first,
                    const RunOptions& options, const ReportFormat& format) {
    for (std::size_t i = first; i < sets.size(); ++i) WriteBlocks(report, sets[i], options, format);
}

// The listing of values already read: each record of the columns in turn.
void WriteListing(Listing& listing, const Columns& columns) {
    listing.SectionFound();
    const std::int32_t count = columns.empty() ? 0 : columns[0].values.Count();
    std::vector<double> row(columns.size());
    for (std::int32_t p = 0; p < count; ++p) {
        for (std::size_t i = 0; i < columns.size(); ++i) row[i] = columns[i].values.Data()[p];
        listing.Take({0, p + 1, row.data(), row.size()});
    }
}

}  // namespace

Outcome ReadAndCompute(myLib::RdTxtLn& reader, const std::string& dataName,
                       const std::string& openName, const RunOptions& options, ValueSink& remarks,
                       const RunHooks& hooks, ResultSets& sets) {
    Columns columns;
    Outcome read = ReadData(reader, openName, options.data, remarks, hooks, columns);
    if (read.failure != Failure::kNone) return read;
    ComputeColumns(columns, dataName, options, sets);
    return {};
}

Outcome WriteReport(myLib::RdTxtLn& reader, const std::string& dataName,
                    const std::string& openName, std::ostream& report, const RunOptions& options,
                    const RunHooks& hooks, ResultSets& sets) {
    const ReportFormat format{options.report, options.digits};
    WriteHeader(report, dataName);

    Listing listing(report, format, options.listing);
    Columns columns;
    Outcome read = ReadDataFile(reader, openName, options.data, listing, hooks, columns);
    if (read.failure != Failure::kNone) return read;

    const std::size_t first = sets.size();
    ComputeColumns(columns, dataName, options, sets);
    WriteAllBlocks(report, sets, first, options, format);
    return {};
}

Outcome WriteReportAfterReading(myLib::RdTxtLn& reader, const std::string& dataName,
                                const std::string& openName, std::ostream& report,
                                const RunOptions& options, ValueSink& remarks,
                                const RunHooks& hooks, ResultSets& sets) {
    Columns columns;
    Outcome read = ReadData(reader, openName, options.data, remarks, hooks, columns);
    if (read.failure != Failure::kNone) return read;

    const ReportFormat format{options.report, options.digits};
    WriteHeader(report, dataName);
    Listing listing(report, format, options.listing);
    WriteListing(listing, columns);
    const std::size_t first = sets.size();
    ComputeColumns(columns, dataName, options, sets);
    WriteAllBlocks(report, sets, first, options, format);
    return {};
}

}  // namespace descstat
