#include "mylib/StrFunc.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>

#include "mylib/ByteWords.h"
#include "mylib/ShortDecimal.h"

namespace myLib {

// The string is taken by value, as the interface promises every caller.
// cppcheck-suppress passedByValue
std::string GetFld(std::string s, int n) {  // NOLINT(performance-unnecessary-value-param)
    std::string field;
    GetFld(s, n, field);
    return field;
}

void GetFld(const std::string& s, int n, std::string& field) {
    field.clear();
    std::size_t begin = 0;
    std::size_t end = 0;
    if (FindFld(s, n, begin, end)) field.append(s, begin, end - begin);
}

namespace {

const char* SkipBlanks(const char* p, const char* last) {
    while (p < last && IsBlnk(*p)) ++p;
    return p;
}

// The first blank from p on (`last` if none). Eight bytes are tested at a
// time: a field is mostly read whole.
const char* SkipNonBlanks(const char* p, const char* last) {
    while (last - p >= 8 && !AnyByteIs(WordAt(p), ' ') && !AnyByteIs(WordAt(p), '\t')) p += 8;
    while (p < last && !IsBlnk(*p)) ++p;
    return p;
}

}  // namespace

bool FindFld(const std::string& s, int n, std::size_t& begin, std::size_t& end) {
    begin = end = 0;
    if (n < 0) return false;
    const char* const first = s.data();
    const char* const last = first + s.size();
    const char* p = first;
    for (int skipped = 0; skipped < n && p < last; ++skipped) {
        p = SkipNonBlanks(SkipBlanks(p, last), last);
    }
    const char* const from = SkipBlanks(p, last);
    p = SkipNonBlanks(from, last);
    begin = static_cast<std::size_t>(from - first);
    end = static_cast<std::size_t>(p - first);
    return end > begin;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// White space as the classic locale's stream extraction skips it.
bool IsStreamSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The number that the classic-locale stream extraction of a double reads
// from a string: where it lies, and its digits as far as the quick
// conversion needs them.
struct Number {
    const char* begin = nullptr;  // after leading white space: the sign or first digit
    const char* end = nullptr;    // the first byte that does not fit
    bool negative = false;
    std::uint64_t digits = 0;  // the significant digits, while at most 19
    int significant = 0;       // how many significant digits there are (0 for zero)
    int pointShift = 0;        // how many digits follow the point
    int exponent = 0;          // the written exponent, capped far beyond any double's
};

// Reads the mantissa digits from p up to `last` into `digits` and gives
// where they end; `significant` counts the digits after the leading zeros.
// Beyond 19 significant digits `digits` is of no use (it wraps), and the
// quick conversion never looks at it.
const char* ReadDigits(const char* p, const char* last, std::uint64_t& digits, int& significant) {
    if (significant == 0) {
        while (p < last && *p == '0') ++p;
    }
    const char* const from = p;
    for (; p < last && IsDigit(*p); ++p)
        digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
    significant += static_cast<int>(p - from);
    return p;
}

// The written exponent's digits from p, capped so that no digit count
// overflows it; gives where they end.
const char* ReadExponent(const char* p, const char* last, int& exponent) {
    bool negative = false;
    if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
    const char* digitsFrom = p;
    int value = 0;
    for (; p < last && IsDigit(*p); ++p) {
        if (value < 100000) value = value * 10 + (*p - '0');
    }
    exponent = negative ? -value : value;
    return p == digitsFrom ? nullptr : p;
}

// Finds the number in s, as the stream extraction takes it: an optional sign,
// the mantissa's digits with at most one point, and an exponent letter, once
// mantissa digits were seen, with an optional sign and its digits. False
// when the conversion of what was taken must fail: no mantissa digit, or an
// exponent letter without a digit after it.
bool FindNumber(const char* first, const char* last, Number& number) {
    const char* p = first;
    while (p < last && IsStreamSpace(*p)) ++p;
    number.begin = p;
    if (p < last && (*p == '+' || *p == '-')) number.negative = *p++ == '-';
    std::uint64_t digits = 0;
    int significant = 0;
    const char* q = ReadDigits(p, last, digits, significant);
    bool mantissa = q != p;
    if (q < last && *q == '.') {
        const char* fraction = q + 1;
        q = ReadDigits(fraction, last, digits, significant);
        mantissa = mantissa || q != fraction;
        number.pointShift = static_cast<int>(q - fraction);
    }
    number.end = q;
    if (!mantissa) return false;
    number.digits = digits;
    number.significant = significant;
    if (q < last && (*q == 'e' || *q == 'E')) {
        const char* after = ReadExponent(q + 1, last, number.exponent);
        if (after == nullptr) return false;  // an exponent letter with no digit
        number.end = after;
    }
    return true;
}

// The most significant digits of a number whose decimal is kept as written.
constexpr int kWrittenDigits = 15;

// The quick conversion: at most 15 significant digits (exact in a double)
// scaled by an exactly held power of ten is one correctly rounded operation.
// False when the number needs the full conversion.
bool QuickValue(const Number& number, double& value) {
    // Where the arithmetic is not plain double precision (an x87 unit keeps
    // more), one operation is not one rounding: the full conversion decides.
    if (FLT_EVAL_METHOD != 0 || number.significant > 15) return false;
    const int scale = number.exponent - number.pointShift;
    if (scale < -22 || scale > 22) return false;
    const auto digits = static_cast<double>(number.digits);
    value = scale < 0 ? digits / kExactPowers[-scale] : digits * kExactPowers[scale];
    if (number.negative) value = -value;
    return true;
}

}  // namespace

// The number grammar is checked here, byte for byte as the stream extraction
// of the classic locale checks it. Most numbers are converted by the quick,
// exact arithmetic above, the rest with std::from_chars; both round correctly
// like the stream's strtod but need no stream, locale or allocation. A number
// beyond the range of double goes through strtod as the stream's would: too
// large fails, too small is 0. The string is taken by value, as the interface
// promises every caller.
// cppcheck-suppress passedByValue
long double StrToDbl(std::string s) {  // NOLINT(performance-unnecessary-value-param)
    std::size_t end = 0;
    return StrToDbl(s, end);
}

long double StrToDbl(const std::string& s, std::size_t& end) {
    const char* stop = nullptr;
    const long double value = StrToDbl(s.data(), s.data() + s.size(), stop);
    end = static_cast<std::size_t>(stop - s.data());
    return value;
}

long double StrToDbl(const char* first, const char* last, const char*& end) {
    WrittenNumber ignored;
    return StrToDbl(first, last, end, ignored);
}

long double StrToDbl(const char* first, const char* last, const char*& end,
                     WrittenNumber& written) {
    constexpr double kFailed = std::numeric_limits<double>::quiet_NaN();
    end = first;
    written = WrittenNumber();
    Number number;
    if (!FindNumber(first, last, number)) return kFailed;
    double value = 0.0;
    if (!QuickValue(number, value)) {
        // from_chars reads the bytes where they stand; it takes no plus sign.
        const char* from = number.begin + (*number.begin == '+' ? 1 : 0);
        const std::from_chars_result r = std::from_chars(from, number.end, value);
        if (r.ec != std::errc() || r.ptr != number.end) {
            value = std::strtod(std::string(number.begin, number.end).c_str(), nullptr);
            if (std::isinf(value)) return kFailed;
        }
    }
    end = number.end;
    if (number.significant <= kWrittenDigits) {
        const auto digits = static_cast<std::int64_t>(number.digits);
        written.known = true;
        written.digits = number.negative ? -digits : digits;
        written.scale = digits == 0 ? 0 : number.exponent - number.pointShift;
    }
    return value;
}

namespace {

// The number parser's small steps are made part of the loop over a block's
// lines, where a call would cost as much as the step.
#if defined(__GNUC__)
#define MYLIB_NOINLINE __attribute__((noinline))
#else
#define MYLIB_NOINLINE
#endif

// Appends the digits at p to m (wrapping beyond 19) and gives where they end.
MYLIB_ALWAYS_INLINE const char* TakeDigits(const char* p, const char* last, std::uint64_t& m) {
    while (kWordDigits && last - p >= 8) {
        const std::uint64_t word = WordAt(p);
        const int k = LeadingDigits(word);
        if (k == 0) return p;
        m = m * kWordPowers[k] + WordDigitsValue(word, k);
        p += k;
        if (k < 8) return p;
    }
    for (; p < last && IsDigit(*p); ++p) m = m * 10 + static_cast<std::uint64_t>(*p - '0');
    return p;
}

// The written exponent after its letter, of at most four digits; null when
// it has none or more.
const char* TakeExponent(const char* p, const char* last, int& exponent) {
    bool negative = false;
    if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
    const char* const from = p;
    int value = 0;
    for (; p < last && IsDigit(*p); ++p) {
        if (p - from == 4) return nullptr;
        value = value * 10 + (*p - '0');
    }
    exponent = negative ? -value : value;
    return p == from ? nullptr : p;
}

// The first CR or LF from p up to `stop` (`stop` if none): the other bytes
// below CR belong to a line like any other.
const char* FindLineEnd(const char* p, const char* stop) {
    for (;;) {
        while (stop - p >= 8 && !AnyByteBelow(WordAt(p), '\r' + 1)) p += 8;
        while (p<stop&& static_cast<unsigned char>(*p)> '\r') ++p;
        if (p == stop || *p == '\n' || *p == '\r') return p;
        ++p;
    }
}

// QuickDecimal for any number ShortDecimal does not read: apart, so that
// the common path stays small.
MYLIB_NOINLINE const char* LongerDecimal(const char* p, const char* last, QuickNumber& number) {
    constexpr std::uint64_t kLongest = 1000000000000000ULL;  // 10^15: 16 digits
    if (FLT_EVAL_METHOD != 0) return nullptr;                // see QuickValue
    bool negative = false;
    if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
    std::uint64_t m = 0;
    const char* const start = p;
    p = TakeDigits(p, last, m);
    std::ptrdiff_t digits = p - start;
    int fraction = 0;
    if (p < last && *p == '.') {
        const char* const from = ++p;
        p = TakeDigits(p, last, m);
        fraction = static_cast<int>(p - from);
        digits += fraction;
    }
    // Up to 19 digits m is exact, and below 10^15 it has at most 15 after
    // its leading zeros.
    if (digits == 0 || digits > 19 || m >= kLongest) return nullptr;
    int exponent = 0;
    if (p < last && (*p == 'e' || *p == 'E')) {
        p = TakeExponent(p + 1, last, exponent);
        if (p == nullptr) return nullptr;
    }
    const int scale = exponent - fraction;
    if (scale < -22 || scale > 22) return nullptr;
    const auto value = static_cast<double>(m);
    number.value = scale < 0 ? value / kExactPowers[-scale] : value * kExactPowers[scale];
    if (negative) number.value = -number.value;
    number.digits = negative ? -static_cast<std::int64_t>(m) : static_cast<std::int64_t>(m);
    number.scale = m == 0 ? 0 : scale;
    number.wholeDigits = QuickNumber::kNotPlain;
    return p;
}

// QuickDecimal, made part of each caller.
MYLIB_ALWAYS_INLINE const char* ReadQuickDecimal(const char* p, const char* last,
                                                 QuickNumber& number) {
    if (kWordDigits && FLT_EVAL_METHOD == 0 && last - p >= kShortNumber) {
        const char* const after = ShortDecimal(p, number);
        if (after != nullptr && *after != 'e' && *after != 'E') return after;
    }
    return LongerDecimal(p, last, number);
}

// One line of QuickValueLines: the byte after its line end, or null.
MYLIB_ALWAYS_INLINE const char* QuickValueLine(const char* p, const char* last, std::size_t maxLine,
                                               QuickNumber& number) {
    if (kWordDigits && FLT_EVAL_METHOD == 0 && last - p >= kShortNumber) {
        // The commonest line: the number and its line feed.
        const char* const after = ShortDecimal(p, number);
        if (after != nullptr && *after == '\n') return after + 1;
    }
    const char* const begin = p;
    const char* const stop = static_cast<std::size_t>(last - p) > maxLine ? p + maxLine + 1 : last;
    while (p < stop && IsBlnk(*p)) ++p;
    p = ReadQuickDecimal(p, stop, number);
    if (p == nullptr || p == stop) return nullptr;
    if (IsBlnk(*p)) p = FindLineEnd(p, stop);
    if (p == stop || static_cast<std::size_t>(p - begin) > maxLine) return nullptr;
    if (*p == '\n') return p + 1;
    if (*p == '\r' && last - p > 1 && p[1] == '\n') return p + 2;
    return nullptr;
}

}  // namespace

const char* QuickDecimal(const char* p, const char* last, QuickNumber& number) {
    return ReadQuickDecimal(p, last, number);
}

std::size_t QuickValueLines(const char*& p, const char* last, const char* limit,
                            std::size_t maxLine, QuickNumber* numbers, std::size_t room) {
    std::size_t count = 0;
    while (count < room && p < limit) {
        const char* const next = QuickValueLine(p, last, maxLine, numbers[count]);
        if (next == nullptr) break;
        p = next;
        ++count;
    }
    return count;
}

bool IsFlNm(const std::string& s) { return s.find('\0') == std::string::npos; }

}  // namespace myLib
