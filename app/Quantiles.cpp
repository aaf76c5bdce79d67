#include "app/Quantiles.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "app/DecimalSums.h"

namespace descstat {

namespace {

constexpr double kNoQuantile = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t kMaxDecimals = 9;

// The value part/denominator of the way from a to b (a <= b, 0 < part <
// denominator) over their shortest decimals, exactly, and rounded once from
// its exact value.
double Interpolate(double a, double b, std::uint32_t part, std::uint32_t denominator,
                   ExactNumber& exact) {
    exact = ExactAsWritten(a + 0.0);
    if (a == b) return a + 0.0;  // a zero is +0
    // Infinities as IEEE arithmetic takes them: from -inf to inf is no number.
    if (std::isinf(a) || std::isinf(b)) return a == -b ? kNoQuantile : std::isinf(a) ? a : b;
    exact = InterpolateDecimals(DecimalOf(a), DecimalOf(b), part, denominator);
    return NearestDouble(exact);
}

// Places the order statistics of the sorted, distinct positions [first, last)
// in values[lo, hi): the middle one over the whole range, then those above it
// and those below it in the parts on either side. Afterwards every value
// before a selected position is no larger than the value there, and every
// value after it no smaller.
void SelectAt(double* values, std::int32_t lo, std::int32_t hi, const std::int32_t* first,
              const std::int32_t* last) {
    while (first != last) {
        const std::int32_t* middle = first + (last - first) / 2;
        std::nth_element(values + lo, values + *middle, values + hi);
        SelectAt(values, *middle + 1, hi, middle + 1, last);
        hi = *middle;
        last = middle;
    }
}

// The sorted, distinct positions that the valid probabilities need.
std::vector<std::int32_t> NeededPositions(std::int32_t n, const Probability* probabilities,
                                          std::size_t count) {
    std::vector<std::int32_t> positions;
    positions.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (IsProbability(probabilities[i])) {
            positions.push_back(PositionOf(probabilities[i], n).index);
        }
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}

// Puts x(k + 1) at every needed position k. The inner ones are selected; the
// minimum and the maximum are found in the part before the first inner one
// and the part after the last and swapped to the ends.
void PlaceOrderStatistics(double* values, std::int32_t n,
                          const std::vector<std::int32_t>& positions) {
    const bool lowest = positions.front() == 0;
    const bool highest = n > 1 && positions.back() == n - 1;
    const std::int32_t* inner = positions.data() + (lowest ? 1 : 0);
    const std::int32_t* innerEnd = positions.data() + positions.size() - (highest ? 1 : 0);
    SelectAt(values, 0, n, inner, innerEnd);
    if (lowest) {
        const std::int32_t upTo = inner != innerEnd ? *inner : n;
        std::iter_swap(values, std::min_element(values, values + upTo));
    }
    if (highest) {
        const std::int32_t from = inner != innerEnd ? innerEnd[-1] + 1 : lowest ? 1 : 0;
        std::iter_swap(values + n - 1, std::max_element(values + from, values + n));
    }
}

}  // namespace

bool IsProbability(const Probability& p) {
    std::uint32_t power = 1;
    while (power < p.denominator && power < kMaxProbabilityDenominator) power *= 10;
    return power == p.denominator && p.numerator <= p.denominator;
}

bool ParseProbability(const std::string& text, Probability& p) {
    if (text.empty() || (text[0] != '0' && text[0] != '1')) return false;
    std::uint32_t numerator = text[0] == '1' ? 1 : 0;
    std::uint32_t denominator = 1;
    if (text.size() > 1) {
        const std::size_t decimals = text.size() - 2;
        if (text[1] != '.' || decimals == 0 || decimals > kMaxDecimals) return false;
        for (std::size_t i = 2; i < text.size(); ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            numerator = numerator * 10 + static_cast<std::uint32_t>(text[i] - '0');
            denominator *= 10;
        }
    }
    if (numerator > denominator) return false;
    p = {numerator, denominator};
    return true;
}

QuantilePosition PositionOf(const Probability& p, std::int32_t n) {
    // Below 2^31 · 10^9 < 2^61: exact in 64 bits.
    const std::uint64_t scaled = static_cast<std::uint64_t>(n - 1) * p.numerator;
    return {static_cast<std::int32_t>(scaled / p.denominator),
            static_cast<std::uint32_t>(scaled % p.denominator), p.denominator};
}

void ComputeQuantiles(double* values, std::int32_t n, const Probability* probabilities,
                      std::size_t count, double* quantiles, ExactNumber* exact) {
    std::fill(quantiles, quantiles + count, kNoQuantile);
    ExactNumber ignored;
    const auto exactAt = [&](std::size_t i) -> ExactNumber& {
        return exact != nullptr ? exact[i] : ignored;
    };
    if (n <= 0 || std::any_of(values, values + n, [](double v) { return std::isnan(v); })) return;
    const std::vector<std::int32_t> positions = NeededPositions(n, probabilities, count);
    if (positions.empty()) return;
    PlaceOrderStatistics(values, n, positions);

    // The order statistic right after a needed position is the smallest value
    // up to the next needed position (or the end); each is found once.
    std::vector<double> following(positions.size(), kNoQuantile);
    const auto next = [&](std::size_t j) {
        if (std::isnan(following[j])) {
            const std::int32_t upTo = j + 1 < positions.size() ? positions[j + 1] : n - 1;
            following[j] = *std::min_element(values + positions[j] + 1, values + upTo + 1);
        }
        return following[j];
    };
    for (std::size_t i = 0; i < count; ++i) {
        if (!IsProbability(probabilities[i])) continue;
        const QuantilePosition at = PositionOf(probabilities[i], n);
        const double here = values[at.index];
        if (at.part == 0) {
            quantiles[i] = here + 0.0;  // a zero is +0
            exactAt(i) = ExactAsWritten(quantiles[i]);
            continue;
        }
        const auto j = static_cast<std::size_t>(
            std::lower_bound(positions.begin(), positions.end(), at.index) - positions.begin());
        quantiles[i] = Interpolate(here, next(j), at.part, at.denominator, exactAt(i));
    }
}

}  // namespace descstat
