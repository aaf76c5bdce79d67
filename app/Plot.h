// The chart of a run's data as a standalone SVG 1.1 file: the histogram's
// bars (the same bins and counts as --histogram) over a horizontal axis of
// bin edges and a vertical axis of counts, a box plot of the summary above
// them (quartiles and median, whiskers by Tukey's rule and the values beyond
// them as points), the mean as a line and the mean plus and minus one
// standard deviation (from the unbiased variance) as a bracket beside the box
// plot, a title (the data file's own name, and the field's when it is read by
// name), a caption with n, the mean and that SD at the report's digits, and a
// legend of everything drawn. The texts are Japanese, or English, in UTF-8,
// with a font list that finds a Japanese font on Windows, macOS and Linux. No
// script and no external reference: a browser, an office program and an image
// viewer open it alike. The bytes depend on nothing but the data, its name and
// the options, so they are the same on every system.
#ifndef DESCSTAT_PLOT_H
#define DESCSTAT_PLOT_H

#include <cstdint>
#include <string>
#include <vector>

#include "app/Options.h"
#include "app/Summary.h"

namespace descstat {

struct Computed;

// The most distinct outlying values a chart draws: beyond it they are picked
// evenly from the sorted ones, the two most extreme always among them.
constexpr std::size_t kMostOutliersDrawn = 500;

// The box plot's whiskers by Tukey's rule, from the summary's quartiles: each
// runs to the most extreme value within 1.5 IQR of its quartile, and the
// values beyond that (strictly) are outliers. All NaN and none outside when
// the summary is NaN; the minimum and the maximum when a quartile is not
// finite.
struct Whiskers {
    double low;
    double high;
    std::int64_t outside;          // how many values lie beyond the whiskers
    std::vector<double> outliers;  // their distinct values, sorted, at most kMostOutliersDrawn
};

// The whiskers of the first n values, whose summary is `s`; reorders them,
// as the summary does. The fences are decided exactly: a value on a fence is
// inside.
Whiskers ComputeWhiskers(double* values, std::int32_t n, const Summary& s);

// The chart's SVG text for the data file named `dataName`; `computed` holds
// the results, the summary, the whiskers and the histogram.
std::string PlotSvg(const std::string& dataName, const Computed& computed,
                    const RunOptions& options);

}  // namespace descstat

#endif  // DESCSTAT_PLOT_H
