// An exact result and the two ways it is written: the double nearest to it
// (for the machine formats, the shortest digits and the chart's drawing), and
// its decimal rounded once to N significant digits, ties to even (for the
// report, the summary and the chart's caption), in the notation of printf's
// %g. Rounding the exact value once avoids the wrong last digit that rounding
// it first to a double and then to N digits can give: the exact mean
// 12345.650000000000363... is 12345.7 at six digits, though its nearest
// double 12345.649999999999636... would print as 12345.6.
#ifndef DESCSTAT_EXACTNUMBER_H
#define DESCSTAT_EXACTNUMBER_H

#include <cstdint>
#include <string>

#include "app/Decimal.h"
#include "app/Exact.h"

namespace descstat {

// ±num/den, or ±the square root of num/den (`root`), with den > 0 and
// num ≥ 0. An undefined result (no values, one value for the unbiased
// variance) has `defined` false and is NaN.
struct ExactNumber {
    bool defined = false;
    bool negative = false;
    bool root = false;
    BigNat num;
    BigNat den;
};

// The quotient num/den and the square root of num/den, negated when
// `negative`; den must not be zero.
ExactNumber Quotient(BigNat num, BigNat den, bool negative = false);
ExactNumber SquareRootOf(BigNat num, BigNat den, bool negative = false);

// a − b for two defined quotients (no roots), exactly: a range, an
// interquartile range, a deviation from the median. Undefined otherwise.
ExactNumber Difference(const ExactNumber& a, const ExactNumber& b);

// a + b for two defined quotients (no roots), exactly; undefined otherwise.
ExactNumber Sum(const ExactNumber& a, const ExactNumber& b);

// −1, 0 or 1 as a is below, equal to or above b, for two defined quotients.
int CompareExact(const ExactNumber& a, const ExactNumber& b);

// The quotient divided by a whole number k > 0: a mean of two, a sum over n.
ExactNumber Divided(const ExactNumber& a, std::uint64_t k);

// The whole number k, exactly: counts and degrees of freedom as factors.
ExactNumber Whole(std::uint64_t k);

// a · b and a / b for two defined quotients (no roots), exactly; undefined
// otherwise, and a / b for b = 0.
ExactNumber Product(const ExactNumber& a, const ExactNumber& b);
ExactNumber Ratio(const ExactNumber& a, const ExactNumber& b);

// The exact value of a finite double; undefined for NaN and the infinities,
// which no data file gives.
ExactNumber ExactOf(double v);

// The number's text with `digits` significant digits, as the report writes
// every statistic: rounded once from the exact value (GeneralText), or with
// kShortestDigits (0) the shortest digits of its nearest double. Where the
// nearest double is not a normal finite number (NaN, an infinity, zero, a
// subnormal) it is that double's text: "nan", "inf", "0", so that the report
// and the machine formats agree on what lies beyond the doubles' range.
std::string StatisticText(const ExactNumber& x, int digits);

// The double nearest to the number (ties to even): NaN when undefined, inf
// beyond the largest double, a subnormal or 0 below the smallest.
double NearestDouble(const ExactNumber& x);

// The number rounded once to `digits` significant digits (1 to 17), ties to
// even; zero is "0" with no sign. Only for a defined number.
Decimal RoundedDecimal(const ExactNumber& x, int digits);

// A decimal of at most `digits` significant digits written as printf's %g
// with that precision writes a double: fixed notation when its leading
// digit's power of ten is from -4 to digits − 1, d.ddde±XX otherwise,
// trailing zeros dropped.
std::string GeneralText(const Decimal& d, int digits);

}  // namespace descstat

#endif  // DESCSTAT_EXACTNUMBER_H
