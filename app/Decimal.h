// Decimal forms of doubles: the shortest digits that read back as a value,
// and the text of a decimal in the program's shortest notation. The
// shortest-digit listing and results (--digits=0), the machine formats and
// the histogram's edges all write their decimals this one way.
#ifndef DESCSTAT_DECIMAL_H
#define DESCSTAT_DECIMAL_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace descstat {

// A decimal ±digits × 10^exponent: `digits` are decimal digits without
// leading zeros ("0" for zero), and for a shortest form without trailing
// zeros either.
struct Decimal {
    bool negative = false;
    std::string digits = "0";
    int exponent = 0;
};

// The shortest decimal that reads back as the finite value v (a negative
// zero keeps its sign).
Decimal ShortestDecimal(double v);

// The largest power of ten of the leading digit that DecimalText writes in
// fixed notation by default: a whole number of up to 17 digits is written as
// it is typed.
constexpr int kLargestFixedExponent = 16;

// The decimal's text: fixed notation when its leading digit's power of ten
// is from -4 to `largestFixed` (10000000.1, 0.0001, 100000000), otherwise
// d.ddde±XX (1e+300, 1.5e-05), every digit written.
std::string DecimalText(const Decimal& d, int largestFixed = kLargestFixedExponent);

// Room enough for any text FormatGeneral or WriteShortest writes.
constexpr int kGeneralChars = 32;

// Writes DecimalText(ShortestDecimal(v)) for the finite v into `text` and
// gives the length: the same bytes without a string made on the way, for
// the many values a chart or a shortest listing writes.
std::size_t WriteShortest(char* text, double v);

// Writes the finite or infinite v as printf's %.Ng writes it (and
// std::to_chars' general format with that precision), N = `digits` from 1 to
// 17, into `text`, and gives the length: the same bytes, found by scaling
// v's exact binary value by a power of ten in 128-bit integers and rounding
// once, half to even, where that fits (up to 15 digits, powers of ten up to
// 10^22 either way: every number a listing holds in practice), and by
// std::to_chars otherwise.
std::size_t FormatGeneral(char* text, double v, int digits);

// Writes ±digits·10^scale, a decimal as typed with at most 15 significant
// digits, as FormatGeneral writes the double read from it (N = `n` from 1
// to 15), and gives the length; 0, with nothing written, for zero (whose
// sign only the double knows), for other N, and for a decimal that lies
// exactly halfway between two N-digit numbers, which its double may round
// either way. Anywhere else the double lies too near the decimal to round
// otherwise, so the digits alone are rounded: no scaling, no power of ten.
std::size_t FormatWrittenGeneral(char* text, std::int64_t digits, int scale, int n);

// 10^k for k from 0 to 19.
inline constexpr std::uint64_t kPowersOfTen[] = {1ULL,
                                                 10ULL,
                                                 100ULL,
                                                 1000ULL,
                                                 10000ULL,
                                                 100000ULL,
                                                 1000000ULL,
                                                 10000000ULL,
                                                 100000000ULL,
                                                 1000000000ULL,
                                                 10000000000ULL,
                                                 100000000000ULL,
                                                 1000000000000ULL,
                                                 10000000000000ULL,
                                                 100000000000000ULL,
                                                 1000000000000000ULL,
                                                 10000000000000000ULL,
                                                 100000000000000000ULL,
                                                 1000000000000000000ULL,
                                                 10000000000000000000ULL};

// FormatWrittenGeneral for a listing's commonest number (n from 1 to 15),
// from its own text: `written` is [+-]ddd[.ddd] (a minus when `negative`)
// with `whole` digits before the point and `fraction` after it, and 8 bytes
// may be read there. When its first digit is not 0 and %g writes it in
// fixed notation within 8 bytes, its first n digits are copied as one word,
// the last raised by one (with its carry) when the digits cut off are more
// than half a unit of it, and the fraction's trailing zeros left out: no
// conversion at all. 0 when that does not apply (a whole beyond 7 digits
// stands for no such text), and for a tie (as FormatWrittenGeneral). Inline,
// for the listing's loop.
inline std::size_t FormatPlainWritten(char* text, const char* written, bool negative,
                                      std::int64_t digits, int whole, int fraction, int n) {
    constexpr int kWord = 8;
    constexpr int kMostDigits = 15;  // a double holds every decimal of 15 digits
    const int sign = negative ? 1 : 0;
    if (whole > n || n > kMostDigits || static_cast<unsigned char>(written[sign] - '1') >= 9) {
        return 0;
    }
    const int count = whole + fraction;
    const int kept = count < n ? count : n;
    const int point = sign + whole;  // where the point stands
    int size = kept > whole ? point + 1 + kept - whole : point;
    if (size > kWord) return 0;
    std::memcpy(text, written, kWord);
    if (count > n) {
        // The first digit cut off decides, unless it is a 5.
        const char next = written[size == point ? point + 1 : size];
        bool up = next > '5';
        if (next == '5') {
            const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(digits)
                                                     : static_cast<std::uint64_t>(digits);
            const std::uint64_t unit = kPowersOfTen[count - n];
            const std::uint64_t rest = magnitude % unit;
            if (rest == unit / 2) return 0;
            up = rest > unit / 2;
        }
        if (up) {
            int at = size - 1;
            for (; at >= sign; --at) {
                if (text[at] == '.') continue;
                if (text[at] != '9') break;
                text[at] = '0';
            }
            if (at < sign) return 0;  // 9.99 to 10.0: one digit more
            ++text[at];
        }
    }
    if (size == point) return static_cast<std::size_t>(size);
    // The fraction's trailing zeros go, and the point with them if no digit
    // is left after it.
    while (text[size - 1] == '0') --size;
    return static_cast<std::size_t>(text[size - 1] == '.' ? size - 1 : size);
}

}  // namespace descstat

#endif  // DESCSTAT_DECIMAL_H
