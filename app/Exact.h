// Exact arithmetic on doubles for the statistics step.
//
// Sums of finite doubles and of their squares (and, when asked, of their
// cubes and fourth powers) are kept without any rounding in fixed-point
// accumulators that cover the whole range of double, so that cancellation,
// overflow of an intermediate sum and underflow cost nothing. From such exact
// integers the results are formed as quotients (and square roots of
// quotients), by divisors of any size, and rounded once, to the nearest double
// with ties to even: every digit of a result is then the digit of the exact
// value. Nothing here allocates in the per-value loop or throws of its own.
#ifndef DESCSTAT_EXACT_H
#define DESCSTAT_EXACT_H

#include <cstdint>
#include <vector>

namespace descstat {

// A natural number in 64-bit limbs, least significant first, with no zero
// limb at the top (zero is the empty vector).
using BigNat = std::vector<std::uint64_t>;

// The scale of the sums: every finite double is a whole multiple of
// 2^-kLinearScale, and its square one of 2^-kSquareScale.
constexpr int kLinearScale = 1074;
constexpr int kSquareScale = 2 * kLinearScale;
// Likewise every cube is a whole multiple of 2^-kCubeScale and every fourth
// power one of 2^-kFourthScale.
constexpr int kCubeScale = 3 * kLinearScale;
constexpr int kFourthScale = 4 * kLinearScale;

// A whole number as its magnitude and sign; zero is never negative.
struct SignedNat {
    BigNat magnitude;
    bool negative = false;
};

// The running sums of a list of finite doubles: Σx and Σx² held exactly.
// Each 64-bit cell gathers one 32-bit digit's worth of every value, so fewer
// than 2^31 values can be added before the carries are resolved at the end.
struct ExactSums {
    static constexpr int kLinearCells = 70;   // Σx: 2^-1074 up to beyond 2^1055
    static constexpr int kSquareCells = 140;  // Σx²: 2^-2148 up to beyond 2^2079
    std::int64_t linear[kLinearCells] = {};
    std::uint64_t square[kSquareCells] = {};
};

// Σx, Σx², Σx³ and Σx⁴ held exactly, for the shape of a distribution; a type
// of its own so that a mean and a variance pay nothing for the higher powers.
// The same limit of fewer than 2^31 values holds.
struct ExactPowerSums {
    static constexpr int kCubeCells = 200;    // Σx³: 2^-3222 up to beyond 2^3103
    static constexpr int kFourthCells = 264;  // Σx⁴: 2^-4296 up to beyond 2^4127
    ExactSums sums;
    std::int64_t cube[kCubeCells] = {};
    std::uint64_t fourth[kFourthCells] = {};
};

// Adds each of the n values and its square to the sums. Stops and gives false
// at the first value that is not finite, which no exact sum can hold.
bool AddValues(ExactSums& sums, const double* values, std::int32_t n);

// Adds each of the n values and its square, cube and fourth power to the
// sums; gives false at the first value that is not finite, as above.
bool AddValues(ExactPowerSums& sums, const double* values, std::int32_t n);

// Σx as a sign and a magnitude in units of 2^-kLinearScale.
BigNat LinearSum(const ExactSums& sums, bool& negative);

// Σx² as a magnitude in units of 2^-kSquareScale.
BigNat SquareSum(const ExactSums& sums);

// Σx³ as a sign and a magnitude in units of 2^-kCubeScale.
BigNat CubeSum(const ExactPowerSums& sums, bool& negative);

// Σx⁴ as a magnitude in units of 2^-kFourthScale.
BigNat FourthPowerSum(const ExactPowerSums& sums);

// v as a BigNat (no limb at all for zero), for counts used as factors or
// divisors.
BigNat Natural(std::uint64_t v);

// a · b, for divisors such as n²·(n − 1) that outgrow 64 bits.
BigNat Multiply(const BigNat& a, const BigNat& b);

// a · b and a + b with their signs, for sums whose terms cancel.
SignedNat Multiply(const SignedNat& a, const SignedNat& b);
SignedNat Add(const SignedNat& a, const SignedNat& b);

// 2^k as a BigNat, for the scales of the exact sums.
BigNat PowerOfTwo(int k);
// 10^k (k ≥ 0) as a BigNat, for the scales of decimals.
BigNat PowerOfTen(int k);

// −1, 0 or 1 as a is below, equal to or above b.
int Compare(const BigNat& a, const BigNat& b);

// floor(a / b) for b ≠ 0 when it is below 2^128 (the caller scales a and b
// so), as a BigNat; `inexact` tells whether a remainder was dropped. For
// the digits of a result, which never need more.
BigNat SmallQuotient(const BigNat& a, const BigNat& b, bool& inexact);

// floor(√a) for a below 2^128.
BigNat SmallSquareRoot(const BigNat& a);

// n·Σx² − (Σx)², in units of 2^-kSquareScale: n² times the population
// variance, never negative.
BigNat ScatterTimesCount(const BigNat& linear, const BigNat& square, std::uint32_t n);

// n²·Σ(x − x̄)³ = n²·Σx³ − 3n·Σx·Σx² + 2(Σx)³ from the sums of n values, in
// units of 2^-kCubeScale: n³ times the third central moment, with its sign.
SignedNat CentralCubesTimesCountSquared(const SignedNat& linear, const BigNat& square,
                                        const SignedNat& cube, std::uint64_t n);

// n³·Σ(x − x̄)⁴ = n³·Σx⁴ − 4n²·Σx·Σx³ + 6n·Σx²·(Σx)² − 3(Σx)⁴ from the sums of
// n values, in units of 2^-kFourthScale: n⁴ times the fourth central moment,
// never negative.
BigNat CentralFourthsTimesCountCubed(const SignedNat& linear, const BigNat& square,
                                     const SignedNat& cube, const BigNat& fourth, std::uint64_t n);

// The double nearest to (num / den) · 2^exp2, negated when `negative`; inf
// when beyond the largest double, a subnormal or 0 when below the smallest.
double RoundQuotient(const BigNat& num, std::uint64_t den, int exp2, bool negative);

// The double nearest to the square root of (num / den) · 2^exp2, for an even
// exp2.
double RoundSqrtQuotient(const BigNat& num, std::uint64_t den, int exp2);

// As above for a divisor of any size; NaN when den is zero.
double RoundQuotient(const BigNat& num, const BigNat& den, int exp2, bool negative);
double RoundSqrtQuotient(const BigNat& num, const BigNat& den, int exp2);

}  // namespace descstat

#endif  // DESCSTAT_EXACT_H
