#include "app/Report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "app/Messages.h"

namespace descstat {

namespace {

// Room for a value's number in the listing (at most 2147483647).
constexpr int kIndexChars = 12;

// A label, the number in the report's format and a line end.
void WriteLabelled(std::ostream& report, const JapaneseText& label, double value,
                   const ReportFormat& format) {
    char text[kNumberChars];
    const std::size_t length = FormatNumber(text, value, format.digits);
    WriteText(report, format.style, label);
    report.write(text, static_cast<std::streamsize>(length));
    report << std::endl;
}

// The largest decimal exponent written in fixed notation by the shortest
// format: a whole number up to 17 digits is written as it is typed.
constexpr int kLargestFixedExponent = kMaxDigits - 1;

// The shortest digits that read back as v (from the shortest scientific
// text), written in fixed notation when the exponent is from -4 to 16
// (10000000.1, 0.0001, 100000000), otherwise as d.ddde±XX (1e+300, 1e-05).
std::size_t FormatShortest(char* text, double v) {
    char sci[kNumberChars];
    const std::to_chars_result r =
        std::to_chars(sci, sci + kNumberChars, v, std::chars_format::scientific);
    const std::string_view s(sci, static_cast<std::size_t>(r.ptr - sci));
    const std::size_t e = s.find('e');
    int exponent = 0;
    if (e != std::string_view::npos) {
        (void)std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(),
                              exponent);
    }
    if (e == std::string_view::npos || exponent < -4 || exponent > kLargestFixedExponent) {
        return static_cast<std::size_t>(std::copy(s.begin(), s.end(), text) - text);
    }
    std::string digits;  // the significant digits, without sign and point
    for (std::size_t i = 0; i < e; ++i) {
        if (s[i] >= '0' && s[i] <= '9') digits += s[i];
    }
    char* out = text;
    if (s[0] == '-') *out++ = '-';
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        for (int z = -1; z > exponent; --z) *out++ = '0';
        out = std::copy(digits.begin(), digits.end(), out);
    } else {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        for (std::size_t i = 0; i < whole; ++i) *out++ = i < digits.size() ? digits[i] : '0';
        if (digits.size() > whole) {
            *out++ = '.';
            out = std::copy(digits.begin() + static_cast<std::ptrdiff_t>(whole), digits.end(), out);
        }
    }
    return static_cast<std::size_t>(out - text);
}

}  // namespace

std::size_t FormatNumber(char* text, double v, int digits) {
    if (std::isnan(v)) {
        text[0] = 'n';
        text[1] = 'a';
        text[2] = 'n';
        return 3;
    }
    if (digits == kShortestDigits) return FormatShortest(text, v);
    const std::to_chars_result r =
        std::to_chars(text, text + kNumberChars, v, std::chars_format::general, digits);
    return static_cast<std::size_t>(r.ptr - text);
}

void WriteHeader(std::ostream& report, const std::string& dataName) {
    report << kDataFileLabel << dataName << std::endl << std::endl;
}

void WriteListingHeading(std::ostream& report, const ReportFormat& format) {
    WriteTextLine(report, format.style, kListingHeading);
}

void WriteListingLine(std::ostream& report, std::int32_t k, double value, int digits) {
    char text[kIndexChars + kNumberChars + 4];
    char* end = std::to_chars(text, text + kIndexChars, k).ptr;
    *end++ = ':';
    *end++ = ' ';
    *end++ = ' ';
    end += FormatNumber(end, value, digits);
    *end++ = '\n';
    // Straight to the stream's buffer (or, unbuffered, to the file).
    const std::streamsize length = end - text;
    if (report.rdbuf()->sputn(text, length) != length) report.setstate(std::ios_base::badbit);
}

void WriteResultBlock(std::ostream& report, const Results& results, const ReportFormat& format) {
    const std::pair<const JapaneseText*, double> lines[] = {
        {&kMeanLabel, results.mean},
        {&kVarianceLabel, results.variance},
        {&kSdLabel, results.sd},
        {&kUnbiasedVarianceLabel, results.unbiasedVariance},
        {&kUnbiasedSdLabel, results.unbiasedSd},
    };
    report << std::endl << std::endl;
    for (const auto& line : lines) {
        WriteLabelled(report, *line.first, line.second, format);
    }
}

void WriteSummaryBlock(std::ostream& report, const Summary& summary, const ReportFormat& format) {
    const std::pair<const JapaneseText*, double> lines[] = {
        {&kMinimumLabel, summary.minimum}, {&kFirstQuartileLabel, summary.firstQuartile},
        {&kMedianLabel, summary.median},   {&kThirdQuartileLabel, summary.thirdQuartile},
        {&kMaximumLabel, summary.maximum},
    };
    report << std::endl;
    WriteText(report, format.style, kCountLabel);
    report << summary.count << std::endl;
    for (const auto& line : lines) {
        WriteLabelled(report, *line.first, line.second, format);
    }
}

}  // namespace descstat
