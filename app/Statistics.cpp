#include "app/Statistics.h"

#include <cmath>
#include <limits>

namespace descstat {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Result labels, Shift_JIS bytes.
constexpr const char* kMeanLabel = "\x95\xBD\x8B\xCF\x92\x6C = ";  // 平均値 =
constexpr const char* kVarianceLabel = "\x95\xAA\x8E\x55   = ";    // 分散   =
constexpr const char* kSdLabel = "SD     = ";
constexpr const char* kUnbiasedVarianceLabel = "\x95\x73\x95\xCE\x95\xAA\x8E\x55 = ";  // 不偏分散 =
constexpr const char* kUnbiasedSdLabel =
    "SD(\x95\x73\x95\xCE\x95\xAA\x8E\x55) = ";  // SD(不偏分散) =

// The mean as the sum over n; where that sum overflows although the values
// are finite, the sum of each value over n instead.
double FirstEstimate(const double* values, std::int32_t n) {
    const double count = n;
    double sum = 0.0;
    for (std::int32_t i = 0; i < n; ++i) sum += values[i];
    if (!std::isinf(sum)) return sum / count;
    double scaled = 0.0;
    for (std::int32_t i = 0; i < n; ++i) scaled += values[i] / count;
    return scaled;
}

void WriteResultLine(std::ofstream& report, const char* label, double value) {
    report << label;
    WriteNumber(report, value);
    report << std::endl;
}

}  // namespace

Results ComputeResults(const double* values, std::int32_t n) {
    Results r{kNaN, kNaN, kNaN, kNaN, kNaN};
    if (n <= 0) return r;
    const double count = n;

    // The deviations from a first estimate of the mean are small where the
    // values are close together, so their squares keep all their digits. Their
    // sum corrects the estimate, and subtracting its square removes the error
    // the estimate brings into the sum of squares.
    const double estimate = FirstEstimate(values, n);
    double deviationSum = 0.0;
    double squareSum = 0.0;
    for (std::int32_t i = 0; i < n; ++i) {
        const double d = values[i] - estimate;
        deviationSum += d;
        squareSum += d * d;
    }
    r.mean = estimate + deviationSum / count;
    double variance = (squareSum - deviationSum * deviationSum / count) / count;
    if (variance < 0.0) variance = 0.0;  // rounding only; NaN stays NaN

    r.variance = variance;
    r.sd = std::sqrt(variance);
    r.unbiasedVariance = (count * variance) / (count - 1.0);
    r.unbiasedSd = std::sqrt(r.unbiasedVariance);
    return r;
}

void WriteNumber(std::ostream& out, double v) {
    if (std::isnan(v)) {
        out << "nan";
    } else {
        out << v;
    }
}

void WriteResultBlock(std::ofstream& report, const double* values, std::int32_t n) {
    const Results r = ComputeResults(values, n);
    report << std::endl;
    WriteResultLine(report, kMeanLabel, r.mean);
    WriteResultLine(report, kVarianceLabel, r.variance);
    WriteResultLine(report, kSdLabel, r.sd);
    WriteResultLine(report, kUnbiasedVarianceLabel, r.unbiasedVariance);
    WriteResultLine(report, kUnbiasedSdLabel, r.unbiasedSd);
    report.close();
}

}  // namespace descstat
