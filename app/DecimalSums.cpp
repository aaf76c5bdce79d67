#include "app/DecimalSums.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <utility>

namespace descstat {

namespace {

__extension__ typedef unsigned __int128 U128;  // NOLINT(modernize-use-using)
__extension__ typedef __int128 I128;           // NOLINT(modernize-use-using)

constexpr int kLimbBits = 64;
constexpr double kTwoTo53 = 9007199254740992.0;
// The quick path tries up to this many digits after the point, and decimals
// of up to this many significant digits (DBL_DIG): all of them are exact
// doubles, and so are their powers of ten.
constexpr int kQuickDigits = 15;
constexpr double kQuickLimit = 1e15;
constexpr double kSieveTolerance = 0x1p-50;
constexpr double kPowersOfTen[kQuickDigits + 1] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

U128 Join(std::uint64_t high, std::uint64_t low) {
    return (static_cast<U128>(high) << kLimbBits) | low;
}

// A whole v below 2^53 in magnitude is its own shortest decimal's value. The
// decimal v itself reads back as v, since v is a double. A decimal with a
// digit after the point that lies within half a unit of v has at least as
// many significant digits as v has digits before the point, so it is never
// shorter; of the shortest, the one nearest to v is taken, and that is v.
// Another whole number is a double of its own and never reads back as v.
bool WholeDecimal(double v, DecimalValue& d) {
    if (!(std::fabs(v) < kTwoTo53)) return false;
    const auto whole = static_cast<std::int64_t>(v);
    if (static_cast<double>(whole) != v) return false;
    d = {whole, 0};
    return true;
}

// v · 10^k near a whole number: when v is m / 10^k, the product misses m by
// at most a few units in its last place. A cheap sieve before a division.
bool NearWhole(double scaled, double nearest) {
    return std::fabs(scaled - nearest) <= kSieveTolerance * std::fabs(scaled);
}

// The nearest whole number to scaled, for |scaled| ≤ 10^15.
std::int64_t Nearest(double scaled) {
    return static_cast<std::int64_t>(scaled + std::copysign(0.5, scaled));
}

// Finds m with v = m / 10^k for the fewest digits k ≤ 15 after the point.
// m·10^-k is then a decimal of at most 15 significant digits, and since m and
// 10^k are exact doubles, the division rounds m·10^-k correctly: it reads back
// as v. The shortest decimal of v therefore has at most 15 significant digits
// too, and two distinct decimals of at most 15 significant digits never read
// back as the same double (their distance is above the spacing of the
// doubles around them), so the two are the same value. The estimate of m may
// miss by one when v·10^k rounds; the check then fails and the caller takes
// the slow path.
bool ShortDecimal(double v, DecimalValue& d) {
    for (int k = 1; k <= kQuickDigits; ++k) {
        const double scaled = v * kPowersOfTen[k];
        if (!(std::fabs(scaled) <= kQuickLimit)) return false;
        const std::int64_t m = Nearest(scaled);
        const auto estimate = static_cast<double>(m);
        if (NearWhole(scaled, estimate) && estimate / kPowersOfTen[k] == v) {
            d = {m, -k};
            return true;
        }
    }
    return false;
}

// The shortest decimal through its text, for values with 16 or 17 digits
// and those far from one.
DecimalValue DecimalFromText(double v) {
    char text[32];
    const std::to_chars_result r =
        std::to_chars(text, text + sizeof text, v, std::chars_format::scientific);
    const char* p = text;
    const bool negative = *p == '-';
    if (negative) ++p;
    std::int64_t m = 0;
    int digits = 0;
    for (; *p != 'e'; ++p) {
        if (*p == '.') continue;
        m = m * 10 + (*p - '0');
        ++digits;
    }
    ++p;
    if (*p == '+') ++p;
    int leading = 0;  // the power of ten of the leading digit
    (void)std::from_chars(p, r.ptr, leading);
    return {negative ? -m : m, leading - digits + 1};
}

void Trim(BigNat& a) {
    while (!a.empty() && a.back() == 0) a.pop_back();
}

// a := a · factor + the `words` limbs of addend, for a factor below 2^32.
void MultiplyAdd(BigNat& a, std::uint64_t factor, const std::uint64_t* addend, std::size_t words) {
    U128 carry = 0;
    std::size_t i = 0;
    for (; i < a.size(); ++i) {
        const U128 t = static_cast<U128>(a[i]) * factor + carry + (i < words ? addend[i] : 0);
        a[i] = static_cast<std::uint64_t>(t);
        carry = t >> kLimbBits;
    }
    for (; i < words; ++i) {
        const U128 t = carry + addend[i];
        a.push_back(static_cast<std::uint64_t>(t));
        carry = t >> kLimbBits;
    }
    if (carry != 0) a.push_back(static_cast<std::uint64_t>(carry));
    Trim(a);
}

template <class Sums>
const typename Sums::Bucket* BucketAt(const Sums& sums, int e) {
    const auto at = static_cast<std::size_t>(static_cast<long>(e) - sums.lowest);
    return e >= sums.lowest && at < sums.buckets.size() ? &sums.buckets[at] : nullptr;
}

// The bucket of 10^e, made (with those between it and the others) when it
// is the first of its power.
template <class Sums>
typename Sums::Bucket* BucketFor(Sums& sums, int e) {
    using Bucket = typename Sums::Bucket;
    if (sums.buckets.empty()) {
        sums.lowest = e;
    } else if (e < sums.lowest) {
        sums.buckets.insert(sums.buckets.begin(), static_cast<std::size_t>(sums.lowest - e),
                            Bucket{});
        sums.lowest = e;
    }
    const auto at = static_cast<std::size_t>(e - sums.lowest);
    if (at >= sums.buckets.size()) sums.buckets.resize(at + 1, Bucket{});
    return &sums.buckets[at];
}

// The highest power of ten with a bucket (below which Horner's rule starts:
// the powers above hold nothing).
template <class Sums>
int HighestExponent(const Sums& sums) {
    return sums.lowest + static_cast<int>(sums.buckets.size()) - 1;
}

// acc := acc ± x over `words` limbs in two's complement (x has xn limbs).
void AddLimbs(std::uint64_t* acc, std::size_t words, const std::uint64_t* x, std::size_t xn,
              bool subtract) {
    U128 carry = subtract ? 1 : 0;
    for (std::size_t i = 0; i < words; ++i) {
        std::uint64_t w = i < xn ? x[i] : 0;
        if (subtract) w = ~w;
        const U128 t = static_cast<U128>(acc[i]) + w + carry;
        acc[i] = static_cast<std::uint64_t>(t);
        carry = t >> kLimbBits;
    }
}

// The magnitude and sign of a two's complement number of `words` limbs.
SignedNat FromTwosComplement(const std::uint64_t* limbs, std::size_t words) {
    SignedNat r;
    r.negative = (limbs[words - 1] >> (kLimbBits - 1)) != 0;
    r.magnitude.assign(limbs, limbs + words);
    if (r.negative) {
        const std::uint64_t one = 1;
        for (std::uint64_t& w : r.magnitude) w = ~w;
        AddLimbs(r.magnitude.data(), words, &one, 1, false);
    }
    Trim(r.magnitude);
    return r;
}

bool Holds(const DecimalSums::Bucket& b) { return (b.square[0] | b.square[1] | b.square[2]) != 0; }

}  // namespace

DecimalValue DecimalOf(double v) {
    DecimalValue d;
    if (WholeDecimal(v, d) || ShortDecimal(v, d)) return d;
    return DecimalFromText(v);
}

DecimalValue DecimalOfWritten(double v, const myLib::WrittenNumber& written) {
    const bool own = written.known && (written.digits == 0 || std::isnormal(v)) &&
                     written.scale >= kLowestDecimalExponent &&
                     written.scale <= kHighestDecimalExponent;
    // A longer text is rarely shorter as a double: its text is the quick way.
    if (!own) return DecimalFromText(v);
    return {written.digits, written.digits == 0 ? 0 : written.scale};
}

ExactNumber ExactAsWritten(double v) {
    if (!std::isfinite(v)) return ExactOf(v);
    const DecimalValue d = DecimalOf(v);
    return InterpolateDecimals(d, d, 0, 1);
}

ExactNumber InterpolateDecimals(DecimalValue a, DecimalValue b, std::uint32_t part,
                                std::uint32_t denominator) {
    // Both at the lower of the two powers of ten (at most 10^0), so that the
    // weighted sum is a whole number of that unit.
    const int scale = std::max({-a.e, -b.e, 0});
    const auto term = [scale](DecimalValue d, std::uint32_t weight) {
        const std::uint64_t magnitude =
            d.m < 0 ? 0 - static_cast<std::uint64_t>(d.m) : static_cast<std::uint64_t>(d.m);
        return SignedNat{
            Multiply(Natural(magnitude), Multiply(Natural(weight), PowerOfTen(scale + d.e))),
            d.m < 0 && weight != 0};
    };
    SignedNat sum = Add(term(a, denominator - part), term(b, part));
    return Quotient(std::move(sum.magnitude), Multiply(Natural(denominator), PowerOfTen(scale)),
                    sum.negative);
}

void AddDecimal(DecimalSums& sums, DecimalValue d) {
    const auto at = static_cast<std::size_t>(static_cast<long>(d.e) - sums.lowest);
    DecimalSums::Bucket& b = *(
        d.e >= sums.lowest && at < sums.buckets.size() ? &sums.buckets[at] : BucketFor(sums, d.e));
    const U128 linear = Join(b.linear[1], b.linear[0]) + static_cast<U128>(static_cast<I128>(d.m));
    b.linear[0] = static_cast<std::uint64_t>(linear);
    b.linear[1] = static_cast<std::uint64_t>(linear >> kLimbBits);
    const auto square = static_cast<U128>(static_cast<I128>(d.m) * d.m);
    const U128 low = Join(b.square[1], b.square[0]) + square;
    b.square[0] = static_cast<std::uint64_t>(low);
    b.square[1] = static_cast<std::uint64_t>(low >> kLimbBits);
    b.square[2] += static_cast<std::uint64_t>(low < square);
    ++sums.count;
}

void AddWrittenNumbers(DecimalSums& sums, const myLib::QuickNumber* numbers, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) AddDecimal(sums, {numbers[i].digits, numbers[i].scale});
}

