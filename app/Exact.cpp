#include "app/Exact.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace descstat {

namespace {

__extension__ typedef unsigned __int128 U128;  // NOLINT(modernize-use-using)
__extension__ typedef __int128 I128;           // NOLINT(modernize-use-using)

constexpr std::uint64_t kFractionMask = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << 52;
constexpr unsigned kExponentAll = 0x7FF;
constexpr std::uint64_t kDigitMask = 0xFFFFFFFFu;
constexpr int kDigitBits = 32;
constexpr int kLimbBits = 64;
// The quotients are taken to this many bits before rounding: far more than
// the 54 that rounding needs, so that only the sticky bit stands for the rest.
constexpr int kQuotientBits = 126;

// A finite double as m · 2^(p − 1074) with m < 2^53 and 0 ≤ p ≤ 2045.
struct Parts {
    std::uint64_t m;
    unsigned p;
    bool negative;
};

Parts Split(double x) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    const auto exponent = static_cast<unsigned>(bits >> 52) & kExponentAll;
    const std::uint64_t fraction = bits & kFractionMask;
    if (exponent == 0) return {fraction, 0, (bits >> 63) != 0};
    return {fraction | kHiddenBit, exponent - 1, (bits >> 63) != 0};
}

std::uint64_t Digit(U128 v, int index) {
    return static_cast<std::uint64_t>(v >> (kDigitBits * index)) & kDigitMask;
}

void AddLinear(ExactSums& sums, const Parts& x, std::int64_t times) {
    const unsigned cell = x.p / kDigitBits;
    const U128 shifted = static_cast<U128>(x.m) << (x.p % kDigitBits);
    const std::int64_t weight = x.negative ? -times : times;
    sums.linear[cell] += weight * static_cast<std::int64_t>(Digit(shifted, 0));
    sums.linear[cell + 1] += weight * static_cast<std::int64_t>(Digit(shifted, 1));
    sums.linear[cell + 2] += weight * static_cast<std::int64_t>(Digit(shifted, 2));
}

void AddSquare(ExactSums& sums, const Parts& x) {
    const unsigned q = 2 * x.p;  // x² = m² · 2^(q − 2148)
    const unsigned cell = q / kDigitBits;
    const unsigned shift = q % kDigitBits;
    const U128 square = static_cast<U128>(x.m) * x.m;  // < 2^106
    const U128 low = static_cast<U128>(static_cast<std::uint64_t>(square)) << shift;
    const U128 high = (square >> kLimbBits) << shift;
    sums.square[cell] += Digit(low, 0);
    sums.square[cell + 1] += Digit(low, 1);
    sums.square[cell + 2] += Digit(low, 2) + Digit(high, 0);
    sums.square[cell + 3] += Digit(high, 1);
    sums.square[cell + 4] += Digit(high, 2);
}

// v · m in place, for v in `count` limbs with room for one more at v[count].
void MultiplyLimbs(std::uint64_t* v, std::size_t count, std::uint64_t m) {
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const U128 t = static_cast<U128>(v[i]) * m + carry;
        v[i] = static_cast<std::uint64_t>(t);
        carry = static_cast<std::uint64_t>(t >> kLimbBits);
    }
    v[count] = carry;
}

// The 32-bit digits of v · 2^shift (shift < 32), two per limb of v, whose top
// limb leaves room for the shift.
void ShiftedDigits(const std::uint64_t* v, std::size_t count, unsigned shift,
                   std::uint64_t* digits) {
    std::uint64_t below = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t limb =
            (v[i] << shift) | (shift == 0 ? 0 : below >> (kLimbBits - shift));
        below = v[i];
        digits[2 * i] = limb & kDigitMask;
        digits[2 * i + 1] = limb >> kDigitBits;
    }
}

constexpr std::size_t kCubeLimbs = 3;    // m³ < 2^159, shifted by up to 31 bits
constexpr std::size_t kFourthLimbs = 4;  // m⁴ < 2^212, likewise

// x³ = m³ · 2^(3p − 3222) and x⁴ = m⁴ · 2^(4p − 4296) into their cells, one
// 32-bit digit per cell, so that the cells carry as many values as the others.
void AddHigherPowers(ExactPowerSums& sums, const Parts& x) {
    std::uint64_t power[kFourthLimbs] = {x.m};
    MultiplyLimbs(power, 1, x.m);
    MultiplyLimbs(power, 2, x.m);
    std::uint64_t digits[2 * kFourthLimbs] = {};
    const unsigned q3 = 3 * x.p;
    ShiftedDigits(power, kCubeLimbs, q3 % kDigitBits, digits);
    std::int64_t* cube = sums.cube + q3 / kDigitBits;
    const std::int64_t sign = x.negative ? -1 : 1;
    for (std::size_t i = 0; i < 2 * kCubeLimbs; ++i) {
        cube[i] += sign * static_cast<std::int64_t>(digits[i]);
    }

    MultiplyLimbs(power, kCubeLimbs, x.m);
    const unsigned q4 = 4 * x.p;
    ShiftedDigits(power, kFourthLimbs, q4 % kDigitBits, digits);
    std::uint64_t* fourth = sums.fourth + q4 / kDigitBits;
    for (std::size_t i = 0; i < 2 * kFourthLimbs; ++i) fourth[i] += digits[i];
}

