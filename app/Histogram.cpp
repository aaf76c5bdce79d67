#include "app/Histogram.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/Decimal.h"
#include "app/DecimalSums.h"

namespace descstat {

namespace {

__extension__ typedef __int128 I128;  // NOLINT(modernize-use-using)

// A shortest decimal as a signed whole number of units of 10^exponent: its
// at most 17 digits fit in 64 bits.
struct Scaled {
    std::int64_t units = 0;
    int exponent = 0;
    int leading = 0;  // the power of ten of the leading digit
};

constexpr int kNoLeading = -100000;

Scaled ScaledOf(double v) {
    // The sums' own shortest decimal: no text for a number as people write
    // it. Its trailing zeros go into the exponent, as a shortest form has.
    DecimalValue d = DecimalOf(v);
    // Zero has no leading digit: it never limits how narrow a bin may be.
    if (d.m == 0) return {0, 0, kNoLeading};
    while (d.m % 10 == 0) {
        d.m /= 10;
        ++d.e;
    }
    int digits = 1;
    for (std::int64_t rest = d.m / 10; rest != 0; rest /= 10) ++digits;
    return {d.m, d.e, d.e + digits - 1};
}

I128 PowerOfTen(int k) {
    I128 p = 1;
    for (int i = 0; i < k; ++i) p *= 10;
    return p;
}

// a / b rounded down (b > 0).
I128 FloorDiv(I128 a, I128 b) {
    I128 q = a / b;
    if (a % b != 0 && a < 0) --q;
    return q;
}

// A bin width c · 10^p, c being 1, 2 or 5.
struct Width {
    int c = 1;
    int p = 0;
};

// How far a value's units may be scaled up in 128 bits: |units| < 10^17.
constexpr int kMaxScale = 21;
// How far the divisor may grow before it exceeds every value's units.
constexpr int kMaxDivisorScale = 30;

// The k of the bin [k·w, (k+1)·w) that holds x: floor(x / w), exact. The
// width must be one that ChooseWidth allows for the values (x.exponent - p at
// most kMaxScale).
I128 BinIndex(const Scaled& x, Width w) {
    if (x.units == 0) return 0;  // zero's exponent says nothing of its size
    const int scale = x.exponent - w.p;
    if (scale >= 0) return FloorDiv(I128{x.units} * PowerOfTen(scale), w.c);
    if (-scale > kMaxDivisorScale) return x.units < 0 ? -1 : 0;
    return FloorDiv(I128{x.units}, I128{w.c} * PowerOfTen(-scale));
}

// The width whose number of bins from lo's to hi's is nearest to `target`
// (the smaller on a tie). Far smaller widths give thousands of times too many
// bins; beyond the values' own size every width gives one or two.
Width ChooseWidth(const Scaled& lo, const Scaled& hi, double loValue, double hiValue, int target) {
    double range = (hiValue - loValue) / target;
    if (!std::isfinite(range)) range = hiValue / target - loValue / target;
    const int around = range > 0 ? static_cast<int>(std::floor(std::log10(range))) : -330;
    const int leading = std::max(lo.leading, hi.leading);
    const int first = std::max(around - 4, leading - kMaxScale);
    const int last = std::max(around + 4, leading + 1);
    Width best;
    I128 bestDistance = -1;
    for (int p = first; p <= last; ++p) {
        for (const int c : {1, 2, 5}) {
            const Width w{c, p};
            const I128 bins = BinIndex(hi, w) - BinIndex(lo, w) + 1;
            const I128 distance = bins > target ? bins - target : target - bins;
            if (bestDistance < 0 || distance < bestDistance) {
                best = w;
                bestDistance = distance;
            }
        }
    }
    return best;
}

// The text of units · 10^exponent, trailing zeros taken into the exponent.
std::string EdgeText(I128 units, int exponent) {
    Decimal d;
    d.negative = units < 0;
    I128 magnitude = d.negative ? -units : units;
    while (magnitude != 0 && magnitude % 10 == 0) {
        magnitude /= 10;
        ++exponent;
    }
    d.digits.clear();
    do {
        d.digits.insert(d.digits.begin(),
                        static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    d.exponent = d.digits == "0" ? 0 : exponent;
    return DecimalText(d);
}

// The powers of ten a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A bin width w = c * 10^p as the quick way divides by it, in one exact
// double: 1/w to multiply by, or w to divide by where 1/w is no double.
struct QuickWidth {
    bool usable = false;
    bool multiply = true;
    double factor = 1;
};

QuickWidth QuickWidthOf(Width w) {
    QuickWidth q;
    // 10^k / 2 and 10^k / 5 (k >= 1) are exact, as is c * 10^p while the odd
    // part c * 5^p stays below 2^53: all but 5 * 10^22.
    q.usable = w.p >= -22 && w.p <= 22 && !(w.c == 5 && w.p == 22);
    if (!q.usable) return q;
    q.multiply = w.p < 0 || (w.p == 0 && w.c != 5);
    q.factor = q.multiply ? kExactPowers[-w.p] / w.c : kExactPowers[w.p] * w.c;
    return q;
}

// The bin of a normal value v the quick way: t = v / w in one rounded
// operation, off by half a unit of its last bit, and v itself off its
// shortest decimal by another: floor(t) is the bin of the shortest decimal
// unless t lies within those errors of a whole number (an edge), the
// bound below allowing for more. False then, or where v is not normal or t
// too large, which BinIndex settles exactly. A t too small to have an
// error of its own (as from a subnormal v) has no edge near it but 0, which
// its sign settles. `kMultiply` is q.multiply, a constant of the caller's
// loop; `kInRange` says the caller knows v is a finite number and t below
// kQuickLimit (a rounded operation keeps the order, so the extremes'
// quotients bound every other).
constexpr double kQuickLimit = 0x1p51;

// v / w the quick way: one rounded operation.
template <bool kMultiply>
inline double QuotientOf(double v, const QuickWidth& q) {
    return kMultiply ? v * q.factor : v / q.factor;
}

template <bool kMultiply, bool kInRange>
inline bool QuickBin(double v, const QuickWidth& q, std::int64_t& k) {
    const double t = QuotientOf<kMultiply>(v, q);
    const double size = std::fabs(t);
    if (!kInRange && (!(size < kQuickLimit) || !std::isnormal(v))) return false;
    // Below 2^51, adding 1.5 * 2^52 leaves no bit after the point: the
    // whole number nearest t, and what t is beyond it, exactly.
    constexpr double kRound = 0x1.8p52;
    const double nearest = (t + kRound) - kRound;
    const double rest = t - nearest;
    if (std::fabs(rest) <= size * 0x1p-50) return false;
    k = static_cast<std::int64_t>(nearest) - (rest < 0 ? 1 : 0);
    return true;
}

// Counts each value of `values` that is a number in its bin of width w, the
// first bin's index `first`: the quick way where it settles it (QuickBin),
// else exactly.
template <bool kMultiply, bool kInRange>
void CountInBins(const double* values, std::int32_t n, const Width& w, const QuickWidth& quick,
                 I128 first, std::vector<std::int64_t>& counts) {
    const auto quickFirst = static_cast<std::int64_t>(first);
    std::int64_t* const count = counts.data();
    const auto countOne = [&](double v) {
        std::int64_t k = 0;
        if (quick.usable && QuickBin<kMultiply, kInRange>(v, quick, k)) {
            ++count[k - quickFirst];
        } else if (!std::isnan(v)) {
            ++count[static_cast<std::size_t>(BinIndex(ScaledOf(v), w) - first)];
        }
    };
    std::int32_t i = 0;
#if defined(__SSE2__)
    // In range, two at a time: QuickBin's operations on both lanes at once,
    // the same bits as one by one; a pair with either near an edge goes the
    // one-by-one way.
    if (kInRange) {
        const __m128d factor = _mm_set1_pd(quick.factor);
        // The bins counted from the first, in doubles: whole numbers below
        // 2^52, so exactly.
        const __m128d firstBin = _mm_set1_pd(static_cast<double>(quickFirst));
        const __m128d round = _mm_set1_pd(0x1.8p52);
        const __m128d signless = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
        const __m128d errorScale = _mm_set1_pd(0x1p-50);
        const __m128d one = _mm_set1_pd(1.0);
        for (; i + 2 <= n; i += 2) {
            __m128d t = _mm_loadu_pd(values + i);
            t = kMultiply ? _mm_mul_pd(t, factor) : _mm_div_pd(t, factor);
            const __m128d nearest = _mm_sub_pd(_mm_add_pd(t, round), round);
            const __m128d rest = _mm_sub_pd(t, nearest);
            const __m128d error = _mm_mul_pd(_mm_and_pd(t, signless), errorScale);
            if (_mm_movemask_pd(_mm_cmple_pd(_mm_and_pd(rest, signless), error)) != 0) {
                countOne(values[i]);
                countOne(values[i + 1]);
                continue;
            }
            const __m128d bin = _mm_sub_pd(
                nearest,
                _mm_add_pd(_mm_and_pd(_mm_cmplt_pd(rest, _mm_setzero_pd()), one), firstBin));
            ++count[_mm_cvttsd_si64(bin)];
            ++count[_mm_cvttsd_si64(_mm_unpackhi_pd(bin, bin))];
        }
    }
#endif
    for (; i < n; ++i) countOne(values[i]);
}

// Whether every value from lowest to highest, NaNs being none of them, has
// a finite quotient below kQuickLimit the quick way.
bool QuotientsInRange(double lowest, double highest, std::int64_t notNumbers, const QuickWidth& q) {
    const auto quotient = [&q](double v) {
        return std::fabs(q.multiply ? QuotientOf<true>(v, q) : QuotientOf<false>(v, q));
    };
    return q.usable && notNumbers == 0 && quotient(lowest) < kQuickLimit &&
           quotient(highest) < kQuickLimit;
}

void CountAllInBins(const double* values, std::int32_t n, const Width& w, const QuickWidth& quick,
                    I128 first, bool inRange, std::vector<std::int64_t>& counts) {
    if (inRange) {
        if (quick.multiply) {
            CountInBins<true, true>(values, n, w, quick, first, counts);
        } else {
            CountInBins<false, true>(values, n, w, quick, first, counts);
        }
    } else if (quick.multiply) {
        CountInBins<true, false>(values, n, w, quick, first, counts);
    } else {
        CountInBins<false, false>(values, n, w, quick, first, counts);
    }
}

// The lowest and the highest number among the values, and how many are
// NaN. Four at a time, in two lanes, where the machine has SSE2: its min
// and max take the second operand when either is NaN, as the comparisons
// below do.
struct Extremes {
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -std::numeric_limits<double>::infinity();
    std::int64_t notNumbers = 0;
};

Extremes ExtremesOf(const double* values, std::int32_t n) {
    Extremes e;
    std::int32_t i = 0;
#if defined(__SSE2__)
    __m128d low = _mm_set1_pd(e.lowest);
    __m128d high = _mm_set1_pd(e.highest);
    __m128i nans = _mm_setzero_si128();
    const auto take = [&](const __m128d v) {
        low = _mm_min_pd(v, low);
        high = _mm_max_pd(v, high);
        nans = _mm_sub_epi64(nans, _mm_castpd_si128(_mm_cmpunord_pd(v, v)));
    };
    for (; i + 4 <= n; i += 4) {
        take(_mm_loadu_pd(values + i));
        take(_mm_loadu_pd(values + i + 2));
    }
    for (; i + 2 <= n; i += 2) take(_mm_loadu_pd(values + i));
    alignas(16) double lows[2];
    alignas(16) double highs[2];
    alignas(16) std::int64_t counts[2];
    _mm_store_pd(lows, low);
    _mm_store_pd(highs, high);
    _mm_store_si128(reinterpret_cast<__m128i*>(counts), nans);
    e.lowest = std::min(lows[0], lows[1]);
    e.highest = std::max(highs[0], highs[1]);
    e.notNumbers = counts[0] + counts[1];
#endif
    for (; i < n; ++i) {
        const double v = values[i];
        e.notNumbers += std::isnan(v) ? 1 : 0;
        e.lowest = v < e.lowest ? v : e.lowest;
        e.highest = v > e.highest ? v : e.highest;
    }
    return e;
}

// Sturges' rule: ceil(log2 n) + 1, in whole numbers.
int SturgesBins(std::int64_t n) {
    int bins = 1;
    for (std::int64_t reach = 1; reach < n; reach *= 2) ++bins;
    return bins;
}

// The histogram of the n values whose extremes are e.
Histogram HistogramWithin(const double* values, std::int32_t n, int targetBins, const Extremes& e) {
    Histogram h;
    const double lowest = e.lowest;
    const double highest = e.highest;
    h.notNumbers = e.notNumbers;
    const std::int64_t numbers = n - h.notNumbers;
    if (numbers == 0) return h;
    const Scaled lo = ScaledOf(lowest);
    if (lowest == highest) {
        h.bins.push_back(
            {EdgeText(lo.units, lo.exponent), EdgeText(I128{lo.units} + 1, lo.exponent), numbers});
        return h;
    }
    const Scaled hi = ScaledOf(highest);
    const int target = targetBins > 0 ? targetBins : SturgesBins(numbers);
    const Width w = ChooseWidth(lo, hi, lowest, highest, target);
    const I128 first = BinIndex(lo, w);
    const auto bins = static_cast<std::size_t>(BinIndex(hi, w) - first + 1);
    h.bins.resize(bins);
    for (std::size_t b = 0; b < bins; ++b) {
        const I128 k = first + static_cast<I128>(b);
        h.bins[b].low = EdgeText(k * w.c, w.p);
        h.bins[b].high = EdgeText((k + 1) * w.c, w.p);
    }
    const QuickWidth quick = QuickWidthOf(w);
    std::vector<std::int64_t> counts(bins);
    CountAllInBins(values, n, w, quick, first,
                   QuotientsInRange(lowest, highest, h.notNumbers, quick), counts);
    for (std::size_t b = 0; b < bins; ++b) h.bins[b].count = counts[b];
    return h;
}

}  // namespace

Histogram ComputeHistogram(const double* values, std::int32_t n, int targetBins) {
    return HistogramWithin(values, n, targetBins, ExtremesOf(values, n));
}

Histogram ComputeHistogramBetween(const double* values, std::int32_t n, int targetBins,
                                  double lowest, double highest) {
    if (n == 0 || std::isnan(lowest) || std::isnan(highest)) {
        return ComputeHistogram(values, n, targetBins);
    }
    return HistogramWithin(values, n, targetBins, Extremes{lowest, highest, 0});
}

int BarLength(std::int64_t count, std::int64_t most) {
    constexpr std::int64_t kLongest = 50;
    if (count <= 0 || most <= 0) return 0;
    const std::int64_t rounded = (count * kLongest * 2 + most) / (most * 2);
    return static_cast<int>(std::max<std::int64_t>(rounded, 1));
}

double EdgeDouble(const std::string& edge) {
    double v = 0;
    const std::from_chars_result r = std::from_chars(edge.data(), edge.data() + edge.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        const bool tiny = edge.find("e-") != std::string::npos;
        v = tiny ? 0.0 : std::numeric_limits<double>::max() * (edge[0] == '-' ? -1 : 1);
    }
    return v;
}

}  // namespace descstat
