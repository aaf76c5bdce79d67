#include "app/Statistics.h"

#include <charconv>
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

std::size_t FormatNumber(char* text, double v, int digits) {
    if (std::isnan(v)) {
        text[0] = 'n';
        text[1] = 'a';
        text[2] = 'n';
        return 3;
    }
    const std::to_chars_result r =
        std::to_chars(text, text + kNumberChars, v, std::chars_format::general, digits);
    return static_cast<std::size_t>(r.ptr - text);
}

void WriteNumber(std::ostream& out, double v) {
    char text[kNumberChars];
    const std::size_t length = FormatNumber(text, v, static_cast<int>(out.precision()));
    out.write(text, static_cast<std::streamsize>(length));
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
