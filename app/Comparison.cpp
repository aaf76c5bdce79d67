#include "app/Comparison.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/DecimalSums.h"

namespace descstat {

namespace {

// ±√(x) for a quotient x ≥ 0, with the sign given.
ExactNumber RootOf(const ExactNumber& x, bool negative = false) {
    if (!x.defined || x.root) return {};
    return SquareRootOf(x.num, x.den, negative);
}

// The variance of the difference's estimate (se²) and the degrees of
// freedom of each method.
struct Spread {
    ExactNumber seSquared;
    ExactNumber df;
    ExactNumber pooledVariance;
};

Spread SpreadOf(const SampleMoments& a, const SampleMoments& b, TestMethod method) {
    const auto na = static_cast<std::uint64_t>(a.n);
    const auto nb = static_cast<std::uint64_t>(b.n);
    Spread s;
    if (method == TestMethod::kPaired) {
        s.seSquared = Divided(b.unbiasedVariance, nb);
        s.df = Whole(nb - 1);
        return s;
    }
    if (method == TestMethod::kPooled) {
        // s_p² = ((na − 1)·sa² + (nb − 1)·sb²) / (na + nb − 2), se² = s_p²·(1/na + 1/nb).
        s.pooledVariance = Divided(Sum(Product(Whole(na - 1), a.unbiasedVariance),
                                       Product(Whole(nb - 1), b.unbiasedVariance)),
                                   na + nb - 2);
        s.seSquared = Product(s.pooledVariance, Quotient(Natural(na + nb), Natural(na * nb)));
        s.df = Whole(na + nb - 2);
        return s;
    }
    // Welch: se² = va + vb with v = s²/n, and the Welch–Satterthwaite degrees
    // of freedom (va + vb)² / (va²/(na − 1) + vb²/(nb − 1)).
    const ExactNumber va = Divided(a.unbiasedVariance, na);
    const ExactNumber vb = Divided(b.unbiasedVariance, nb);
    s.seSquared = Sum(va, vb);
    s.df = Ratio(Product(s.seSquared, s.seSquared),
                 Sum(Divided(Product(va, va), na - 1), Divided(Product(vb, vb), nb - 1)));
    return s;
}

bool IsZero(const ExactNumber& x) { return x.defined && x.num.empty(); }

}  // namespace

SampleMoments PairedMoments(const double* sample, const double* baseline, std::int32_t n) {
    SampleMoments moments;
    moments.n = n;
    // With d = a − b: Σd = Σa − Σb and Σd² = Σa² + Σb² − 2·Σab, each sum
    // exact over the decimals as written.
    DecimalSums a;
    DecimalSums b;
    DecimalCrossSums ab;
    for (std::int32_t i = 0; i < n; ++i) {
        if (!std::isfinite(sample[i]) || !std::isfinite(baseline[i])) return moments;
        const DecimalValue x = DecimalOf(sample[i]);
        const DecimalValue y = DecimalOf(baseline[i]);
        AddDecimal(a, x);
        AddDecimal(b, y);
        AddDecimalCross(ab, x, y);
    }
    if (n == 0) return moments;
    const int scale = std::max({DecimalScale(a), DecimalScale(b), 0});
    SignedNat baseSum = DecimalLinearSum(b, scale);
    baseSum.negative = !baseSum.negative && !baseSum.magnitude.empty();
    SignedNat linear = Add(DecimalLinearSum(a, scale), baseSum);
    const SignedNat twiceCross = Multiply(DecimalCrossSum(ab, scale), SignedNat{Natural(2), true});
    const SignedNat square = Add(Add(SignedNat{DecimalSquareSum(a, scale), false},
                                     SignedNat{DecimalSquareSum(b, scale), false}),
                                 twiceCross);
    const auto count = static_cast<std::uint64_t>(n);
    moments.mean =
        Quotient(linear.magnitude, Multiply(Natural(count), PowerOfTen(scale)), linear.negative);
    if (n > 1) {
        const BigNat scatter =
            ScatterTimesCount(linear.magnitude, square.magnitude, static_cast<std::uint32_t>(n));
        moments.unbiasedVariance =
            Quotient(scatter, Multiply(Natural(count * (count - 1)), PowerOfTen(2 * scale)));
    }
    return moments;
}

Comparison Compare(const SampleMoments& baseline, const SampleMoments& sample, TestMethod method,
                   const ConfidenceLevel& level) {
    Comparison r;
    r.tooFew = baseline.n < 2 || sample.n < 2;
    r.difference =
        method == TestMethod::kPaired ? sample.mean : Difference(sample.mean, baseline.mean);
    const ExactNumber hundredOverBase = Ratio(Whole(100), baseline.mean);
    r.percent = Product(r.difference, hundredOverBase);
    if (r.tooFew || !r.difference.defined) return r;
    const Spread spread = SpreadOf(baseline, sample, method);
    if (method == TestMethod::kPooled) r.pooledSd = RootOf(spread.pooledVariance);
    if (IsZero(spread.seSquared)) {
        // No spread at all: equal means are no difference; apart, t is
        // infinite and p is 0.
        if (!IsZero(r.difference)) {
            r.infiniteT = r.difference.negative ? -1 : 1;
            r.p = Whole(0);
            r.different = true;
        }
        r.df = spread.df;
        r.interval = IntervalAround(r.difference, Whole(0), Whole(1), level);
        r.percentInterval = IntervalAround(r.percent, Whole(0), Whole(1), level);
        return r;
    }
    r.df = spread.df;
    // t = d / se = ±√(d² / se²).
    r.t =
        RootOf(Ratio(Product(r.difference, r.difference), spread.seSquared), r.difference.negative);
    r.p = TwoSidedP(r.t, r.df);
    const ExactNumber se = RootOf(spread.seSquared);
    r.interval = IntervalAround(r.difference, se, r.df, level);
    // The percentage's interval is the same interval scaled by 100/x̄ of the
    // baseline, rounded on its own: se·100/|x̄| = √(se²·100²/x̄²).
    if (hundredOverBase.defined) {
        const ExactNumber scale = Product(hundredOverBase, hundredOverBase);
        r.percentInterval =
            IntervalAround(r.percent, RootOf(Product(spread.seSquared, scale)), r.df, level);
    }
    const auto outside = [](const ExactNumber& x, bool negative) {
        return x.defined && !x.num.empty() && x.negative == negative;
    };
    r.different = outside(r.interval.low, false) || outside(r.interval.high, true);
    return r;
}

}  // namespace descstat