void Trim(BigNat& a) {
    while (!a.empty() && a.back() == 0) a.pop_back();
}

// 32-bit digits, least significant first, as 64-bit limbs.
BigNat FromDigits(const std::vector<std::uint64_t>& digits) {
    BigNat a((digits.size() + 1) / 2, 0);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        a[i / 2] |= digits[i] << (kDigitBits * (i % 2));
    }
    Trim(a);
    return a;
}

// Signed cells of 32-bit digits with their carries resolved: the magnitude of
// their sum and its sign.
BigNat ResolveSigned(const std::int64_t* cells, int count, bool& negative) {
    std::vector<std::uint64_t> digits(static_cast<std::size_t>(count));
    I128 carry = 0;
    for (int i = 0; i < count; ++i) {
        carry += cells[i];
        const auto low = static_cast<std::uint64_t>(static_cast<U128>(carry) & kDigitMask);
        digits[static_cast<std::size_t>(i)] = low;
        carry = (carry - static_cast<I128>(low)) / (I128{1} << kDigitBits);
    }
    negative = carry < 0;
    if (negative) {  // two's complement digits to a magnitude
        std::uint64_t add = 1;
        for (auto& d : digits) {
            d = ((~d) & kDigitMask) + add;
            add = d >> kDigitBits;
            d &= kDigitMask;
        }
    }
    return FromDigits(digits);
}

// Unsigned cells of 32-bit digits with their carries resolved.
BigNat ResolveUnsigned(const std::uint64_t* cells, int count) {
    std::vector<std::uint64_t> digits(static_cast<std::size_t>(count));
    U128 carry = 0;
    for (int i = 0; i < count; ++i) {
        carry += cells[i];
        digits[static_cast<std::size_t>(i)] = static_cast<std::uint64_t>(carry) & kDigitMask;
        carry >>= kDigitBits;
    }
    return FromDigits(digits);
}

int BitLength(U128 v) {
    int n = 0;
    for (; v != 0; v >>= 1) ++n;
    return n;
}

int BitLength(const BigNat& a) {
    if (a.empty()) return 0;
    return static_cast<int>(a.size() - 1) * kLimbBits + BitLength(static_cast<U128>(a.back()));
}

// a −= b for a ≥ b.
void SubtractFrom(BigNat& a, const BigNat& b) {
    std::uint64_t borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::uint64_t sub = (i < b.size() ? b[i] : 0);
        const U128 need = static_cast<U128>(sub) + borrow;
        borrow = static_cast<U128>(a[i]) < need ? 1 : 0;
        a[i] = static_cast<std::uint64_t>(static_cast<U128>(a[i]) - need);
    }
    Trim(a);
}

// a − b for a ≥ b.
BigNat Subtract(const BigNat& a, const BigNat& b) {
    BigNat r = a;
    SubtractFrom(r, b);
    return r;
}

BigNat AddNat(const BigNat& a, const BigNat& b) {
    const BigNat& longer = a.size() >= b.size() ? a : b;
    const BigNat& shorter = a.size() >= b.size() ? b : a;
    BigNat r = longer;
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const U128 t = static_cast<U128>(r[i]) + (i < shorter.size() ? shorter[i] : 0) + carry;
        r[i] = static_cast<std::uint64_t>(t);
        carry = static_cast<std::uint64_t>(t >> kLimbBits);
    }
    if (carry != 0) r.push_back(carry);
    return r;
}

int CompareNat(const BigNat& a, const BigNat& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

void HalveInPlace(BigNat& a) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        a[i] = (a[i] >> 1) | (i + 1 < a.size() ? a[i + 1] << (kLimbBits - 1) : 0);
    }
    Trim(a);
}

BigNat ShiftLeft(const BigNat& a, int bits) {
    if (a.empty()) return {};
    const std::size_t limbs = static_cast<std::size_t>(bits / kLimbBits);
    const int rest = bits % kLimbBits;
    BigNat r(a.size() + limbs + 1, 0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        r[i + limbs] |= a[i] << rest;
        if (rest != 0) r[i + limbs + 1] = a[i] >> (kLimbBits - rest);
    }
    Trim(r);
    return r;
}

