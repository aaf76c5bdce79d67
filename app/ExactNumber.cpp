#include "app/ExactNumber.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <utility>
#include "app/Report.h"

namespace descstat {

namespace {

std::uint64_t ToUint64(const BigNat& a) { return a.empty() ? 0 : a[0]; }

// floor(factor · q · 10^s) for q = num/den, and whether anything was
// dropped.
BigNat ScaledFloor(const ExactNumber& x, int s, std::uint64_t factor, bool& inexact) {
    BigNat num = Multiply(x.num, Natural(factor));
    BigNat den = x.den;
    if (s >= 0) {
        num = Multiply(num, PowerOfTen(s));
    } else {
        den = Multiply(den, PowerOfTen(-s));
    }
    return SmallQuotient(num, den, inexact);
}

// An estimate of floor(log10 q) for q = num/den, within one either way.
int DecimalExponentEstimate(const BigNat& num, const BigNat& den) {
    const auto bits = [](const BigNat& a) {
        int n = static_cast<int>(a.size() - 1) * 64;
        for (std::uint64_t top = a.back(); top != 0; top >>= 1) ++n;
        return n;
    };
    const double log2 = static_cast<double>(bits(num) - bits(den));
    constexpr double kLog10Of2 = 0.30102999566398120;
    return static_cast<int>(log2 * kLog10Of2 + (log2 < 0 ? -1 : 0));
}

// The digits of a rational x at N significant digits: D = floor(x·10^s) with
// 10^(N−1) ≤ D < 10^N, rounded half to even.
struct Digits {
    std::uint64_t value;
    int leading;  // the power of ten of the leading digit
};

bool RoundUpRational(const ExactNumber& x, int s, std::uint64_t d) {
    // 2·x·10^s = 2D + 1 + f: odd means at least a half; exact means a tie.
    bool inexact = false;
    const std::uint64_t twice = ToUint64(ScaledFloor(x, s, 2, inexact));
    const bool half = (twice & 1) != 0;
    return half && (inexact || (d & 1) != 0);
}

bool RoundUpRoot(const ExactNumber& x, int s, std::uint64_t d) {
    // √Q ≥ D + 1/2 exactly when 4Q ≥ (2D + 1)², with Q = q·10^(2s).
    bool inexact = false;
    const BigNat four = ScaledFloor(x, 2 * s, 4, inexact);
    const BigNat odd = Natural(2 * d + 1);
    const int c = Compare(four, Multiply(odd, odd));
    if (c != 0) return c > 0;
    return inexact || (d & 1) != 0;
}

// floor of the number times 10^s.
std::uint64_t FloorScaled(const ExactNumber& x, int s) {
    bool inexact = false;
    if (!x.root) return ToUint64(ScaledFloor(x, s, 1, inexact));
    return ToUint64(SmallSquareRoot(ScaledFloor(x, 2 * s, 1, inexact)));
}

Digits RoundedDigits(const ExactNumber& x, int n) {
    std::uint64_t low = 1;
    for (int i = 1; i < n; ++i) low *= 10;
    const std::uint64_t high = low * 10;
    int leading = DecimalExponentEstimate(x.num, x.den);
    if (x.root) leading = leading >= 0 ? leading / 2 : -((1 - leading) / 2);
    std::uint64_t d = 0;
    for (;;) {
        d = FloorScaled(x, n - 1 - leading);
        if (d >= high) {
            ++leading;
        } else if (d < low) {
            --leading;
        } else {
            break;
        }
    }
    const int s = n - 1 - leading;
    if (x.root ? RoundUpRoot(x, s, d) : RoundUpRational(x, s, d)) ++d;
    if (d == high) {
        d = low;
        ++leading;
    }
    return {d, leading};
}

}  // namespace

ExactNumber ExactOf(double v) {
    if (!std::isfinite(v)) return {};
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    const auto exponent = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    if (exponent != 0) m |= std::uint64_t{1} << 52;
    // |v| = m · 2^(max(exponent, 1) − 1075)
    const int e = (exponent == 0 ? 1 : exponent) - 1075;
    if (e >= 0) return Quotient(Multiply(Natural(m), PowerOfTwo(e)), Natural(1), (bits >> 63) != 0);
    return Quotient(Natural(m), PowerOfTwo(-e), (bits >> 63) != 0);
}

std::string StatisticText(const ExactNumber& x, int digits) {
    const double nearest = NearestDouble(x);
    if (digits == kShortestDigits || !std::isnormal(nearest)) return NumberText(nearest, digits);
    return GeneralText(RoundedDecimal(x, digits), digits);
}

ExactNumber Quotient(BigNat num, BigNat den, bool negative) {
    ExactNumber x;
    x.defined = true;
    x.negative = negative && !num.empty();
    x.num = std::move(num);
    x.den = std::move(den);
    return x;
}

ExactNumber SquareRootOf(BigNat num, BigNat den, bool negative) {
    ExactNumber x = Quotient(std::move(num), std::move(den), negative);
    x.root = true;
    return x;
}

namespace {

// a's numerator over the common denominator of a and b, with its sign.
SignedNat ScaledNumerator(const ExactNumber& a, const ExactNumber& b) {
    return {Multiply(a.num, b.den), a.negative};
}

bool AreQuotients(const ExactNumber& a, const ExactNumber& b) {
    return a.defined && b.defined && !a.root && !b.root;
}

}  // namespace

ExactNumber Sum(const ExactNumber& a, const ExactNumber& b) {
    if (!AreQuotients(a, b)) return {};
    SignedNat s = Add(ScaledNumerator(a, b), ScaledNumerator(b, a));
    return Quotient(std::move(s.magnitude), Multiply(a.den, b.den), s.negative);
}

ExactNumber Difference(const ExactNumber& a, const ExactNumber& b) {
    ExactNumber minus = b;
    minus.negative = !b.negative && !b.num.empty();
    return Sum(a, minus);
}

int CompareExact(const ExactNumber& a, const ExactNumber& b) {
    const ExactNumber d = Difference(a, b);
    if (d.num.empty()) return 0;
    return d.negative ? -1 : 1;
}

ExactNumber Divided(const ExactNumber& a, std::uint64_t k) {
    if (!a.defined) return {};
    ExactNumber r = a;
    r.den = Multiply(a.den, Natural(a.root ? k * k : k));
    return r;
}

ExactNumber Whole(std::uint64_t k) { return Quotient(Natural(k), Natural(1)); }

ExactNumber Product(const ExactNumber& a, const ExactNumber& b) {
    if (!AreQuotients(a, b)) return {};
    return Quotient(Multiply(a.num, b.num), Multiply(a.den, b.den), a.negative != b.negative);
}

ExactNumber Ratio(const ExactNumber& a, const ExactNumber& b) {
    if (!AreQuotients(a, b) || b.num.empty()) return {};
    return Quotient(Multiply(a.num, b.den), Multiply(a.den, b.num), a.negative != b.negative);
}

double NearestDouble(const ExactNumber& x) {
    if (!x.defined || x.den.empty()) return std::numeric_limits<double>::quiet_NaN();
    if (!x.root) return RoundQuotient(x.num, x.den, 0, x.negative);
    const double magnitude = RoundSqrtQuotient(x.num, x.den, 0);
    return x.negative ? -magnitude : magnitude;
}

Decimal RoundedDecimal(const ExactNumber& x, int digits) {
    Decimal d;
    if (x.num.empty()) return d;
    const Digits r = RoundedDigits(x, digits);
    d.negative = x.negative;
    d.digits = std::to_string(r.value);
    d.exponent = r.leading - digits + 1;
    while (d.digits.size() > 1 && d.digits.back() == '0') {
        d.digits.pop_back();
        ++d.exponent;
    }
    return d;
}

std::string GeneralText(const Decimal& d, int digits) { return DecimalText(d, digits - 1); }

}  // namespace descstat
