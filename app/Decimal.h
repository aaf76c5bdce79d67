// Decimal forms of doubles: the shortest digits that read back as a value,
// and the text of a decimal in the program's shortest notation. The
// shortest-digit listing and results (--digits=0), the machine formats and
// the histogram's edges all write their decimals this one way.
#ifndef DESCSTAT_DECIMAL_H
#define DESCSTAT_DECIMAL_H

#include <cstddef>
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

// Room enough for any text FormatGeneral writes.
constexpr int kGeneralChars = 32;

// Writes the finite or infinite v as printf's %.Ng writes it (and
// std::to_chars' general format with that precision), N = `digits` from 1 to
// 17, into `text`, and gives the length: the same bytes, found by scaling
// v's exact binary value by a power of ten in 128-bit integers and rounding
// once, half to even, where that fits (up to 15 digits, powers of ten up to
// 10^22 either way: every number a listing holds in practice), and by
// std::to_chars otherwise.
std::size_t FormatGeneral(char* text, double v, int digits);

}  // namespace descstat

#endif  // DESCSTAT_DECIMAL_H
