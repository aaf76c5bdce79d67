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

#include <cstddef>
#include <string>
#include <vector>

#include "app/Japanese.h"
#include "app/MoreStatistics.h"
#include "app/Options.h"
#include "app/ResultSet.h"

namespace descstat {

// The report's blocks of statistics: the results, always written, the
// summary, written with --summary, and the statistics only --statistics or
// --describe ask for (which may ask for any row, in their own order).
enum class Block { kResults, kSummary, kAsked };

// What a label leaves open at its @: nothing, the confidence level, or a
// percentile's number.
enum class LabelGap { kNone, kLevel, kPercentile };

// A label of the chart's caption, in UTF-8 and in English.
struct CaptionLabel {
    const char* japanese;
    const char* english;
};

// One statistic.
struct StatisticRow {
    const char* key;              // the machine formats' key (ASCII)
    const JapaneseText* label;    // the report's label, with its " = "
    Block block;                  // the report's block it stands in
    bool isCount;                 // written as a whole number, not at the digits
    bool inEveryRow;              // every machine row has it, unless -S chooses the columns
    const CaptionLabel* caption;  // its label in the chart's caption; null: not there
    // Its exact value in a result set; `part` is a percentile's place among
    // those asked.
    ExactNumber (*of)(const ResultSet& set, std::size_t part);
    bool tableOnly = false;          // only of a table's result sets (Has says when)
    unsigned needs = kNeedNothing;   // what must be computed first (MoreStatistics.h)
    LabelGap gap = LabelGap::kNone;  // what its label's @ stands for
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

// A statistic as a renderer shows it: its row, and for a percentile its
// number and place.
struct ShownStatistic {
    const StatisticRow* row;
    std::string number;
    std::size_t part = 0;
};

// A label with its @ filled in, in the three forms of a JapaneseText.
struct LabelText {
    std::string shiftJis;
    std::string utf8;
    std::string english;
    JapaneseText View() const { return {shiftJis.c_str(), utf8.c_str(), english.c_str()}; }
};

// The statistics --statistics or --describe asked for, in their order.
std::vector<ShownStatistic> AskedRows(const RunOptions& options);
// A row of the table as shown without a number.
ShownStatistic ShownRow(const StatisticRow& row);
// The statistic's key in the machine formats ("p2.5" for a percentile).
std::string KeyOf(const ShownStatistic& shown);
// Its label, the level or the number in place of the @ ("信頼区間 下限 (95.0%) = ").
LabelText LabelOf(const ShownStatistic& shown, const RunOptions& options);
// Its exact value in the result set.
ExactNumber ValueOf(const ShownStatistic& shown, const ResultSet& set);

// The level as a decimal, without trailing zeros: "95", "97.5".
std::string LevelNumber(const ConfidenceLevel& level);

// Reads a --statistics list ("mean,se,p2.5,ci") into `asked`, after what it
// holds: keys of the table, `ci` for both ends of the interval, `mode` for
// the mode and its count, pN for any percentile from 0 to 100 with up to
// seven decimals. A key it does not know goes to `bad`, and gives false.
bool ParseStatistics(const std::string& list, std::vector<AskedStatistic>& asked, std::string& bad);
// The keys --statistics takes, for the help and the message about a bad one.
std::string StatisticKeys();
// The --describe list: the spreadsheet tool's descriptive statistics.
extern const char* const kDescribeList;

// Reads a --confidence level, a decimal above 0 and below 100 with up to
// nine decimals ("95", "99.9"); false for anything else.
bool ParseConfidence(const std::string& text, ConfidenceLevel& level);

// What the statistics asked for need computed, from the options.
MoreRequest RequestOf(const RunOptions& options);

// A label without its " = " and the blanks that pad it ("平均値").
std::string BareLabel(const char* label);

// The English labels of a block's statistics as the help lists them:
// "Mean, Variance, ...".
std::string EnglishLabels(Block block);

}  // namespace descstat

#endif  // DESCSTAT_STATISTICTABLE_H
