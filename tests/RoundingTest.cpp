// Correct rounding near ties: quotients and square roots of quotients built so
// that their exact value is a tie between two doubles, a little above it or a
// little below it, by construction (the expected double is known without any
// division), at every exponent, subnormal results included, by divisors of 64
// bits and of several limbs. And the count products at the 32-bit edges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include "app/Exact.h"
#include "app/Statistics.h"

namespace {

using descstat::BigNat;
__extension__ typedef unsigned __int128 U128;  // NOLINT(modernize-use-using)

// v · 2^shift as limbs.
BigNat Limbs(U128 v, int shift) {
    BigNat a(static_cast<std::size_t>(shift / 64 + 3), 0);
    for (int b = 0; b < 128; ++b) {
        if (((v >> b) & 1) == 0) continue;
        const int bit = b + shift;
        a[static_cast<std::size_t>(bit / 64)] |= std::uint64_t{1} << (bit % 64);
    }
    while (!a.empty() && a.back() == 0) a.pop_back();
    return a;
}

// a + 2^t, or a − 2^t (for a ≥ 2^t).
void AddPowerOfTwo(BigNat& a, int t, bool subtract) {
    auto limb = static_cast<std::size_t>(t / 64);
    std::uint64_t bit = std::uint64_t{1} << (t % 64);
    if (a.size() <= limb) a.resize(limb + 1, 0);
    for (; limb < a.size(); ++limb, bit = 1) {
        const std::uint64_t old = a[limb];
        a[limb] = subtract ? old - bit : old + bit;
        if (subtract ? old >= bit : a[limb] >= old) break;  // no borrow, no carry
        if (limb + 1 == a.size() && !subtract) a.push_back(0);
    }
    while (!a.empty() && a.back() == 0) a.pop_back();
}

int BitLength(U128 v) {
    int n = 0;
    for (; v != 0; v >>= 1) ++n;
    return n;
}

// One constructed case: the exact value lies between m·2^e and (m+1)·2^e, at
// their midpoint (offset 0) or 2^t units of the numerator above or below it.
struct Near {
    std::uint64_t m;
    int e;
    int offset;  // -1 below the tie, 0 the tie, +1 above
    double Expected(bool negative) const {
        const bool up = offset > 0 || (offset == 0 && (m & 1) != 0);
        const double d = std::ldexp(static_cast<double>(m + (up ? 1 : 0)), e);
        return negative ? -d : d;
    }
};

// cppcheck-suppress constParameter ; drawing from the generator changes it
std::uint64_t Bits(std::mt19937_64& rng, int n) {
    return n >= 64 ? rng() : rng() & ((std::uint64_t{1} << n) - 1);
}

// A result mantissa and exponent: normal (53 bits) at any exponent, or
// subnormal (below 2^52, at 2^-1074), with the boundaries between them.
Near RandomNear(std::mt19937_64& rng) {
    Near n{};
    const std::uint64_t kTop = std::uint64_t{1} << 52;
    switch (rng() % 6) {
        case 0: n = {Bits(rng, 52), -1074, 0}; break;
        case 1: n = {kTop - 1 - rng() % 3, -1074, 0}; break;  // the normal boundary
        case 2: n = {rng() % 3, -1074, 0}; break;             // the smallest
        case 3: n = {(kTop << 1) - 1, static_cast<int>(rng() % 2045) - 1074, 0}; break;
        default: n = {kTop | Bits(rng, 52), static_cast<int>(rng() % 2045) - 1074, 0}; break;
    }
    n.offset = static_cast<int>(rng() % 3) - 1;
    return n;
}

std::string Describe(const Near& n, std::uint64_t den, int s, int t, std::uint64_t seed) {
    std::ostringstream out;
    out << "seed " << seed << ": m=" << n.m << " e=" << n.e << " offset " << n.offset << " (2^" << t
        << ") den=" << den << " shift " << s;
    return out.str();
}

constexpr std::uint64_t kSeed = 20261209;
constexpr int kCases = 20000;

// num / den · 2^exp2 with num = H·den·2^s ± 2^t, H = 2m + 1: the midpoint of
// m·2^e and (m+1)·2^e at exp2 = e − 1 − s, moved by less than half a unit.
TEST(Rounding, QuotientsNearTiesAreCorrectlyRounded) {
    std::mt19937_64 rng(kSeed);  // NOLINT(cert-msc32-c,cert-msc51-cpp): repeatable on purpose
    for (int i = 0; i < kCases; ++i) {
        const Near n = RandomNear(rng);
        const std::uint64_t den =
            std::max<std::uint64_t>(1, Bits(rng, 1 + static_cast<int>(rng() % 64)));
        const int s = static_cast<int>(rng() % 200);
        const U128 h = (U128{n.m} << 1) | 1;
        BigNat num = Limbs(h * den, s);
        // Any bit position below one unit of the midpoint: den·2^s > 2^t.
        const int t = static_cast<int>(rng() % static_cast<unsigned>(s + BitLength(den)));
        if (n.offset != 0) AddPowerOfTwo(num, t, n.offset < 0);
        const bool negative = (rng() & 1) != 0;
        const double got = descstat::RoundQuotient(num, den, n.e - 1 - s, negative);
        ASSERT_EQ(got, n.Expected(negative))
            << std::hexfloat << got << " for " << Describe(n, den, s, t, kSeed);
    }
}

// √(num / den · 2^exp2) with num = H²·den·2^s ± 2^t: the midpoint H·2^(e−1)
// squared at exp2 = 2e − 2 − s (s even), moved by less than one unit of H².
TEST(Rounding, SquareRootsNearTiesAreCorrectlyRounded) {
    std::mt19937_64 rng(kSeed + 1);  // NOLINT(cert-msc32-c,cert-msc51-cpp): repeatable
    for (int i = 0; i < kCases; ++i) {
        const Near n = RandomNear(rng);
        const std::uint64_t den =
            std::max<std::uint64_t>(1, Bits(rng, 1 + static_cast<int>(rng() % 19)));
        const int s = 2 * static_cast<int>(rng() % 100);
        const U128 h = (U128{n.m} << 1) | 1;
        BigNat num = Limbs(h * h * den, s);
        const int t = static_cast<int>(rng() % static_cast<unsigned>(s + BitLength(den)));
        if (n.offset != 0) AddPowerOfTwo(num, t, n.offset < 0);
        const double got = descstat::RoundSqrtQuotient(num, den, 2 * n.e - 2 - s);
        ASSERT_EQ(got, n.Expected(false))
            << std::hexfloat << got << " for " << Describe(n, den, s, t, kSeed + 1);
    }
}

int BitLength(const BigNat& a) {
    return a.empty() ? 0 : static_cast<int>(a.size() - 1) * 64 + BitLength(U128{a.back()});
}

// One to five limbs: random, all ones (2^64k − 1) or a power of two, plus one
// at times.
BigNat RandomDivisor(std::mt19937_64& rng) {
    BigNat d(static_cast<std::size_t>(1 + rng() % 5), 0);
    switch (rng() % 3) {
        case 0:
            for (auto& limb : d) limb = rng();
            break;
        case 1:
            for (auto& limb : d) limb = ~std::uint64_t{0};
            break;
        default: d.front() |= rng() & 1; break;
    }
    if (d.back() == 0) d.back() = 1;
    return d;
}

// As above, by divisors of up to five limbs, the numerators formed with the
// program's own product: a wrong one would move them off the constructed tie.
TEST(Rounding, QuotientsByBigDivisorsNearTiesAreCorrectlyRounded) {
    std::mt19937_64 rng(kSeed + 2);  // NOLINT(cert-msc32-c,cert-msc51-cpp): repeatable
    for (int i = 0; i < kCases; ++i) {
        const Near n = RandomNear(rng);
        const BigNat den = RandomDivisor(rng);
        const int s = static_cast<int>(rng() % 200);
        BigNat num = descstat::Multiply(den, Limbs((U128{n.m} << 1) | 1, s));
        const int t = static_cast<int>(rng() % static_cast<unsigned>(s + BitLength(den)));
        if (n.offset != 0) AddPowerOfTwo(num, t, n.offset < 0);
        const bool negative = (rng() & 1) != 0;
        const double got = descstat::RoundQuotient(num, den, n.e - 1 - s, negative);
        ASSERT_EQ(got, n.Expected(negative))
            << std::hexfloat << got << " for " << Describe(n, den[0], s, t, kSeed + 2);
    }
}

TEST(Rounding, SquareRootsByBigDivisorsNearTiesAreCorrectlyRounded) {
    std::mt19937_64 rng(kSeed + 3);  // NOLINT(cert-msc32-c,cert-msc51-cpp): repeatable
    for (int i = 0; i < kCases; ++i) {
        const Near n = RandomNear(rng);
        const BigNat den = RandomDivisor(rng);
        const int s = 2 * static_cast<int>(rng() % 100);
        const U128 h = (U128{n.m} << 1) | 1;
        BigNat num = descstat::Multiply(den, Limbs(h * h, s));
        const int t = static_cast<int>(rng() % static_cast<unsigned>(s + BitLength(den)));
        if (n.offset != 0) AddPowerOfTwo(num, t, n.offset < 0);
        const double got = descstat::RoundSqrtQuotient(num, den, 2 * n.e - 2 - s);
        ASSERT_EQ(got, n.Expected(false))
            << std::hexfloat << got << " for " << Describe(n, den[0], s, t, kSeed + 3);
    }
}

TEST(Rounding, BigDivisorEdges) {
    const BigNat three = {3};
    EXPECT_TRUE(std::isnan(descstat::RoundQuotient(three, BigNat{}, 0, false)));
    EXPECT_TRUE(std::isnan(descstat::RoundSqrtQuotient(three, BigNat{}, 0)));
    EXPECT_EQ(descstat::RoundQuotient(BigNat{}, three, 0, true), 0.0);
    EXPECT_EQ(descstat::RoundSqrtQuotient(BigNat{}, three, 0), 0.0);
    // 1 / 2^200 at the smallest subnormal and half below it (a tie to 0).
    const BigNat big = Limbs(1, 200);
    EXPECT_EQ(descstat::RoundQuotient({1}, big, 200 - 1074, false), 0x1p-1074);
    const double tieToZero = descstat::RoundQuotient({1}, big, 200 - 1075, true);
    EXPECT_TRUE(tieToZero == 0.0 && std::signbit(tieToZero)) << tieToZero;
    EXPECT_EQ(descstat::RoundQuotient({3}, big, 200 - 1075, false), 0x2p-1074);
}

struct ProductCase {
    std::int32_t n;
    std::uint64_t squared;
    std::uint64_t timesOneLess;
};

TEST(Rounding, CountProductsAreExactAtThe32BitEdges) {
    const ProductCase cases[] = {
        {0, 0, 0},
        {1, 1, 0},
        {2, 4, 2},
        {65535, 4294836225u, 4294770690u},
        {65536, 4294967296u, 4294901760u},
        {65537, 4295098369u, 4295032832u},
        {2147483647, 4611686014132420609u, 4611686011984936962u},
    };
    for (const ProductCase& c : cases) {
        const descstat::CountProducts p = descstat::CountProductsOf(c.n);
        EXPECT_EQ(p.squared, c.squared) << "n² for n = " << c.n;
        EXPECT_EQ(p.timesOneLess, c.timesOneLess) << "n·(n − 1) for n = " << c.n;
    }
}

}  // namespace