// floor(a / b) for b ≠ 0, which the caller has sized to fit 128 bits, by
// binary long division; `inexact` tells whether a remainder was dropped.
U128 DivideToU128(BigNat a, const BigNat& b, bool& inexact) {
    U128 q = 0;
    const int top = BitLength(a) - BitLength(b);
    if (top >= 0) {
        BigNat step = ShiftLeft(b, top);
        for (int bit = top; bit >= 0; --bit) {
            if (CompareNat(a, step) >= 0) {
                SubtractFrom(a, step);
                q |= U128{1} << bit;
            }
            HalveInPlace(step);
        }
    }
    inexact = !a.empty();
    return q;
}

// floor(num · 2^shift / den) for a divisor of any size, likewise.
U128 ScaledQuotient(const BigNat& num, const BigNat& den, int shift, bool& inexact) {
    if (shift >= 0) return DivideToU128(ShiftLeft(num, shift), den, inexact);
    return DivideToU128(num, ShiftLeft(den, -shift), inexact);
}

// The double nearest to (mag + f) · 2^exp2 with 0 ≤ f < 1 and f > 0 exactly
// when `inexact`; mag has at least 54 bits whenever `inexact` holds.
double RoundToDouble(U128 mag, bool inexact, int exp2, bool negative) {
    double result = 0.0;
    const int length = BitLength(mag);
    const int shift = std::max(length - 53, -kLinearScale - exp2);
    if (shift <= 0) {
        result = std::ldexp(static_cast<double>(static_cast<std::uint64_t>(mag)), exp2);
    } else if (shift <= length) {
        U128 mant = shift >= 2 * kLimbBits ? 0 : mag >> shift;
        const bool half = ((mag >> (shift - 1)) & 1) != 0;
        const bool below = inexact || (mag & ((U128{1} << (shift - 1)) - 1)) != 0;
        if (half && (below || (mant & 1) != 0)) ++mant;
        result = std::ldexp(static_cast<double>(static_cast<std::uint64_t>(mant)), exp2 + shift);
    }
    // shift > length: below half the smallest subnormal, so 0.
    return negative ? -result : result;
}

// a · k, negated when `negate`.
SignedNat Scaled(const SignedNat& a, const BigNat& k, bool negate) {
    SignedNat r{Multiply(a.magnitude, k), a.negative != negate};
    if (r.magnitude.empty()) r.negative = false;
    return r;
}

// floor(√v).
U128 SquareRoot(U128 v) {
    if (v == 0) return 0;
    U128 x = U128{1} << ((BitLength(v) + 1) / 2);  // at least √v
    for (;;) {
        const U128 y = (x + v / x) / 2;
        if (y >= x) return x;
        x = y;
    }
}

}  // namespace

bool AddValues(ExactSums& sums, const double* values, std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i) {
        if (!std::isfinite(values[i])) return false;
        const Parts parts = Split(values[i]);
        AddLinear(sums, parts, 1);
        AddSquare(sums, parts);
    }
    return true;
}

bool AddValues(ExactPowerSums& sums, const double* values, std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i) {
        if (!std::isfinite(values[i])) return false;
        const Parts parts = Split(values[i]);
        AddLinear(sums.sums, parts, 1);
        AddSquare(sums.sums, parts);
        AddHigherPowers(sums, parts);
    }
    return true;
}

BigNat LinearSum(const ExactSums& sums, bool& negative) {
    return ResolveSigned(sums.linear, ExactSums::kLinearCells, negative);
}

BigNat SquareSum(const ExactSums& sums) {
    return ResolveUnsigned(sums.square, ExactSums::kSquareCells);
}

BigNat CubeSum(const ExactPowerSums& sums, bool& negative) {
    return ResolveSigned(sums.cube, ExactPowerSums::kCubeCells, negative);
}

BigNat FourthPowerSum(const ExactPowerSums& sums) {
    return ResolveUnsigned(sums.fourth, ExactPowerSums::kFourthCells);
}

BigNat Natural(std::uint64_t v) {
    if (v == 0) return {};
    return BigNat{v};
}

BigNat Multiply(const BigNat& a, const BigNat& b) {
    if (a.empty() || b.empty()) return {};
    BigNat r(a.size() + b.size(), 0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < b.size(); ++j) {
            const U128 t = static_cast<U128>(a[i]) * b[j] + r[i + j] + carry;
            r[i + j] = static_cast<std::uint64_t>(t);
            carry = static_cast<std::uint64_t>(t >> kLimbBits);
        }
        r[i + b.size()] = carry;
    }
    Trim(r);
    return r;
}

SignedNat Multiply(const SignedNat& a, const SignedNat& b) {
    return Scaled(a, b.magnitude, b.negative);
}

