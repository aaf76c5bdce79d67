#include "mylib/StrFunc.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace myLib {

bool IsBlnk(char c) { return c == ' ' || c == '\t'; }

std::string GetFld(std::string s, int n) {
    if (n < 0) return std::string();
    const std::size_t size = s.size();
    std::size_t pos = 0;
    for (int skipped = 0; skipped < n && pos < size; ++skipped) {
        while (pos < size && IsBlnk(s[pos])) ++pos;
        while (pos < size && !IsBlnk(s[pos])) ++pos;
    }
    while (pos < size && IsBlnk(s[pos])) ++pos;
    const std::size_t begin = pos;
    while (pos < size && !IsBlnk(s[pos])) ++pos;
    return s.substr(begin, pos - begin);
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// White space as the classic locale's stream extraction skips it.
bool IsStreamSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The characters that the classic-locale stream extraction of a double
// gathers from s, in the form it hands to the conversion: an optional sign,
// the mantissa's digits (leading zeros as one) with at most one point, and an
// exponent letter, once mantissa digits were seen, with an optional sign and
// its digits. Stops at the first byte that does not fit, whose index goes to
// `end`. `complete` is false when the conversion of what was gathered must
// fail: no mantissa digit, or an exponent letter without a digit after it.
std::string GatherNumber(const std::string& s, bool& complete, std::size_t& end) {
    std::string out;
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n && IsStreamSpace(s[i])) ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) out += s[i++];
    bool mantissa = false;
    if (i < n && s[i] == '0') {
        out += '0';
        mantissa = true;
        while (i < n && s[i] == '0') ++i;
    }
    bool point = false;
    bool exponent = false;
    bool exponentDigit = false;
    for (; i < n; ++i) {
        const char c = s[i];
        if (IsDigit(c)) {
            out += c;
            mantissa = true;
            exponentDigit = exponent;
        } else if (c == '.' && !point && !exponent) {
            out += '.';
            point = true;
        } else if ((c == 'e' || c == 'E') && !exponent && mantissa) {
            out += 'e';
            exponent = true;
            if (i + 1 < n && (s[i + 1] == '+' || s[i + 1] == '-')) out += s[++i];
        } else {
            break;
        }
    }
    complete = mantissa && (!exponent || exponentDigit);
    end = i;
    return out;
}

}  // namespace

// The number grammar is checked here, byte for byte as the stream extraction
// of the classic locale checks it, and the digits are converted with
// std::from_chars, which rounds correctly like the stream's strtod but needs
// no stream, locale or allocation. A number beyond the range of double goes
// through strtod as the stream's would: too large fails, too small is 0. The
// string is taken by value, as the interface promises every caller.
// cppcheck-suppress passedByValue
long double StrToDbl(std::string s) {  // NOLINT(performance-unnecessary-value-param)
    std::size_t end = 0;
    return StrToDbl(s, end);
}

long double StrToDbl(const std::string& s, std::size_t& end) {
    constexpr double kFailed = std::numeric_limits<double>::quiet_NaN();
    bool complete = false;
    end = 0;
    std::size_t gathered = 0;
    const std::string number = GatherNumber(s, complete, gathered);
    if (!complete) return kFailed;
    // from_chars takes no plus sign.
    const char* first = number.c_str() + (number[0] == '+' ? 1 : 0);
    const char* last = number.c_str() + number.size();
    double value = 0.0;
    const std::from_chars_result r = std::from_chars(first, last, value);
    if (r.ec != std::errc() || r.ptr != last) {
        value = std::strtod(number.c_str(), nullptr);
        if (std::isinf(value)) return kFailed;
    }
    end = gathered;
    return value;
}

bool IsFlNm(const std::string& s) { return s.find('\0') == std::string::npos; }

}  // namespace myLib
