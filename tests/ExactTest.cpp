// The higher power sums and the central sums formed from them, against exact
// values worked out beforehand with Python's integers and fractions (each big
// number given by its sign, its bit length and its residues modulo two
// primes; each moment as the correctly rounded double), and against lists
// whose central sums are known by algebra.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "app/Exact.h"

namespace {

using descstat::BigNat;
__extension__ typedef unsigned __int128 U128;  // NOLINT(modernize-use-using)

constexpr std::uint64_t kPrime61 = (std::uint64_t{1} << 61) - 1;
constexpr std::uint64_t kPrime64 = 18446744073709551557u;  // 2^64 − 59
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kLargest = std::numeric_limits<double>::max();

std::uint64_t Residue(const BigNat& a, std::uint64_t p) {
    U128 r = 0;
    for (std::size_t i = a.size(); i-- > 0;) r = ((r << 64) | a[i]) % p;
    return static_cast<std::uint64_t>(r);
}

int BitLength(const BigNat& a) {
    if (a.empty()) return 0;
    int top = 0;
    for (std::uint64_t v = a.back(); v != 0; v >>= 1) ++top;
    return static_cast<int>(a.size() - 1) * 64 + top;
}

// A big number as the oracle gives it.
struct Oracle {
    bool negative;
    int bits;
    std::uint64_t mod61;
    std::uint64_t mod64;
};

void ExpectMatches(const BigNat& got, bool negative, const Oracle& want, const char* what) {
    EXPECT_EQ(negative, want.negative) << what;
    EXPECT_EQ(BitLength(got), want.bits) << what;
    EXPECT_EQ(Residue(got, kPrime61), want.mod61) << what;
    EXPECT_EQ(Residue(got, kPrime64), want.mod64) << what;
}

// count values m·2^k, m from a multiplicative hash and k spread over
// [offset, offset + span), every third negative: the same list the oracle made.
std::vector<double> Generated(int count, int span, int offset) {
    std::vector<double> out;
    for (std::uint64_t i = 1; i <= static_cast<std::uint64_t>(count); ++i) {
        const std::uint64_t m = (i * 0x9E3779B97F4A7C15u) >> 11;
        const int k = static_cast<int>((i * 7919) % static_cast<std::uint64_t>(span)) + offset;
        const double x = std::ldexp(static_cast<double>(m), k);
        out.push_back(i % 3 == 0 ? -x : x);
    }
    return out;
}

std::vector<double> SmallWholeNumbers() { return {1.0, 2.0, 3.0, 4.0, 10.0}; }
std::vector<double> ExtremesThatCancel() {
    return {-0x1p-1074, 0x3p-1074, -kLargest, kLargest, 0.1,
            -0x1p+1000, 0x1p-1000, 3.5,       -7.25,    1e-300};
}
std::vector<double> EveryExponent() { return Generated(10000, 2046, -1074); }
std::vector<double> OneExponentBand() { return Generated(10000, 8, -60); }
std::vector<double> LargestOverAndOver() { return std::vector<double>(1 << 20, -kLargest); }
std::vector<double> TinyValues() { return Generated(1000, 4, -316); }

struct PowerCase {
    const char* name;
    std::vector<double> (*values)();
    Oracle cubes;
    Oracle fourths;
    Oracle centralCubes;    // n²·Σ(x − x̄)³
    Oracle centralFourths;  // n³·Σ(x − x̄)⁴
    double moment3;         // Σ(x − x̄)³ / n
    double moment4;         // Σ(x − x̄)⁴ / n
};

// clang-format off
const PowerCase kPowerCases[] = {
    {"small whole numbers", SmallWholeNumbers, {false, 3233, 1238489897526886400u, 4566347793835667161u}, {false, 4310, 694845177856u, 9010054013057736850u}, {false, 3235, 454863562364420098u, 13649583500134215234u}, {false, 4314, 11693719552000u, 4742588022610154466u}, 0x1.2000000000000p+5, 0x1.16ccccccccccdp+8},
    {"extremes that cancel", ExtremesThatCancel, {true, 6223, 552819001766066094u, 10746958395134560266u}, {false, 8393, 2013399914249967368u, 16511123218325286689u}, {false, 6276, 2287948254683913893u, 3026402825569674061u}, {false, 8403, 1554842034944492204u, 11798216778211373333u}, kInf, kInf},
    {"every exponent", EveryExponent, {false, 6295, 1901266937607691141u, 2251168715956408512u}, {false, 8393, 1611992100710452196u, 4070528590234476105u}, {false, 6322, 1369501362898096736u, 6738443250890636562u}, {false, 8433, 2218645740100769977u, 5371677565638380913u}, kInf, kInf},
    {"one exponent band", OneExponentBand, {false, 3229, 1758539767515711145u, 3347691356732143786u}, {false, 4305, 968019029430803864u, 11180643202781505465u}, {false, 3255, 1366226087595222013u, 10197712583318599265u}, {false, 4344, 871704038590390529u, 17351625361345735612u}, 0x1.7ea626dcd80e5p-8, 0x1.99bbfbf8be914p-6},
    {"the largest double over and over", LargestOverAndOver, {true, 6314, 2270234777539837951u, 15334190150202685584u}, {false, 8412, 36028797085030384u, 8123095574255297156u}, {false, 0, 0u, 0u}, {false, 0, 0u, 0u}, 0.0, 0.0},
    {"tiny values with a subnormal fourth moment", TinyValues, {false, 2447, 179533256234799508u, 15327123517045394845u}, {false, 3262, 452576523652145047u, 12241467994851382931u}, {true, 2464, 655259499575150105u, 104233340398421187u}, {false, 3292, 1036964176968778202u, 12023816182869581472u}, -0x1.15dfa6eb36238p-789, 0x0.000003417b10fp-1022},
};
// clang-format on

TEST(Exact, PowerSumsAndCentralSumsMatchTheOracle) {
    for (const PowerCase& c : kPowerCases) {
        SCOPED_TRACE(c.name);
        const std::vector<double> values = c.values();
        const auto n = static_cast<std::uint64_t>(values.size());
        auto sums = std::make_unique<descstat::ExactPowerSums>();
        ASSERT_TRUE(descstat::AddValues(*sums, values.data(), static_cast<std::int32_t>(n)));

        descstat::SignedNat linear;
        linear.magnitude = descstat::LinearSum(sums->sums, linear.negative);
        const BigNat square = descstat::SquareSum(sums->sums);
        descstat::SignedNat cube;
        cube.magnitude = descstat::CubeSum(*sums, cube.negative);
        const BigNat fourth = descstat::FourthPowerSum(*sums);
        ExpectMatches(cube.magnitude, cube.negative, c.cubes, "Σx³");
        ExpectMatches(fourth, false, c.fourths, "Σx⁴");

        const descstat::SignedNat c3 =
            descstat::CentralCubesTimesCountSquared(linear, square, cube, n);
        const BigNat c4 = descstat::CentralFourthsTimesCountCubed(linear, square, cube, fourth, n);
        ExpectMatches(c3.magnitude, c3.negative, c.centralCubes, "n²·Σ(x − x̄)³");
        ExpectMatches(c4, false, c.centralFourths, "n³·Σ(x − x̄)⁴");

        const BigNat count = descstat::Natural(n);
        const BigNat cubed = descstat::Multiply(descstat::Multiply(count, count), count);
        EXPECT_EQ(descstat::RoundQuotient(c3.magnitude, cubed, -descstat::kCubeScale, c3.negative),
                  c.moment3);
        EXPECT_EQ(descstat::RoundQuotient(c4, descstat::Multiply(cubed, count),
                                          -descstat::kFourthScale, false),
                  c.moment4);
    }
}

// {a − 2^k, a + 2^k}: Σ(x − x̄)³ = 0 and n³·Σ(x − x̄)⁴ = 8·2·2^4k exactly.
struct PairCase {
    double a;
    int k;
};

TEST(Exact, CentralSumsOfASymmetricPairAreKnownByAlgebra) {
    const PairCase cases[] = {
        {0.5, -2},   {0.0, 0},     {0x3p+900, 900}, {0x1p-1070, -1072},
        {-7.0, -20}, {0.0, -1074}, {0.0, 1023},
    };
    for (const PairCase& c : cases) {
        SCOPED_TRACE(c.a);
        SCOPED_TRACE(c.k);
        const double d = std::ldexp(1.0, c.k);
        const double values[] = {c.a - d, c.a + d};
        auto sums = std::make_unique<descstat::ExactPowerSums>();
        ASSERT_TRUE(descstat::AddValues(*sums, values, 2));
        descstat::SignedNat linear;
        linear.magnitude = descstat::LinearSum(sums->sums, linear.negative);
        descstat::SignedNat cube;
        cube.magnitude = descstat::CubeSum(*sums, cube.negative);
        if (c.a == 0.0) {
            EXPECT_TRUE(cube.magnitude.empty()) << "Σx³ of ±d";
            EXPECT_FALSE(cube.negative);
        }
        const BigNat square = descstat::SquareSum(sums->sums);
        const descstat::SignedNat c3 =
            descstat::CentralCubesTimesCountSquared(linear, square, cube, 2);
        EXPECT_TRUE(c3.magnitude.empty());
        EXPECT_FALSE(c3.negative);

        const int bit = 4 * c.k + 4 + descstat::kFourthScale;
        BigNat want(static_cast<std::size_t>(bit / 64 + 1), 0);
        want.back() = std::uint64_t{1} << (bit % 64);
        EXPECT_EQ(descstat::CentralFourthsTimesCountCubed(linear, square, cube,
                                                          descstat::FourthPowerSum(*sums), 2),
                  want);
    }
}

struct SignedCase {
    descstat::SignedNat a;
    descstat::SignedNat b;
    descstat::SignedNat want;
};

void ExpectSigned(const descstat::SignedNat& got, const descstat::SignedNat& want) {
    EXPECT_EQ(got.magnitude, want.magnitude);
    EXPECT_EQ(got.negative, want.negative);
}

constexpr std::uint64_t kOnes = ~std::uint64_t{0};

// Sums that carry, borrow and cancel, products by zero: never a negative zero.
TEST(Exact, SignedSumsAndProducts) {
    const SignedCase sums[] = {
        {{{kOnes}, false}, {{1}, false}, {{0, 1}, false}},
        {{{kOnes, kOnes}, true}, {{1}, true}, {{0, 0, 1}, true}},
        {{{1}, true}, {{0, 0, 1}, false}, {{kOnes, kOnes}, false}},
        {{{5}, true}, {{5}, false}, {{}, false}},
        {{{3}, false}, {{5}, true}, {{2}, true}},
    };
    const SignedCase products[] = {
        {{{kOnes}, true}, {{kOnes}, true}, {{1, kOnes - 1}, false}},
        {{{kOnes}, true}, {{2}, false}, {{kOnes - 1, 1}, true}},
        {{{3}, true}, {{}, false}, {{}, false}},
    };
    for (const SignedCase& c : sums) {
        ExpectSigned(descstat::Add(c.a, c.b), c.want);
        ExpectSigned(descstat::Add(c.b, c.a), c.want);
    }
    for (const SignedCase& c : products) {
        ExpectSigned(descstat::Multiply(c.a, c.b), c.want);
        ExpectSigned(descstat::Multiply(c.b, c.a), c.want);
    }
}

}  // namespace
