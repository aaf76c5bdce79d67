#include "app/Exact.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

int BitLength(U128 v) {
    int n = 0;
    for (; v != 0; v >>= 1) ++n;
    return n;
}

int BitLength(const BigNat& a) {
    if (a.empty()) return 0;
    return static_cast<int>(a.size() - 1) * kLimbBits + BitLength(static_cast<U128>(a.back()));
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

// a − b for a ≥ b.
BigNat Subtract(const BigNat& a, const BigNat& b) {
    BigNat r = a;
    std::uint64_t borrow = 0;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const std::uint64_t sub = (i < b.size() ? b[i] : 0);
        const U128 need = static_cast<U128>(sub) + borrow;
        borrow = static_cast<U128>(r[i]) < need ? 1 : 0;
        r[i] = static_cast<std::uint64_t>(static_cast<U128>(r[i]) - need);
    }
    Trim(r);
    return r;
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

// a / d rounded down; `inexact` tells whether a remainder was dropped.
BigNat Divide(const BigNat& a, std::uint64_t d, bool& inexact) {
    BigNat q(a.size(), 0);
    U128 rem = 0;
    for (std::size_t i = a.size(); i-- > 0;) {
        const U128 cur = (rem << kLimbBits) | a[i];
        q[i] = static_cast<std::uint64_t>(cur / d);
        rem = cur % d;
    }
    inexact = rem != 0;
    Trim(q);
    return q;
}

// a / 2^bits rounded down, as a 128-bit number (the caller knows it fits);
// `inexact` gathers whether set bits were dropped.
U128 ShiftRightToU128(const BigNat& a, int bits, bool& inexact) {
    U128 r = 0;
    for (int k = 0; k < 2 * kLimbBits; ++k) {
        const int bit = bits + k;
        const auto limb = static_cast<std::size_t>(bit / kLimbBits);
        if (limb < a.size() && ((a[limb] >> (bit % kLimbBits)) & 1) != 0) r |= U128{1} << k;
    }
    for (int bit = 0; bit < bits && !inexact; ++bit) {
        const auto limb = static_cast<std::size_t>(bit / kLimbBits);
        if (limb < a.size() && ((a[limb] >> (bit % kLimbBits)) & 1) != 0) inexact = true;
    }
    return r;
}

// floor(num · 2^shift / den), which the caller has sized to fit 128 bits;
// `inexact` tells whether anything was dropped.
U128 ScaledQuotient(const BigNat& num, std::uint64_t den, int shift, bool& inexact) {
    inexact = false;
    if (shift >= 0) {
        const BigNat q = Divide(ShiftLeft(num, shift), den, inexact);
        return ShiftRightToU128(q, 0, inexact);
    }
    const BigNat q = Divide(num, den, inexact);
    return ShiftRightToU128(q, -shift, inexact);
}

int BitLength64(std::uint64_t v) { return BitLength(static_cast<U128>(v)); }

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

void AddMultiple(ExactSums& sums, double x, std::uint32_t times) {
    AddLinear(sums, Split(x), static_cast<std::int64_t>(times));
}

BigNat LinearSum(const ExactSums& sums, bool& negative) {
    // Resolve the carries of the signed cells into two's complement digits.
    std::vector<std::uint64_t> digits(ExactSums::kLinearCells);
    I128 carry = 0;
    for (int i = 0; i < ExactSums::kLinearCells; ++i) {
        carry += sums.linear[i];
        const auto low = static_cast<std::uint64_t>(static_cast<U128>(carry) & kDigitMask);
        digits[static_cast<std::size_t>(i)] = low;
        carry = (carry - static_cast<I128>(low)) / (I128{1} << kDigitBits);
    }
    negative = carry < 0;
    if (negative) {
        std::uint64_t add = 1;
        for (auto& d : digits) {
            d = ((~d) & kDigitMask) + add;
            add = d >> kDigitBits;
            d &= kDigitMask;
        }
    }
    return FromDigits(digits);
}

BigNat SquareSum(const ExactSums& sums) {
    std::vector<std::uint64_t> digits(ExactSums::kSquareCells);
    U128 carry = 0;
    for (int i = 0; i < ExactSums::kSquareCells; ++i) {
        carry += sums.square[i];
        digits[static_cast<std::size_t>(i)] = static_cast<std::uint64_t>(carry) & kDigitMask;
        carry >>= kDigitBits;
    }
    return FromDigits(digits);
}

BigNat ScatterTimesCount(const BigNat& linear, const BigNat& square, std::uint32_t n) {
    return Subtract(Multiply(square, BigNat{n}), Multiply(linear, linear));
}

double RoundQuotient(const BigNat& num, std::uint64_t den, int exp2, bool negative) {
    if (num.empty()) return 0.0;
    const int shift = kQuotientBits - BitLength(num) + BitLength64(den);
    bool inexact = false;
    const U128 q = ScaledQuotient(num, den, shift, inexact);
    return RoundToDouble(q, inexact, exp2 - shift, negative);
}

double RoundSqrtQuotient(const BigNat& num, std::uint64_t den, int exp2) {
    if (num.empty()) return 0.0;
    int shift = kQuotientBits - BitLength(num) + BitLength64(den);
    if ((exp2 - shift) % 2 != 0) --shift;  // the square root halves the exponent
    bool inexact = false;
    const U128 q = ScaledQuotient(num, den, shift, inexact);
    const U128 root = SquareRoot(q);
    return RoundToDouble(root, inexact || root * root != q, (exp2 - shift) / 2, false);
}

}  // namespace descstat
