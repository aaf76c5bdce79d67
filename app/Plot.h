// The chart of a run's data as a standalone SVG 1.1 file: the histogram's
// bars (the same bins and counts as --histogram) over a horizontal axis of
// bin edges and a vertical axis of counts, a box plot of the summary above
// them (quartiles and median, whiskers by Tukey's rule and the values beyond
// them as points), the mean as a line and the mean plus and minus one
// standard deviation (from the unbiased variance) as a bracket beside the box
// plot, a title (the data file's own name, and the field's when it is read by
// name), a caption with the statistics the table of statistics puts there
// (n, the mean and that SD) at the report's digits, and a
// legend of everything drawn. The texts are Japanese, or English, in UTF-8,
// with a font list that finds a Japanese font on Windows, macOS and Linux. No
// script and no external reference: a browser, an office program and an image
// viewer open it alike. The bytes depend on nothing but the data, its name and
// the options, so they are the same on every system.
#ifndef DESCSTAT_PLOT_H
#define DESCSTAT_PLOT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/CompareReport.h"
#include "app/Options.h"
#include "app/ResultSet.h"

namespace descstat {

// The chart's SVG text of a result set, which holds the results, the
// summary, the whiskers and the histogram; its title from the set's key.
std::string PlotSvg(const ResultSet& set, const RunOptions& options);
// The chart of several result sets (a table's columns and groups): a row
// each, labelled with its field and group, holding its box plot (the exact
// summary's quartiles and median, Tukey's whiskers and the values beyond)
// and its mean, all on one value axis of round ticks; the title is the data
// file's own name. One result set gets PlotSvg's chart.
std::string PlotSetsSvg(const ResultSet* sets, std::size_t count, const RunOptions& options);
// The chart of a compare run: the baseline's and each compared sample's box
// plot, mean and mean's confidence interval on one value axis, titled with
// the test and its level, captioned with each comparison's verdict.
std::string CompareSvg(const ResultSets& sets, const Compared& compared,
                       const std::vector<std::string>& names, const RunOptions& options);

}  // namespace descstat

#endif  // DESCSTAT_PLOT_H
