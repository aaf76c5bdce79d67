// Exact arithmetic on doubles for the statistics step.
//
// Sums of finite doubles and of their squares are kept without any rounding
// in fixed-point accumulators that cover the whole range of double, so that
// cancellation, overflow of an intermediate sum and underflow cost nothing.
// From such exact integers the results are formed as quotients (and square
// roots of quotients) and rounded once, to the nearest double with ties to
// even: every digit of a result is then the digit of the exact value. Nothing
// here allocates in the per-value loop or throws of its own.
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

// The running sums of a list of finite doubles: Σx and Σx² held exactly.
// Each 64-bit cell gathers one 32-bit digit's worth of every value, so fewer
// than 2^31 values can be added before the carries are resolved at the end.
struct ExactSums {
    static constexpr int kLinearCells = 70;   // Σx: 2^-1074 up to beyond 2^1055
    static constexpr int kSquareCells = 140;  // Σx²: 2^-2148 up to beyond 2^2079
    std::int64_t linear[kLinearCells] = {};
    std::uint64_t square[kSquareCells] = {};
};

// Adds each of the n values and its square to the sums. Stops and gives false
// at the first value that is not finite, which no exact sum can hold.
bool AddValues(ExactSums& sums, const double* values, std::int32_t n);

// Adds a finite double to the linear sum only, `times` times (times < 2^31
// over all calls); for exact weighted sums such as an interpolation.
void AddMultiple(ExactSums& sums, double x, std::uint32_t times);

// Σx as a sign and a magnitude in units of 2^-kLinearScale.
BigNat LinearSum(const ExactSums& sums, bool& negative);

// Σx² as a magnitude in units of 2^-kSquareScale.
BigNat SquareSum(const ExactSums& sums);

// n·Σx² − (Σx)², in units of 2^-kSquareScale: n² times the population
// variance, never negative.
BigNat ScatterTimesCount(const BigNat& linear, const BigNat& square, std::uint32_t n);

// The double nearest to (num / den) · 2^exp2, negated when `negative`; inf
// when beyond the largest double, a subnormal or 0 when below the smallest.
double RoundQuotient(const BigNat& num, std::uint64_t den, int exp2, bool negative);

// The double nearest to the square root of (num / den) · 2^exp2, for an even
// exp2.
double RoundSqrtQuotient(const BigNat& num, std::uint64_t den, int exp2);

}  // namespace descstat

#endif  // DESCSTAT_EXACT_H