void AddDecimalSums(DecimalSums& sums, const DecimalSums& from) {
    for (std::size_t i = 0; i < from.buckets.size(); ++i) {
        const DecimalSums::Bucket& b = from.buckets[i];
        DecimalSums::Bucket* to = BucketFor(sums, from.lowest + static_cast<int>(i));
        AddLimbs(to->linear, 2, b.linear, 2, false);
        AddLimbs(to->square, 3, b.square, 3, false);
    }
    sums.count += from.count;
    sums.notFinite = sums.notFinite || from.notFinite;
}

bool AddDecimalValue(DecimalSums& sums, double v) {
    if (!std::isfinite(v)) {
        sums.notFinite = true;
        return false;
    }
    AddDecimal(sums, DecimalOf(v));
    return true;
}

int DecimalScale(const DecimalSums& sums) {
    for (std::size_t i = 0; i < sums.buckets.size(); ++i) {
        if (Holds(sums.buckets[i])) return -(sums.lowest + static_cast<int>(i));
    }
    return 0;
}

SignedNat DecimalLinearSum(const DecimalSums& sums, int scale) {
    // Horner's rule from the highest power of ten down to 10^-scale, with the
    // positive and the negative bucket sums apart.
    BigNat positive;
    BigNat negative;
    for (int e = HighestExponent(sums); e >= -scale; --e) {
        const DecimalSums::Bucket* b = BucketAt(sums, e);
        const auto sum =
            b == nullptr ? I128{0} : static_cast<I128>(Join(b->linear[1], b->linear[0]));
        const U128 magnitude = sum < 0 ? -static_cast<U128>(sum) : static_cast<U128>(sum);
        const std::uint64_t limbs[2] = {static_cast<std::uint64_t>(magnitude),
                                        static_cast<std::uint64_t>(magnitude >> kLimbBits)};
        const std::uint64_t none[2] = {0, 0};
        MultiplyAdd(positive, 10, sum > 0 ? limbs : none, 2);
        MultiplyAdd(negative, 10, sum < 0 ? limbs : none, 2);
    }
    return Add(SignedNat{positive, false}, SignedNat{negative, !negative.empty()});
}

