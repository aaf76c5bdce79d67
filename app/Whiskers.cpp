#include "app/Whiskers.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

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

}  // namespace

Whiskers ComputeWhiskers(double* values, std::int32_t n, const Summary& s) {
    Whiskers w{kNaN, kNaN, 0, {}};
    if (n <= 0 || std::isnan(s.minimum)) return w;
    w.low = s.minimum;
    w.high = s.maximum;
    if (!std::isfinite(s.firstQuartile) || !std::isfinite(s.thirdQuartile)) return w;
    const Fence lower = FenceOf(s.exact[1], s.exact[3], true);
    const Fence upper = FenceOf(s.exact[3], s.exact[1], false);
    // Below the lower fence first, above the upper one last, the rest between
    // (no NaN among them, or the summary would be NaN), in one pass that
    // finds the whiskers' ends among the rest.
    const double belowBound = BelowBound(lower);
    const double aboveBound = AboveBound(upper);
    double* inside = values;
    double* beyond = values + n;
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -lowest;
    for (double* next = values; next != beyond;) {
        const double v = *next;
        if (v < belowBound) {
            std::swap(*inside++, *next++);
        } else if (v > aboveBound) {
            std::swap(*next, *--beyond);
        } else {
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
            ++next;
        }
    }
    if (inside != beyond) {  // the quartiles lie within the fences
        w.low = lowest + 0.0;
        w.high = highest + 0.0;
    }
    w.outside = (inside - values) + (values + n - beyond);
    std::sort(values, inside);
    std::sort(beyond, values + n);
    std::size_t distinct = 0;
    ForEachDistinct(values, inside, beyond, values + n, [&](std::size_t, double) { ++distinct; });
    // Every one when they are few; else the k-th of kMostOutliersDrawn picks
    // the distinct value at k·(distinct − 1)/(kMostOutliersDrawn − 1).
    const std::size_t drawn = std::min(distinct, kMostOutliersDrawn);
    std::size_t next = 0;
    ForEachDistinct(values, inside, beyond, values + n, [&](std::size_t index, double v) {
        if (next < drawn && (drawn == distinct || index == next * (distinct - 1) / (drawn - 1))) {
            w.outliers.push_back(v);
            ++next;
        }
    });
    return w;
}

}  // namespace descstat
