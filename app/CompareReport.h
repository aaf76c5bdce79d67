// What a compare run writes: the text report (a table of the samples, then
// for each sample after the baseline its difference, t, df, p and verdict),
// the same as machine rows, and the verdicts the chart's caption shares.
// They render comparisons already made (Comparison.h) over result sets
// already computed; nothing here computes a statistic.
//
// The report begins with one "Input data file = NAME" line per data file,
// so that a later run recognizes it as its own output and may replace it.
#ifndef DESCSTAT_COMPAREREPORT_H
#define DESCSTAT_COMPAREREPORT_H

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "app/Comparison.h"
#include "app/Options.h"
#include "app/ResultSet.h"
#include "app/StatisticTable.h"

namespace descstat {

// A sample compared with the baseline: its result set's place in the run's
// sets, and the comparison, unless the two could not be paired.
struct ComparedSample {
    std::size_t set = 0;
    Comparison result;
    bool unpaired = false;  // --paired, but the counts differ or a cell is missing
};

// The comparisons of a run: the baseline's place, and every other sample
// with results, in the order of the sets.
struct Compared {
    std::size_t baseline = 0;
    std::vector<ComparedSample> samples;
};

// What a comparison concludes.
enum class Verdict { kDifferent, kNoDifference, kTooFew, kUnpaired, kNoResult };

Verdict VerdictOf(const ComparedSample& sample);

// The verdict's line, with the level where it has one: "差がある (95.0%
// 信頼水準)", "Difference at 95.0% confidence".
LabelText VerdictText(Verdict verdict, const RunOptions& options);

// Each set's name as the comparison shows it (UTF-8): what tells the sets
// apart among their file, field and group, joined by " / ".
std::vector<std::string> SampleNames(const ResultSets& sets);

// The text report, in the style and digits of options.report and
// options.digits.
void WriteCompareReport(std::ostream& out, const std::vector<std::string>& dataNames,
                        const ResultSets& sets, const Compared& compared,
                        const RunOptions& options);

// The machine rows (options.format): a header row in tsv and csv, then one
// row or JSON object per compared sample; `digits` as the machine run's.
void WriteCompareRows(std::ostream& out, const ResultSets& sets, const Compared& compared,
                      const RunOptions& options, int digits);

}  // namespace descstat

#endif  // DESCSTAT_COMPAREREPORT_H
