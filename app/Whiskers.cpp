#include "app/Whiskers.h"

#include <algorithm>
#include <cmath>

#include "app/Exact.h"
#include "app/Statistics.h"

namespace descstat {

namespace {

// The sign of 2·x − (5·a − 3·b), exactly: where x stands against the fence
// (5·a − 3·b)/2, that is a − 1.5·(b − a). All finite.
int AgainstFence(double x, double a, double b) {
    ExactSums sums;
    AddMultiple(sums, x, 2);
    AddMultiple(sums, -a, 5);
    AddMultiple(sums, b, 3);
    bool negative = false;
    const BigNat sum = LinearSum(sums, negative);
    if (sum.empty()) return 0;
    return negative ? -1 : 1;
}

// The double nearest to the fence (5·a − 3·b)/2, and whether a value equal
// to that double lies beyond the fence (away from a): only there can the
// rounding decide, for no other double lies between the fence and its
// nearest one.
struct Fence {
    double nearest;
    bool nearestBeyond;
};

Fence FenceOf(double a, double b, bool below) {
    ExactSums sums;
    AddMultiple(sums, a, 5);
    AddMultiple(sums, -b, 3);
    bool negative = false;
    const BigNat sum = LinearSum(sums, negative);
    const double nearest = RoundQuotient(sum, 2, -kLinearScale, negative);
    if (!std::isfinite(nearest)) return {nearest, true};  // the fence lies beyond every double
    const int side = AgainstFence(nearest, a, b);
    return {nearest, below ? side < 0 : side > 0};
}

bool Below(double v, const Fence& f) {
    return v < f.nearest || (v == f.nearest && f.nearestBeyond);
}
bool Above(double v, const Fence& f) {
    return v > f.nearest || (v == f.nearest && f.nearestBeyond);
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
    const Fence lower = FenceOf(s.firstQuartile, s.thirdQuartile, true);
    const Fence upper = FenceOf(s.thirdQuartile, s.firstQuartile, false);
    // Below the lower fence first, above the upper one last, the rest between.
    double* const inside =
        std::partition(values, values + n, [&lower](double v) { return Below(v, lower); });
    double* const beyond =
        std::partition(inside, values + n, [&upper](double v) { return !Above(v, upper); });
    w.low = *std::min_element(inside, beyond) + 0.0;
    w.high = *std::max_element(inside, beyond) + 0.0;
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
