// The histogram of a run's values, binned by the decimal each value was
// almost surely typed as: its shortest decimal form, the fewest digits that
// read back as the same double (what --digits=0 prints). A value typed 0.3
// is stored as 0.29999999999999998889..., yet belongs to [0.3, 0.4): the bins
// compare decimals exactly, with no tolerance. The bin width is 1, 2 or 5
// times a power of ten, and every edge is a decimal multiple of it, written
// exactly ("0.3", never "0.30000000000000004").
#ifndef DESCSTAT_HISTOGRAM_H
#define DESCSTAT_HISTOGRAM_H

#include <cstdint>
#include <string>
#include <vector>

namespace descstat {

// The most bins --bins may ask for.
constexpr int kMaxBins = 1000;

// One bin, [low, high): its edges as exact decimal texts and how many values
// it holds.
struct HistogramBin {
    std::string low;
    std::string high;
    std::int64_t count = 0;
};

// The bins from the lowest to the highest, and how many values are not
// numbers (they are in no bin). No bins when no value is a number.
struct Histogram {
    std::vector<HistogramBin> bins;
    std::int64_t notNumbers = 0;
};

// The histogram of the n values. The width is the one whose number of bins
// comes nearest to `targetBins` (0: Sturges' ceil(log2 n) + 1, n counting the
// numbers only); on a tie the smaller width. All values equal give one bin
// from the value up by one unit of its last significant digit.
Histogram ComputeHistogram(const double* values, std::int32_t n, int targetBins);

// ComputeHistogram where the lowest and the highest value are known, as the
// summary's minimum and maximum: the same bins, without a pass to find them.
// A NaN extreme (some value is NaN) leaves it to that pass.
Histogram ComputeHistogramBetween(const double* values, std::int32_t n, int targetBins,
                                  double lowest, double highest);

// The number of '*' that shows `count` when the fullest bin holds `most`:
// proportional, at most 50, and at least one for any count above 0.
int BarLength(std::int64_t count, std::int64_t most);

// An edge as a double: the nearest one, and for an edge beyond the doubles'
// range (the last bin of values near the largest double may end at 2e+308)
// the largest finite double of its sign, so that a chart can place it and
// JSON carry it as a number every reader takes.
double EdgeDouble(const std::string& edge);

}  // namespace descstat

#endif  // DESCSTAT_HISTOGRAM_H
