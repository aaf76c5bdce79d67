#include "app/Whiskers.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/DecimalSums.h"
#include "app/Statistics.h"

namespace descstat {

namespace {

// The fence a − 1.5·(b − a) = (5·a − 3·b)/2 of two exact quartiles, exactly.
ExactNumber FenceValue(const ExactNumber& a, const ExactNumber& b) {
    const SignedNat fiveA{Multiply(Multiply(a.num, b.den), Natural(5)), a.negative};
    const SignedNat threeB{Multiply(Multiply(b.num, a.den), Natural(3)), !b.negative};
    SignedNat sum = Add(fiveA, threeB);
    return Quotient(std::move(sum.magnitude), Multiply(Multiply(a.den, b.den), Natural(2)),
                    sum.negative);
}

// The double nearest to the fence, and whether a value equal to that double
// lies beyond the fence (away from a), the value taken as its shortest
// decimal: only there can the rounding decide, for every other value's
// decimal lies in its own double's rounding interval, wholly on one side.
struct Fence {
    double nearest;
    bool nearestBeyond;
};

Fence FenceOf(const ExactNumber& a, const ExactNumber& b, bool below) {
    const ExactNumber fence = FenceValue(a, b);
    const double nearest = NearestDouble(fence);
    if (!std::isfinite(nearest)) return {nearest, true};  // the fence lies beyond every double
    const int side = CompareExact(ExactAsWritten(nearest), fence);
    return {nearest, below ? side < 0 : side > 0};
}

// The double a value must be below to lie beyond the lower fence f: the
// next one up from f's nearest when that one lies beyond too.
double BelowBound(const Fence& f) {
    return f.nearestBeyond ? std::nextafter(f.nearest, std::numeric_limits<double>::infinity())
                           : f.nearest;
}
// The double a value must be above to lie beyond the upper fence f.
double AboveBound(const Fence& f) {
    return f.nearestBeyond ? std::nextafter(f.nearest, -std::numeric_limits<double>::infinity())
                           : f.nearest;
}

// Calls `take` with each distinct value of the two sorted ranges in turn
// (the second's values all above the first's) and its index among them.
template <typename Take>
void ForEachDistinct(const double* a, const double* aEnd, const double* b, const double* bEnd,
                     Take take) {
    std::size_t index = 0;
    const double* last = nullptr;
    const auto visit = [&](const double* p) {
        if (last == nullptr || *last != *p) take(index++, *p + 0.0);  // a zero is +0
        last = p;
    };
    for (const double* p = a; p != aEnd; ++p) visit(p);
    for (const double* p = b; p != bEnd; ++p) visit(p);
}

// The values beyond the bounds and the whiskers' ends among the rest.
struct Sides {
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -std::numeric_limits<double>::infinity();
    // The values beyond, in two sorted ranges, the second's all above the first's.
    const double* lowFirst = nullptr;
    const double* lowLast = nullptr;
    const double* highFirst = nullptr;
    const double* highLast = nullptr;
};

// The most values beyond the fences gathered aside: more are put in place.
constexpr std::size_t kMostGathered = std::size_t{1} << 16;

// Gathers the values beyond the bounds into `outside` (sorted) in one pass
// that moves none, two at a time where the machine has SSE2, the pairs with
// none beyond taking only a min and a max. False when more than
// kMostGathered lie beyond.
bool GatherOutside(const double* values, std::int32_t n, double belowBound, double aboveBound,
                   Sides& sides, std::vector<double>& outside) {
    double lowest = sides.lowest;
    double highest = sides.highest;
    const auto take = [&](double v) {
        if (v < belowBound || v > aboveBound) {
            outside.push_back(v);
        } else {
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
        return outside.size() <= kMostGathered;
    };
    std::int32_t i = 0;
#if defined(__SSE2__)
    const __m128d below = _mm_set1_pd(belowBound);
    const __m128d above = _mm_set1_pd(aboveBound);
    __m128d low = _mm_set1_pd(lowest);
    __m128d high = _mm_set1_pd(highest);
    for (; i + 2 <= n; i += 2) {
        const __m128d v = _mm_loadu_pd(values + i);
        if (_mm_movemask_pd(_mm_or_pd(_mm_cmplt_pd(v, below), _mm_cmpgt_pd(v, above))) != 0) {
            if (!take(values[i]) || !take(values[i + 1])) return false;
            continue;
        }
        low = _mm_min_pd(v, low);
        high = _mm_max_pd(v, high);
    }
    alignas(16) double lows[2];
    alignas(16) double highs[2];
    _mm_store_pd(lows, low);
    _mm_store_pd(highs, high);
    lowest = std::min({lowest, lows[0], lows[1]});
    highest = std::max({highest, highs[0], highs[1]});
#endif
    for (; i < n; ++i) {
        if (!take(values[i])) return false;
    }
    std::sort(outside.begin(), outside.end());
    sides.lowest = lowest;
    sides.highest = highest;
    sides.lowFirst = outside.data();
    sides.lowLast = outside.data() + outside.size();
    sides.highFirst = sides.highLast = sides.lowLast;
    return true;
}

// As GatherOutside, for any number beyond: below the lower bound first,
// above the upper one last, the rest between, in one pass that finds the
// whiskers' ends among the rest.
void PartitionOutside(double* values, std::int32_t n, double belowBound, double aboveBound,
                      Sides& sides) {
    double* inside = values;
    double* beyond = values + n;
    for (double* next = values; next != beyond;) {
        const double v = *next;
        if (v < belowBound) {
            std::swap(*inside++, *next++);
        } else if (v > aboveBound) {
            std::swap(*next, *--beyond);
        } else {
            sides.lowest = std::min(sides.lowest, v);
            sides.highest = std::max(sides.highest, v);
            ++next;
        }
    }
    std::sort(values, inside);
    std::sort(beyond, values + n);
    sides.lowFirst = values;
    sides.lowLast = inside;
    sides.highFirst = beyond;
    sides.highLast = values + n;
}

}  // namespace

Whiskers ComputeWhiskers(double* values, std::int32_t n, const Summary& s) {
    Whiskers w{kNaN, kNaN, 0, {}};
    if (n <= 0 || std::isnan(s.minimum)) return w;
    w.low = s.minimum;
    w.high = s.maximum;
    if (!std::isfinite(s.firstQuartile) || !std::isfinite(s.thirdQuartile)) return w;
    const Fence lower = FenceOf(s.exact[1], s.exact[3], true);
    const Fence upper = FenceOf(s.exact[3], s.exact[1], false);
    // No NaN is among the values, or the summary would be NaN.
    const double belowBound = BelowBound(lower);
    const double aboveBound = AboveBound(upper);
    Sides sides;
    std::vector<double> outside;
    if (!GatherOutside(values, n, belowBound, aboveBound, sides, outside)) {
        sides = Sides();
        std::vector<double>().swap(outside);
        PartitionOutside(values, n, belowBound, aboveBound, sides);
    }
    w.outside = (sides.lowLast - sides.lowFirst) + (sides.highLast - sides.highFirst);
    if (w.outside < n) {  // the quartiles lie within the fences
        w.low = sides.lowest + 0.0;
        w.high = sides.highest + 0.0;
    }
    std::size_t distinct = 0;
    ForEachDistinct(sides.lowFirst, sides.lowLast, sides.highFirst, sides.highLast,
                    [&](std::size_t, double) { ++distinct; });
    // Every one when they are few; else the k-th of kMostOutliersDrawn picks
    // the distinct value at k·(distinct − 1)/(kMostOutliersDrawn − 1).
    const std::size_t drawn = std::min(distinct, kMostOutliersDrawn);
    std::size_t next = 0;
    ForEachDistinct(sides.lowFirst, sides.lowLast, sides.highFirst, sides.highLast,
                    [&](std::size_t index, double v) {
                        if (next < drawn &&
                            (drawn == distinct || index == next * (distinct - 1) / (drawn - 1))) {
                            w.outliers.push_back(v);
                            ++next;
                        }
                    });
    return w;
}

}  // namespace descstat
