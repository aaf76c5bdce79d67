// Exact sums over the values as they are written: each finite double stands
// for its shortest decimal (the fewest significant digits that read back as
// it), m · 10^e, and the sums Σm and Σm² are kept per power of ten without
// any rounding, so that the mean of 0.1 and 0.2 is exactly 0.15. Adding a
// value costs a few instructions and never allocates; the sums are read once
// at the end as whole numbers at one common power of ten. Nothing here throws
// of its own.
#ifndef DESCSTAT_DECIMALSUMS_H
#define DESCSTAT_DECIMALSUMS_H

#include <cstdint>

#include "app/Exact.h"
#include "app/ExactNumber.h"
#include "mylib/StrFunc.h"

namespace descstat {

// The shortest decimal of a finite double as m · 10^e with |m| < 10^17;
// m may end in zeros, and a zero of either sign is m = 0, e = 0.
struct DecimalValue {
    std::int64_t m = 0;
    int e = 0;
};

// The smallest and largest e that DecimalOf gives: the shortest decimal of
// the least subnormal, 4.94e-324, is 5e-324, and no double needs a digit
// below 10^-324 (the spacing of the subnormals is above it); the largest
// power of ten of a leading digit is 308, and every digit is at or above e.
constexpr int kLowestDecimalExponent = -324;
constexpr int kHighestDecimalExponent = 308;

// v's shortest decimal, with the value that ShortestDecimal(v) gives; v must
// be finite. Whole numbers below 2^53 and decimals of up to 15 significant
// digits, none beyond 10^-15 (what a person types), take a quick path that
// writes no text.
DecimalValue DecimalOf(double v);

// v's shortest decimal from the decimal it was read from: a text of at most
// 15 significant digits that gave a normal double (or zero) means v's
// shortest decimal's value itself (two such decimals never give the same
// double), so no conversion is needed; any other v goes through DecimalOf.
DecimalValue DecimalOfWritten(double v, const myLib::WrittenNumber& written);

// The exact value of a value as written, its shortest decimal's, for a
// statistic that is one of the values (an infinity or NaN, which no decimal
// holds, is undefined).
ExactNumber ExactAsWritten(double v);

// The exact value part/denominator of the way from a to b (0 < part <
// denominator): ((denominator − part)·a + part·b) / denominator.
ExactNumber InterpolateDecimals(DecimalValue a, DecimalValue b, std::uint32_t part,
                                std::uint32_t denominator);

// The running sums of a list of shortest decimals: per power of ten e, Σm in
// two's complement over two words and Σm² over three. Fewer than 2^31 values
// fit (|Σm| < 2^88, Σm² < 2^145). Zero-initialized it is the empty list;
// about 25 KB, so better on the heap than on a small stack.
struct DecimalSums {
    // The sums of the values m · 10^e of one e.
    struct Bucket {
        std::uint64_t linear[2];  // Σm, low word first
        std::uint64_t square[3];  // Σm², low word first
    };
    // The buckets of the powers of ten from `lowest` on, as far as values
    // came: a few for numbers as people write them, so that a table of
    // thousands of samples keeps thousands of small sums.
    std::vector<Bucket> buckets;
    int lowest = 0;
    std::uint32_t count = 0;
    bool notFinite = false;  // a NaN or an infinity came: no exact sums exist
};

// Adds m · 10^e (|m| < 10^17, e within the limits above) to the sums.
void AddDecimal(DecimalSums& sums, DecimalValue d);

// Adds `count` numbers as written, each m · 10^e read by myLib::QuickDecimal
// (at most 15 digits: its shortest decimal), in one loop.
void AddWrittenNumbers(DecimalSums& sums, const myLib::QuickNumber* numbers, std::size_t count);

// Adds the sums `from` to `sums`, exactly: as if its values had been added
// to `sums` one by one (a file read in parts, SplitRead.h).
void AddDecimalSums(DecimalSums& sums, const DecimalSums& from);

// Adds the finite v as its shortest decimal; a NaN or an infinity is only
// noted in `notFinite` (then false), as no exact sum can hold it.
bool AddDecimalValue(DecimalSums& sums, double v);

// The common power of ten E of the results: −e for the least e of a nonzero
// value added, so that the sums are whole multiples of 10^-E and the sums of
// squares of 10^-2E. A whole number below 2^53 counts at 10^0, so E is
// negative only when every value is a larger multiple of ten; 0 for no values.
int DecimalScale(const DecimalSums& sums);

// Σd = S · 10^-scale: S with its sign, for any scale ≥ DecimalScale(sums).
SignedNat DecimalLinearSum(const DecimalSums& sums, int scale);

// Σd² = Q · 10^-2·scale, for any scale ≥ DecimalScale(sums).
BigNat DecimalSquareSum(const DecimalSums& sums, int scale);

// n·Σd² − (Σd)² in units of 10^-2·scale: n² times the population variance of
// the decimals, never negative; the numerator a variance is formed from.
BigNat DecimalScatter(const DecimalSums& sums, int scale);

// Σm³ and Σm⁴ per power of ten, for the skewness and the kurtosis: kept
// apart from DecimalSums, and filled only when a run asks for the shape, so
// that a mean pays nothing for them. The same limit of fewer than 2^31 values
// holds (|Σm³| < 2^202, Σm⁴ < 2^259).
struct DecimalPowerSums {
    struct Bucket {
        std::uint64_t cube[4];    // Σm³ in two's complement, low word first
        std::uint64_t fourth[5];  // Σm⁴, low word first
    };
    std::vector<Bucket> buckets;
    int lowest = 0;
};

// Adds m³ and m⁴ of the decimal m · 10^e to the sums.
void AddDecimalPowers(DecimalPowerSums& sums, DecimalValue d);

// Σd³ = C · 10^-3·scale and Σd⁴ = F · 10^-4·scale, for any scale ≥
// DecimalScale of the same values' DecimalSums.
SignedNat DecimalCubeSum(const DecimalPowerSums& sums, int scale);
BigNat DecimalFourthSum(const DecimalPowerSums& sums, int scale);

// Σab of paired decimals a = ma · 10^ea and b = mb · 10^eb, kept per power
// of ten ea + eb, for the paired comparison: with Σa², Σb², Σa and Σb it gives
// the differences' Σ(a − b)² exactly. The same limit of fewer than 2^31 pairs
// holds (|Σma·mb| < 2^144).
struct DecimalCrossSums {
    struct Bucket {
        std::uint64_t cross[3];  // Σma·mb in two's complement, low word first
    };
    std::vector<Bucket> buckets;
    int lowest = 0;
};

// Adds a·b of the decimals a and b to the sums.
void AddDecimalCross(DecimalCrossSums& sums, DecimalValue a, DecimalValue b);

// Σab = P · 10^-2·scale, for any scale at or above the DecimalScale of both
// lists' DecimalSums.
SignedNat DecimalCrossSum(const DecimalCrossSums& sums, int scale);

}  // namespace descstat

#endif  // DESCSTAT_DECIMALSUMS_H
