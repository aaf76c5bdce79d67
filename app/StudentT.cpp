#include "app/StudentT.h"

#include <cmath>
#include <exception>
#include <iterator>
#include <limits>
#include <vector>

#include <boost/math/special_functions/erf.hpp>
#include <boost/math/special_functions/expm1.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <boost/math/special_functions/lanczos.hpp>
#include <boost/math/special_functions/log1p.hpp>
#include <boost/multiprecision/cpp_bin_float.hpp>
#include <boost/multiprecision/cpp_int.hpp>

namespace descstat {

template <unsigned Digits>
using Float = boost::multiprecision::number<boost::multiprecision::cpp_bin_float<Digits>,
                                            boost::multiprecision::et_off>;

}  // namespace descstat

// Boost.Math fills some tables and caches before main, for each type they
// are used with, so that threads find them ready: for these types the
// inverse error function at a few points down to 1e-900, the incomplete
// gamma function at (400, 400), the factorials to 170 from their decimal
// texts and every constant (π, e, ...) it may need. That cost 13 ms and
// 0.8 MB of every run, --help included (and a second under valgrind), though
// few runs ask for an interval. This program computes the interval on one
// thread, so each fills on first use instead.
namespace boost {
namespace math {
template <unsigned Digits>
struct unchecked_factorial_initializer<descstat::Float<Digits>> {
    static void force_instantiate() {}
};
namespace constants {
namespace detail {
template <unsigned Digits, const descstat::Float<Digits>& (*Get)()>
struct constant_initializer<descstat::Float<Digits>, Get> {
    static void force_instantiate() {}
};
}  // namespace detail
}  // namespace constants
namespace detail {
template <unsigned Digits, class Policy>
struct erf_inv_initializer<descstat::Float<Digits>, Policy> {
    static void force_instantiate() {}
};
template <unsigned Digits, class Policy>
struct igamma_initializer<descstat::Float<Digits>, Policy> {
    static void force_instantiate() {}
};
// These do nothing at such precisions, but their objects' constructors
// would still run before main.
template <unsigned Digits, class Policy>
struct lgamma_initializer<descstat::Float<Digits>, Policy> {
    static void force_instantiate() {}
};
template <unsigned Digits, class Policy, class Tag>
struct erf_initializer<descstat::Float<Digits>, Policy, Tag> {
    static void force_instantiate() {}
};
template <unsigned Digits, class Policy, class Tag>
struct expm1_initializer<descstat::Float<Digits>, Policy, Tag> {
    static void force_instantiate() {}
};
template <unsigned Digits, class Policy, class Tag>
struct log1p_initializer<descstat::Float<Digits>, Policy, Tag> {
    static void force_instantiate() {}
};
}  // namespace detail
namespace lanczos {
template <class Lanczos, unsigned Digits>
struct lanczos_initializer<Lanczos, descstat::Float<Digits>> {
    static void force_instantiate() {}
};
}  // namespace lanczos
}  // namespace math
}  // namespace boost

#include <boost/math/distributions/students_t.hpp>

