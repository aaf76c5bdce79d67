// Fuzz target: any bytes as a sample, every statistic --statistics knows
// computed from it through the run's own Compute. The bytes are read as raw
// doubles (any magnitude, subnormals, signed zeros) or, when the first byte
// is even, as small quarters with many ties. Beyond the sanitizers' checks,
// the statistics must keep their order: min ≤ q1 ≤ median ≤ q3 ≤ max, the
// percentiles rising, 0 ≤ mad, iqr ≤ range, ci_low ≤ mean ≤ ci_high, the
// mode one of the values and its count at most n.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/ResultSet.h"
#include "app/StatisticTable.h"
#include "fuzz/FuzzSupport.h"

namespace {

std::vector<double> SampleOf(const std::uint8_t* data, std::size_t size) {
    std::vector<double> values;
    if (size == 0) return values;
    if (data[0] % 2 == 0) {
        for (std::size_t i = 1; i < size; ++i) values.push_back((data[i] - 128) / 4.0);
        return values;
    }
    for (std::size_t i = 1; i + 8 <= size; i += 8) {
        double v = 0;
        std::memcpy(&v, data + i, sizeof v);
        if (std::isfinite(v)) values.push_back(v);
    }
    return values;
}

bool InOrder(const std::vector<double>& xs) {
    for (std::size_t i = 1; i < xs.size(); ++i) {
        if (!(xs[i - 1] <= xs[i])) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<double> sample = SampleOf(data, size);
    descstat::RunOptions options;
    std::string bad;
    fuzz::Check(descstat::ParseStatistics(
                    "n,sum,mean,se,ci,ci_half,cv,min,q1,median,q3,max,range,iqr,mad,mode,"
                    "skewness,kurtosis,p0,p2.5,p33.3333333,p97.5,p100",
                    options.statistics, bad),
                "the list parses");
    descstat::ResultSet set;
    for (const double v : sample) {
        if (!set.values.Append(v)) return 0;
    }
    descstat::Compute(set, options);
    const auto n = static_cast<std::int64_t>(sample.size());
    std::vector<double> at;
    for (const descstat::ShownStatistic& s : descstat::AskedRows(options)) {
        at.push_back(descstat::NearestDouble(descstat::ValueOf(s, set)));
    }
    enum {
        kN,
        kSum,
        kMean,
        kSe,
        kLow,
        kHigh,
        kHalf,
        kCv,
        kMin,
        kQ1,
        kMedian,
        kQ3,
        kMax,
        kRange,
        kIqr,
        kMad,
        kMode,
        kModeCount,
        kSkew,
        kKurt,
        kP0
    };
    fuzz::Check(at[kN] == static_cast<double>(n), "n is the count");
    fuzz::Check(at[kModeCount] <= static_cast<double>(n) && (n == 0 || at[kModeCount] >= 1),
                "the mode's count is within n");
    if (n == 0) return 0;
    fuzz::Check(InOrder({at[kMin], at[kQ1], at[kMedian], at[kQ3], at[kMax]}),
                "the summary in order");
    fuzz::Check(InOrder({at[kP0], at[kP0 + 1], at[kP0 + 2], at[kP0 + 3], at[kP0 + 4]}),
                "the percentiles rise");
    fuzz::Check(at[kP0] == at[kMin] && at[kP0 + 4] == at[kMax], "p0 and p100 are the ends");
    fuzz::Check(!(at[kMad] < 0) && !(at[kIqr] < 0) && !(at[kIqr] > at[kRange]),
                "the spreads in order");
    if (!std::isnan(at[kMode])) {
        fuzz::Check(std::find(sample.begin(), sample.end(), at[kMode]) != sample.end() &&
                        at[kModeCount] >= 2,
                    "the mode is a value that recurs");
    }
    if (n >= 2 && std::isfinite(at[kLow]) && std::isfinite(at[kHigh])) {
        fuzz::Check(InOrder({at[kLow], at[kMean], at[kHigh]}) && !(at[kHalf] < 0),
                    "the interval holds the mean");
    }
    return 0;
}