SignedNat Add(const SignedNat& a, const SignedNat& b) {
    if (a.negative == b.negative) {
        SignedNat r{AddNat(a.magnitude, b.magnitude), a.negative};
        if (r.magnitude.empty()) r.negative = false;
        return r;
    }
    if (CompareNat(a.magnitude, b.magnitude) >= 0) {
        SignedNat r{Subtract(a.magnitude, b.magnitude), a.negative};
        if (r.magnitude.empty()) r.negative = false;
        return r;
    }
    return {Subtract(b.magnitude, a.magnitude), b.negative};
}

BigNat ScatterTimesCount(const BigNat& linear, const BigNat& square, std::uint32_t n) {
    return Subtract(Multiply(square, BigNat{n}), Multiply(linear, linear));
}

SignedNat CentralCubesTimesCountSquared(const SignedNat& linear, const BigNat& square,
                                        const SignedNat& cube, std::uint64_t n) {
    const BigNat count = Natural(n);
    const SignedNat linearSquared = Multiply(linear, linear);
    SignedNat r = Scaled(cube, Multiply(count, count), false);
    r = Add(r, Scaled(linear, Multiply(square, Multiply(count, Natural(3))), true));
    return Add(r, Scaled(Multiply(linearSquared, linear), Natural(2), false));
}

BigNat CentralFourthsTimesCountCubed(const SignedNat& linear, const BigNat& square,
                                     const SignedNat& cube, const BigNat& fourth, std::uint64_t n) {
    const BigNat count = Natural(n);
    const BigNat countSquared = Multiply(count, count);
    const BigNat linearSquared = Multiply(linear.magnitude, linear.magnitude);
    SignedNat r{Multiply(fourth, Multiply(countSquared, count)), false};
    r = Add(r, Scaled(Multiply(linear, cube), Multiply(countSquared, Natural(4)), true));
    r = Add(r, {Multiply(Multiply(square, linearSquared), Multiply(count, Natural(6))), false});
    r = Add(r, {Multiply(Multiply(linearSquared, linearSquared), Natural(3)), true});
    return r.magnitude;  // never negative for the sums of one list of values
}

double RoundQuotient(const BigNat& num, const BigNat& den, int exp2, bool negative) {
    if (den.empty()) return std::numeric_limits<double>::quiet_NaN();
    if (num.empty()) return 0.0;
    const int shift = kQuotientBits - BitLength(num) + BitLength(den);
    bool inexact = false;
    const U128 q = ScaledQuotient(num, den, shift, inexact);
    return RoundToDouble(q, inexact, exp2 - shift, negative);
}

double RoundSqrtQuotient(const BigNat& num, const BigNat& den, int exp2) {
    if (den.empty()) return std::numeric_limits<double>::quiet_NaN();
    if (num.empty()) return 0.0;
    int shift = kQuotientBits - BitLength(num) + BitLength(den);
    if ((exp2 - shift) % 2 != 0) --shift;  // the square root halves the exponent
    bool inexact = false;
    const U128 q = ScaledQuotient(num, den, shift, inexact);
    const U128 root = SquareRoot(q);
    return RoundToDouble(root, inexact || root * root != q, (exp2 - shift) / 2, false);
}

// The quotients by a count are those by the same number as a BigNat: they
// run once per result, and one division to test is better than two.
double RoundQuotient(const BigNat& num, std::uint64_t den, int exp2, bool negative) {
    return RoundQuotient(num, Natural(den), exp2, negative);
}

double RoundSqrtQuotient(const BigNat& num, std::uint64_t den, int exp2) {
    return RoundSqrtQuotient(num, Natural(den), exp2);
}

int Compare(const BigNat& a, const BigNat& b) { return CompareNat(a, b); }

namespace {

BigNat FromU128(U128 v) {
    BigNat r = {static_cast<std::uint64_t>(v), static_cast<std::uint64_t>(v >> kLimbBits)};
    Trim(r);
    return r;
}

U128 ToU128(const BigNat& a) {
    U128 v = 0;
    if (!a.empty()) v = a[0];
    if (a.size() > 1) v |= static_cast<U128>(a[1]) << kLimbBits;
    return v;
}

}  // namespace

BigNat SmallQuotient(const BigNat& a, const BigNat& b, bool& inexact) {
    return FromU128(DivideToU128(a, b, inexact));
}

BigNat SmallSquareRoot(const BigNat& a) { return FromU128(SquareRoot(ToU128(a))); }

BigNat PowerOfTwo(int k) { return ShiftLeft(Natural(1), k); }

// 10^k as a BigNat.
BigNat PowerOfTen(int k) {
    constexpr std::uint64_t kTenToThe19 = 10000000000000000000ULL;
    BigNat r = Natural(1);
    for (; k >= 19; k -= 19) r = Multiply(r, Natural(kTenToThe19));
    std::uint64_t rest = 1;
    for (; k > 0; --k) rest *= 10;
    return Multiply(r, Natural(rest));
}

}  // namespace descstat
