#include "app/StudentT.h"

#include <cmath>
#include <exception>
#include <iterator>
#include <limits>
#include <type_traits>
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

// Boost.Multiprecision's limits for these types (and for the same numbers
// with expression templates, which Boost.Math uses inside) compute their
// epsilon, extremes, infinity and NaN before main too, touching pages of
// code that most runs never use; they also fill on first use.
namespace std {
template <>
numeric_limits<descstat::Float<60>>::data_initializer::data_initializer() {}
template <>
numeric_limits<descstat::Float<100>>::data_initializer::data_initializer() {}
template <>
numeric_limits<boost::multiprecision::number<boost::multiprecision::cpp_bin_float<60>,
                                             boost::multiprecision::et_on>>::data_initializer::
    data_initializer() {}
template <>
numeric_limits<boost::multiprecision::number<boost::multiprecision::cpp_bin_float<100>,
                                             boost::multiprecision::et_on>>::data_initializer::
    data_initializer() {}
}  // namespace std

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
    if (v == 0) return Whole(0);
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
    b.value = aboutZero ? Whole(0) : ExactOfFloat(value);
    b.decided =
        aboutZero || RoundsAlike(ExactOfFloat(F(value - error)), ExactOfFloat(F(value + error)));
    return b;
}

template <unsigned Digits>
using AtDigits = std::integral_constant<unsigned, Digits>;

// Results computed by `compute` at 60 digits, and again at 100 where one of
// them is not decided there (Ziv's method): the finer value when it was
// computed (at a tie no precision decides, and the finer is the nearer);
// undefined where the library failed.
template <std::size_t N, class Compute>
void Decide(const Compute& compute, ExactNumber (&out)[N]) {
    Band coarse[N];
    Band fine[N];
    const bool haveCoarse = compute(AtDigits<60>(), coarse);
    bool needFine = !haveCoarse;
    for (const Band& b : coarse) needFine = needFine || !b.decided;
    const bool haveFine = needFine && compute(AtDigits<kFinestDigits>(), fine);
    for (std::size_t i = 0; i < N; ++i) {
        out[i] = haveFine ? fine[i].value : haveCoarse ? coarse[i].value : ExactNumber{};
    }
}

// The interval's three numbers at `Digits` digits, each with whether it is
// decided; false when the library failed.
template <unsigned Digits>
bool IntervalAt(const ExactNumber& center, const ExactNumber& se, const ExactNumber& df,
                const ConfidenceLevel& level, Band (&bands)[3]) {
    using F = Float<Digits>;
    try {
        const F p = F(100 * level.denominator + level.numerator) / F(200 * level.denominator);
        const boost::math::students_t_distribution<F> t(FloatOf<F>(df));
        const F q = quantile(t, p);
        const F m = FloatOf<F>(center);
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

// 2·P(T > |t|) at `Digits` digits, from the upper tail itself, so that a
// tiny p keeps its relative precision.
template <unsigned Digits>
bool PAt(const ExactNumber& t, const ExactNumber& df, Band (&bands)[1]) {
    using F = Float<Digits>;
    try {
        const boost::math::students_t_distribution<F> dist(FloatOf<F>(df));
        const F p = 2 * cdf(complement(dist, abs(FloatOf<F>(t))));
        bands[0] = BandOf(p, F(p * RelativeError<Digits>()));
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

MeanInterval IntervalAround(const ExactNumber& center, const ExactNumber& se, const ExactNumber& df,
                            const ConfidenceLevel& level) {
    MeanInterval r;
    if (!center.defined || !se.defined || !df.defined || df.num.empty()) return r;
    if (se.num.empty()) {  // no spread to allow for
        r.low = center;
        r.high = center;
        r.half = Whole(0);
        return r;
    }
    ExactNumber out[3];
    Decide(
        [&](auto digits, auto& bands) {
            return IntervalAt<decltype(digits)::value>(center, se, df, level, bands);
        },
        out);
    r.low = out[0];
    r.high = out[1];
    r.half = out[2];
    return r;
}

MeanInterval ConfidenceInterval(const ExactNumber& mean, const ExactNumber& unbiasedVariance,
                                std::int64_t n, const ConfidenceLevel& level) {
    if (n < 2 || !unbiasedVariance.defined) return {};
    const auto count = static_cast<std::uint64_t>(n);
    return IntervalAround(
        mean, SquareRootOf(unbiasedVariance.num, Multiply(unbiasedVariance.den, Natural(count))),
        Whole(count - 1), level);
}

ExactNumber TwoSidedP(const ExactNumber& t, const ExactNumber& df) {
    if (!t.defined || !df.defined || df.num.empty()) return {};
    ExactNumber out[1];
    Decide([&](auto digits, auto& bands) { return PAt<decltype(digits)::value>(t, df, bands); },
           out);
    return out[0];
}

}  // namespace descstat
