#include "app/Statistics.h"

#include <cmath>
#include <limits>

#include "app/Exact.h"
#include "app/Japanese.h"

namespace descstat {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void WriteResultLine(std::ostream& report, const char* label, double value) {
    report << label;
    WriteNumber(report, value);
    report << std::endl;
}

}  // namespace

Results ComputeResults(const double* values, std::int32_t n) {
    Results r{kNaN, kNaN, kNaN, kNaN, kNaN};
    if (n <= 0) return r;
    // A value that is not a number (a line without one) makes every result
    // NaN; a data file cannot give an infinity.
    ExactSums sums;
    if (!AddValues(sums, values, n)) return r;
    const auto count = static_cast<std::uint32_t>(n);
    bool negative = false;
    const BigNat linear = LinearSum(sums, negative);
    const BigNat scatter = ScatterTimesCount(linear, SquareSum(sums), count);

    // mean = Σx / n; variance = (n·Σx² − (Σx)²) / n²; the unbiased variance
    // has n·(n − 1) below instead. Each is rounded once from its exact value,
    // and so is each standard deviation, from the exact variance.
    const std::uint64_t nn = std::uint64_t{count} * count;
    r.mean = RoundQuotient(linear, count, -kLinearScale, negative);
    r.variance = RoundQuotient(scatter, nn, -kSquareScale, false);
    r.sd = RoundSqrtQuotient(scatter, nn, -kSquareScale);
    if (n > 1) {
        const std::uint64_t nn1 = std::uint64_t{count} * (count - 1);
        r.unbiasedVariance = RoundQuotient(scatter, nn1, -kSquareScale, false);
        r.unbiasedSd = RoundSqrtQuotient(scatter, nn1, -kSquareScale);
    }
    return r;
}

void WriteNumber(std::ostream& out, double v) {
    if (std::isnan(v)) {
        out << "nan";
    } else {
        out << v;
    }
}

void WriteResultBlock(std::ostream& report, const double* values, std::int32_t n,
                      Encoding encoding) {
    const Results r = ComputeResults(values, n);
    report << std::endl;
    WriteResultLine(report, kMeanLabel.In(encoding), r.mean);
    WriteResultLine(report, kVarianceLabel.In(encoding), r.variance);
    WriteResultLine(report, kSdLabel.In(encoding), r.sd);
    WriteResultLine(report, kUnbiasedVarianceLabel.In(encoding), r.unbiasedVariance);
    WriteResultLine(report, kUnbiasedSdLabel.In(encoding), r.unbiasedSd);
}

}  // namespace descstat
