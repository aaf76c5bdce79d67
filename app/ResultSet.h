// A result set: one sample of values and everything computed from it. A run
// is a list of result sets (one per data file today; per field and group of
// a table later), and every renderer (the report, the machine rows, the
// chart) loops over them. Its key names the sample; its values live only
// until they are computed from, since computing reorders them.
#ifndef DESCSTAT_RESULTSET_H
#define DESCSTAT_RESULTSET_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/DecimalSums.h"
#include "app/Histogram.h"
#include "app/MoreStatistics.h"
#include "app/Options.h"
#include "app/Statistics.h"
#include "app/Summary.h"
#include "app/Values.h"
#include "app/Whiskers.h"

namespace descstat {

// What names a result set: the data file as given, and the field and group
// of a table it holds the values of (UTF-8).
struct ResultKey {
    std::string file;
    std::string field;
    std::string group;
    bool named = false;  // one of several of its file, or of a group: shown with its field
    bool table = false;  // read from a table, which may have missing cells
};

// One sample and what was computed from it. `error` tells why a sample has
// no results (a data file that could not be read): the machine formats
// write it in the sample's row.
struct ResultSet {
    ResultKey key;
    Values values;  // in file order until Compute, then released
    // The values' shortest decimals summed as they were read; when null,
    // Compute sums them from the values.
    std::unique_ptr<DecimalSums> sums;
    std::int32_t count = 0;
    std::int64_t missing = 0;  // a table's cells without a value
    ExactResults exact;        // the five results exactly
    Results results{};         // and as their nearest doubles
    Summary summary{};         // with the summary or the chart
    Whiskers whiskers{};       // with the chart
    MoreStatistics more;       // what --statistics and --describe ask for
    // With --paired: the values in file order, kept past Compute, whose i-th
    // values pair with another sample's.
    std::vector<double> inFileOrder;
    bool hasHistogram = false;
    Histogram histogram;
    std::string error;  // empty when the results stand
};

// The results of a run, in the order they are written.
using ResultSets = std::vector<ResultSet>;

// Computes what the options ask for from the set's values: the results, the
// histogram, then the summary and the chart's whiskers, which reorder the
// values; the values are released afterwards, so nothing can read them in
// file order any more (with --paired, a copy in file order stays).
void Compute(ResultSet& set, const RunOptions& options);

// True when Compute needs the values themselves, not only their count and
// the sums kept as they are read: for the summary, the statistics asked for,
// the histogram, the chart or a comparison. A run that needs none keeps no
// values (DataRules::keepValues), whatever their number.
bool NeedsValues(const RunOptions& options);

}  // namespace descstat

#endif  // DESCSTAT_RESULTSET_H
