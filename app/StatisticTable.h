// The table of statistics: every statistic the report, the machine rows and
// the chart can show is one row of it, in the order they are written: its
// key in the machine formats, its label in the report (Japanese.h) and in
// the chart's caption, the report's block it stands in (and so the option
// that asks for it), whether it is a count, and where its value is among
// what a result set holds. The renderers read their statistics from here
// alone, so a new statistic is one row plus its computation (a computing
// unit, and a field of the result set to hold it).
#ifndef DESCSTAT_STATISTICTABLE_H
#define DESCSTAT_STATISTICTABLE_H

#include <string>

#include "app/Japanese.h"
#include "app/Options.h"
#include "app/ResultSet.h"

namespace descstat {

// The report's blocks of statistics: the results, always written, and the
// summary, written with --summary.
enum class Block { kResults, kSummary };

// A label of the chart's caption, in UTF-8 and in English.
struct CaptionLabel {
    const char* japanese;
    const char* english;
};

// One statistic.
struct StatisticRow {
    const char* key;                      // the machine formats' key (ASCII)
    const JapaneseText* label;            // the report's label, with its " = "
    Block block;                          // the report's block it stands in
    bool isCount;                         // written as a whole number, not at the digits
    bool inEveryRow;                      // every machine row has it, whatever was asked
    const CaptionLabel* caption;          // its label in the chart's caption; null: not there
    ExactNumber (*of)(const ResultSet&);  // its exact value in a result set
    bool tableOnly = false;               // only of a table's result sets (Shown says when)
};

// The rows, in the order every renderer writes them.
struct StatisticRows {
    const StatisticRow* first;
    const StatisticRow* last;
    const StatisticRow* begin() const { return first; }
    const StatisticRow* end() const { return last; }
};
StatisticRows Statistics();

// True when the options ask for the statistic in the report: its block is
// the results, or the summary with --summary.
bool Asked(const StatisticRow& row, const RunOptions& options);
// True when the result set has the statistic: a table's statistic (the
// missing cells) only a set of a table that is named or has missing cells.
bool Has(const StatisticRow& row, const ResultSet& set);

// A label without its " = " and the blanks that pad it ("平均値").
std::string BareLabel(const char* label);

// The English labels of a block's statistics as the help lists them:
// "Mean, Variance, ...".
std::string EnglishLabels(Block block);

}  // namespace descstat

#endif  // DESCSTAT_STATISTICTABLE_H