BigNat DecimalSquareSum(const DecimalSums& sums, int scale) {
    BigNat total;
    for (int e = HighestExponent(sums); e >= -scale; --e) {
        const DecimalSums::Bucket* b = BucketAt(sums, e);
        const std::uint64_t none[3] = {0, 0, 0};
        MultiplyAdd(total, 100, b == nullptr ? none : b->square, 3);
    }
    return total;
}

void AddDecimalPowers(DecimalPowerSums& sums, DecimalValue d) {
    DecimalPowerSums::Bucket& b = *BucketFor(sums, d.e);
    const std::uint64_t m =
        d.m < 0 ? 0 - static_cast<std::uint64_t>(d.m) : static_cast<std::uint64_t>(d.m);
    const U128 square = static_cast<U128>(m) * m;
    const auto low = static_cast<std::uint64_t>(square);
    const auto high = static_cast<std::uint64_t>(square >> kLimbBits);
    // m³ = m²·m over three limbs.
    const U128 lowTimes = static_cast<U128>(low) * m;
    const U128 highTimes = static_cast<U128>(high) * m + (lowTimes >> kLimbBits);
    const std::uint64_t cube[3] = {static_cast<std::uint64_t>(lowTimes),
                                   static_cast<std::uint64_t>(highTimes),
                                   static_cast<std::uint64_t>(highTimes >> kLimbBits)};
    AddLimbs(b.cube, 4, cube, 3, d.m < 0);
    // m⁴ = (m²)² over four limbs.
    const U128 ll = static_cast<U128>(low) * low;
    const U128 lh = static_cast<U128>(low) * high;
    const U128 hh = static_cast<U128>(high) * high;
    std::uint64_t fourth[4] = {static_cast<std::uint64_t>(ll), 0, 0, 0};
    U128 t = (ll >> kLimbBits) + static_cast<std::uint64_t>(lh) * U128{2};
    fourth[1] = static_cast<std::uint64_t>(t);
    t = (t >> kLimbBits) + (lh >> kLimbBits) * 2 + static_cast<std::uint64_t>(hh);
    fourth[2] = static_cast<std::uint64_t>(t);
    t = (t >> kLimbBits) + (hh >> kLimbBits);
    fourth[3] = static_cast<std::uint64_t>(t);
    AddLimbs(b.fourth, 5, fourth, 4, false);
}

