// The chart of a run's data as a standalone SVG 1.1 file: the histogram's
// bars (the same bins and counts as --histogram) over a horizontal axis of
// bin edges and a vertical axis of counts, a box plot of the summary above
// them (minimum, quartiles, median, maximum), the mean as a line and the mean
// plus and minus one standard deviation (from the unbiased variance) as a
// band, a title (the data file's name) and a caption with n, the mean and
// that SD at the report's digits. The texts are Japanese, or English, in
// UTF-8, with a font list that finds a Japanese font on Windows, macOS and
// Linux. No script and no external reference: a browser, an office program
// and an image viewer open it alike. The bytes depend on nothing but the
// data and the options, so they are the same on every system.
#ifndef DESCSTAT_PLOT_H
#define DESCSTAT_PLOT_H

#include <string>

#include "app/Japanese.h"
#include "app/Run.h"

namespace descstat {

// The chart's SVG text for the data shown as `title`; `computed` holds the
// results, the summary and the histogram.
std::string PlotSvg(const std::string& title, const Computed& computed, int digits,
                    Language language);

}  // namespace descstat

#endif  // DESCSTAT_PLOT_H
