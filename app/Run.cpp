#include "app/Run.h"

#include <utility>

#include "app/Report.h"

namespace descstat {

namespace {

// The result sets of the columns read, one per column, keyed by the data
// file's name and the column's field and group, and computed.
void ComputeColumns(Columns& columns, const std::string& dataName, const RunOptions& options,
                    ResultSets& sets) {
    for (Column& column : columns) {
        ResultSet set;
        set.key.file = dataName;
        set.key.field = std::move(column.field);
        set.key.group = std::move(column.group);
        set.key.named = column.named;
        set.key.table = column.table;
        set.missing = column.missing;
        set.values = std::move(column.values);
        set.sums = std::move(column.sums);
        Compute(set, options);
        sets.push_back(std::move(set));
    }
}

// The listing of values already read: each record of the columns in turn.
void WriteListing(Listing& listing, const Columns& columns) {
    listing.SectionFound();
    const std::int32_t count = columns.empty() ? 0 : columns[0].values.Count();
    if (columns.size() == 1) {
        listing.TakeAll(columns[0].values.Data(), count);
        return;
    }
    std::vector<double> row(columns.size());
    for (std::int32_t p = 0; p < count; ++p) {
        for (std::size_t i = 0; i < columns.size(); ++i) row[i] = columns[i].values.Data()[p];
        listing.Take({0, p + 1, row.data(), row.size()});
    }
}

// What follows the header once the data has been read: for one column, its
// name (when it is named), its listing (unless `listed` already) and its
// blocks; for several, one table of their results. The result sets are
// appended to `sets`.
void WriteBody(std::ostream& report, Columns& columns, bool listed, const std::string& dataName,
               const RunOptions& options, ResultSets& sets) {
    const ReportFormat format{options.report, options.digits};
    const std::size_t first = sets.size();
    if (columns.size() == 1) {
        if (columns[0].named) WriteSetName(report, columns[0].field, columns[0].group, format);
        if (!listed) {
            Listing listing(report, format, options.listing);
            WriteListing(listing, columns);
        }
        ComputeColumns(columns, dataName, options, sets);
        WriteBlocks(report, sets[first], options, format);
        return;
    }
    ComputeColumns(columns, dataName, options, sets);
    WriteResultTable(report, sets.data() + first, sets.size() - first, options, format,
                     static_cast<std::size_t>(options.reportColumns));
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

    // A marker file's listing is written as its values are read, unless the
    // rules select several fields; a table's once it has been read.
    Listing listing(report, format, options.listing);
    // cppcheck-suppress unassignedVariable
    ValueSink silent;
    const bool several = SelectsSeveral(options.data);
    Columns columns;
    Outcome read =
        ReadDataFile(reader, openName, options.data, several ? silent : listing, hooks, columns);
    if (read.failure != Failure::kNone) return read;
    const bool table = !columns.empty() && columns[0].table;
    WriteBody(report, columns, !table && !several, dataName, options, sets);
    return {};
}

Outcome WriteReportAfterReading(myLib::RdTxtLn& reader, const std::string& dataName,
                                const std::string& openName, std::ostream& report,
                                const RunOptions& options, ValueSink& remarks,
                                const RunHooks& hooks, ResultSets& sets) {
    Columns columns;
    Outcome read = ReadData(reader, openName, options.data, remarks, hooks, columns);
    if (read.failure != Failure::kNone) return read;
    WriteHeader(report, dataName);
    WriteBody(report, columns, false, dataName, options, sets);
    return {};
}

Outcome WriteReportWhileReading(myLib::RdTxtLn& reader, const std::string& dataName,
                                std::ostream& report, const RunOptions& options, ValueSink& remarks,
                                const RunHooks& hooks, ResultSets& sets) {
    const ReportFormat format{options.report, options.digits};
    WriteHeader(report, dataName);
    const bool several = SelectsSeveral(options.data);
    ListingAsRead listing(report, format, !several, options.listing, remarks);
    DataRules rules = options.data;
    rules.listedAsRead = !NeedsValues(options);
    Columns columns;
    Outcome read = ReadData(reader, std::string(), rules, listing, hooks, columns);
    listing.Finish();
    if (read.failure != Failure::kNone) return read;
    const bool table = !columns.empty() && columns[0].table;
    WriteBody(report, columns, !table && !several, dataName, options, sets);
    return {};
}

}  // namespace descstat