SignedNat DecimalCubeSum(const DecimalPowerSums& sums, int scale) {
    BigNat positive;
    BigNat negative;
    const std::uint64_t none[4] = {0, 0, 0, 0};
    for (int e = HighestExponent(sums); e >= -scale; --e) {
        const DecimalPowerSums::Bucket* b = BucketAt(sums, e);
        const SignedNat sum = b == nullptr ? SignedNat{} : FromTwosComplement(b->cube, 4);
        std::uint64_t limbs[4] = {0, 0, 0, 0};
        std::copy(sum.magnitude.begin(), sum.magnitude.end(), limbs);
        MultiplyAdd(positive, 1000, sum.negative ? none : limbs, 4);
        MultiplyAdd(negative, 1000, sum.negative ? limbs : none, 4);
    }
    return Add(SignedNat{positive, false}, SignedNat{negative, !negative.empty()});
}

BigNat DecimalFourthSum(const DecimalPowerSums& sums, int scale) {
    BigNat total;
    const std::uint64_t none[5] = {0, 0, 0, 0, 0};
    for (int e = HighestExponent(sums); e >= -scale; --e) {
        const DecimalPowerSums::Bucket* b = BucketAt(sums, e);
        MultiplyAdd(total, 10000, b == nullptr ? none : b->fourth, 5);
    }
    return total;
}

void AddDecimalCross(DecimalCrossSums& sums, DecimalValue a, DecimalValue b) {
    DecimalCrossSums::Bucket& bucket = *BucketFor(sums, a.e + b.e);
    const auto magnitude = [](std::int64_t m) {
        return m < 0 ? 0 - static_cast<std::uint64_t>(m) : static_cast<std::uint64_t>(m);
    };
    const U128 product = static_cast<U128>(magnitude(a.m)) * magnitude(b.m);
    const std::uint64_t limbs[2] = {static_cast<std::uint64_t>(product),
                                    static_cast<std::uint64_t>(product >> kLimbBits)};
    AddLimbs(bucket.cross, 3, limbs, 2, (a.m < 0) != (b.m < 0));
}

SignedNat DecimalCrossSum(const DecimalCrossSums& sums, int scale) {
    BigNat positive;
    BigNat negative;
    const std::uint64_t none[3] = {0, 0, 0};
    for (int e = HighestExponent(sums); e >= -2 * scale; --e) {
        const DecimalCrossSums::Bucket* b = BucketAt(sums, e);
        const SignedNat sum = b == nullptr ? SignedNat{} : FromTwosComplement(b->cross, 3);
        std::uint64_t limbs[3] = {0, 0, 0};
        std::copy(sum.magnitude.begin(), sum.magnitude.end(), limbs);
        MultiplyAdd(positive, 10, sum.negative ? none : limbs, 3);
        MultiplyAdd(negative, 10, sum.negative ? limbs : none, 3);
    }
    return Add(SignedNat{positive, false}, SignedNat{negative, !negative.empty()});
}

BigNat DecimalScatter(const DecimalSums& sums, int scale) {
    return ScatterTimesCount(DecimalLinearSum(sums, scale).magnitude, DecimalSquareSum(sums, scale),
                             sums.count);
}

}  // namespace descstat