namespace descstat {

namespace {

// The precision of the second computation, when the first cannot decide.
constexpr int kFinestDigits = 100;

// The relative error allowed for a result at `Digits` digits: Boost's
// quantile is good to a few units in the type's last place; this allows a
// thousand million of them.
template <unsigned Digits>
Float<Digits> RelativeError() {
    return pow(Float<Digits>(10), -static_cast<int>(Digits) + 12);
}

template <class F>
F FloatOf(const BigNat& a) {
    F x = 0;
    for (auto limb = a.rbegin(); limb != a.rend(); ++limb) x = ldexp(x, 64) + F(*limb);
    return x;
}

// The value of an exact number at the type's precision.
template <class F>
F FloatOf(const ExactNumber& x) {
    F q = FloatOf<F>(x.num) / FloatOf<F>(x.den);
    if (x.root) q = sqrt(q);
    return x.negative ? F(-q) : q;
}

// The exact value of a finite number of the type: its mantissa over a power
// of two.
template <class F>
ExactNumber ExactOfFloat(const F& v) {
    if (v == 0) return Quotient({}, Natural(1));
    int exponent = 0;
    const F fraction = frexp(abs(v), &exponent);
    constexpr int kBits = std::numeric_limits<F>::digits;
    const auto whole = static_cast<boost::multiprecision::cpp_int>(ldexp(fraction, kBits));
    BigNat mantissa;
    export_bits(whole, std::back_inserter(mantissa), 64, false);
    while (!mantissa.empty() && mantissa.back() == 0) mantissa.pop_back();
    const int shift = exponent - kBits;
    if (shift >= 0) return Quotient(Multiply(mantissa, PowerOfTwo(shift)), Natural(1), v < 0);
    return Quotient(std::move(mantissa), PowerOfTwo(-shift), v < 0);
}

// One result at one precision: its value and the band its error allows.
struct Band {
    ExactNumber value;
    bool decided = false;
};

template <class F>
Band BandOf(const F& value, const F& error) {
    Band b;
    // A band about zero at the finest precision holds a bound that is zero
    // (mean = t·se, as where t is 1 exactly): written as 0, not with the
    // sign of a last error.
    const bool aboutZero = std::numeric_limits<F>::digits10 >= kFinestDigits && abs(value) <= error;
    b.value = aboutZero ? Quotient({}, Natural(1)) : ExactOfFloat(value);
    b.decided =
        aboutZero || RoundsAlike(ExactOfFloat(F(value - error)), ExactOfFloat(F(value + error)));
    return b;
}

// The interval's three numbers at `Digits` digits, each with whether it is
// decided; false when the library failed.
template <unsigned Digits>
bool IntervalAt(const ExactNumber& mean, const ExactNumber& se, std::int64_t n,
                const ConfidenceLevel& level, Band bands[3]) {
    using F = Float<Digits>;
    try {
        const F p = F(100 * level.denominator + level.numerator) / F(200 * level.denominator);
        const boost::math::students_t_distribution<F> t(static_cast<F>(n - 1));
        const F q = quantile(t, p);
        const F m = FloatOf<F>(mean);
        const F half = q * FloatOf<F>(se);
        const F error = (abs(m) + half) * RelativeError<Digits>();
        bands[0] = BandOf(F(m - half), error);
        bands[1] = BandOf(F(m + half), error);
        bands[2] = BandOf(half, F(half * RelativeError<Digits>()));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

bool RoundsAlike(const ExactNumber& a, const ExactNumber& b) {
    const double x = NearestDouble(a);
    const double y = NearestDouble(b);
    const bool same = std::isnan(x) ? std::isnan(y) : x == y && std::signbit(x) == std::signbit(y);
    if (!same) return false;
    if (!std::isnormal(x)) return true;  // written as that double at any digits
    for (int digits = 1; digits <= 17; ++digits) {
        const Decimal u = RoundedDecimal(a, digits);
        const Decimal v = RoundedDecimal(b, digits);
        if (u.negative != v.negative || u.digits != v.digits || u.exponent != v.exponent) {
            return false;
        }
    }
    return true;
}

MeanInterval ConfidenceInterval(const ExactNumber& mean, const ExactNumber& unbiasedVariance,
                                std::int64_t n, const ConfidenceLevel& level) {
    MeanInterval r;
    if (n < 2 || !mean.defined || !unbiasedVariance.defined) return r;
    if (unbiasedVariance.num.empty()) {  // every value alike: no spread to allow for
        r.low = mean;
        r.high = mean;
        r.half = Quotient({}, Natural(1));
        return r;
    }
    const ExactNumber standardError =
        SquareRootOf(unbiasedVariance.num,
                     Multiply(unbiasedVariance.den, Natural(static_cast<std::uint64_t>(n))));
    Band coarse[3];
    Band fine[3];
    const bool haveCoarse = IntervalAt<60>(mean, standardError, n, level, coarse);
    const bool needFine =
        !haveCoarse || !coarse[0].decided || !coarse[1].decided || !coarse[2].decided;
    const bool haveFine = needFine && IntervalAt<100>(mean, standardError, n, level, fine);
    const auto pick = [&](int i) {
        // The finer value when it was computed: at a tie no precision decides,
        // and the finer is the nearer.
        if (haveFine) return fine[i].value;
        return haveCoarse ? coarse[i].value : ExactNumber{};
    };
    r.low = pick(0);
    r.high = pick(1);
    r.half = pick(2);
    return r;
}

}  // namespace descstat
