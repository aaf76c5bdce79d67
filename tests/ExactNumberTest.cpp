// The rounding of exact results to N significant digits: against printf's
// own rounding of doubles (std::to_chars rounds the exact binary value once,
// ties to even) at every precision, and against Python's decimal module for
// quotients and square roots that no double holds.
#include "app/ExactNumber.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace {

using descstat::BigNat;
using descstat::ExactNumber;

// A natural number from its decimal digits.
BigNat FromDecimal(const std::string& digits) {
    BigNat r;
    for (const char c : digits) {
        r = descstat::Multiply(r, descstat::Natural(10));
        BigNat sum = r;
        // r + (c − '0'), by adding one limb with carry.
        std::uint64_t carry = static_cast<std::uint64_t>(c - '0');
        for (std::size_t i = 0; carry != 0; ++i) {
            if (i == sum.size()) sum.push_back(0);
            sum[i] += carry;
            carry = sum[i] < carry ? 1 : 0;
        }
        r = sum;
    }
    return r;
}

// A finite double as the exact quotient m·2^e over 1 or m over 2^−e.
ExactNumber ExactDouble(double v) {
    int e = 0;
    const double fraction = std::frexp(std::fabs(v), &e);
    const auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 64 - 11));
    e -= 64 - 11;
    BigNat two = descstat::Natural(1);
    for (int i = 0; i < std::abs(e); ++i) two = descstat::Multiply(two, descstat::Natural(2));
    if (e >= 0)
        return descstat::Quotient(descstat::Multiply(descstat::Natural(m), two), {1}, v < 0);
    return descstat::Quotient(descstat::Natural(m), two, v < 0);
}

std::string General(double v, int digits) {
    char text[64];
    const auto r = std::to_chars(text, text + sizeof text, v, std::chars_format::general, digits);
    return std::string(text, r.ptr);
}

TEST(ExactNumber, DoublesRoundAsPrintfRoundsThem) {
    std::mt19937_64 random(29);  // NOLINT(cert-msc32-c,cert-msc51-cpp): a replayable seed
    for (int i = 0; i < 4000; ++i) {
        std::uint64_t bits = random();
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v) || v == 0) continue;
        if (i % 2 == 0)
            v = std::ldexp(std::round(std::ldexp(std::fabs(std::fmod(v, 1.0)), 20)), -(i % 7));
        if (v == 0) continue;
        const int digits = 1 + i % 17;
        const ExactNumber x = ExactDouble(v);
        EXPECT_EQ(descstat::GeneralText(descstat::RoundedDecimal(x, digits), digits),
                  General(v, digits))
            << std::hexfloat << v << " at " << digits;
        EXPECT_EQ(descstat::NearestDouble(x), v);
    }
}

struct ExactCase {
    bool root;
    const char* num;
    const char* den;
    bool negative;
    int digits;
    const char* text;  // Python's decimal at 200 digits, ROUND_HALF_EVEN
    friend void PrintTo(const ExactCase& c, std::ostream* os) { *os << c.num << "/" << c.den; }
};

class ExactNumberCases : public ::testing::TestWithParam<ExactCase> {};

TEST_P(ExactNumberCases, RoundOnceTiesToEven) {
    const ExactCase& c = GetParam();
    const BigNat num = FromDecimal(c.num);
    const BigNat den = FromDecimal(c.den);
    const ExactNumber x =
        c.root ? descstat::SquareRootOf(num, den) : descstat::Quotient(num, den, c.negative);
    EXPECT_EQ(descstat::GeneralText(descstat::RoundedDecimal(x, c.digits), c.digits), c.text);
}

const std::string kThreeE300 = "3" + std::string(300, '0');

INSTANTIATE_TEST_SUITE_P(
    ExactNumber, ExactNumberCases,
    ::testing::Values(
        // The mean of 61728.25, 1.8189894035458565e-12, 0, 0, 0: rounding it
        // first to a double would give 12345.6.
        ExactCase{false, "12345650000000000363797880709171295166015625",
                  "1000000000000000000000000000000000000000", false, 6, "12345.7"},
        ExactCase{false, "1234565", "100", false, 6, "12345.6"},  // a tie, to even
        ExactCase{false, "1234575", "100", false, 6, "12345.8"},
        ExactCase{false, "1234565000000000000000000001", "10000000000000000000000", false, 6,
                  "123457"},
        ExactCase{false, "1", "3", false, 17, "0.33333333333333333"},
        ExactCase{false, "2", "3", false, 1, "0.7"},
        ExactCase{false, "95", "10", false, 1, "1e+01"},  // rounds up a decade
        ExactCase{false, "1", "2", true, 1, "-0.5"},
        ExactCase{false, "15", "100", false, 1, "0.2"},  // the mean of 0.1 and 0.2
        ExactCase{false, "0", "7", true, 6, "0"}, ExactCase{true, "2", "1", false, 6, "1.41421"},
        ExactCase{true, "2", "1", false, 17, "1.414213562373095"},
        ExactCase{true, "10000000000000000000000000000000000000001", "3", false, 9,
                  "5.77350269e+19"},
        ExactCase{true, "1", "7", false, 5, "0.37796"},
        ExactCase{true, "60965041921", "4000000", false, 6, "123.456"},  // √ a tie: up to even
        ExactCase{true, "60966029569", "4000000", false, 6, "123.456"},  // √ a tie: down to even
        ExactCase{true, "60965041921000000000000000000000000000001",
                  "4000000000000000000000000000000000000", false, 6, "123.456"},
        ExactCase{true, "60965041920999999999999999999999999999999",
                  "4000000000000000000000000000000000000", false, 6, "123.455"},
        ExactCase{true, "99999950000000000001", "10000000000", false, 7, "99999.97"},
        ExactCase{true, "1", kThreeE300.c_str(), false, 4, "5.774e-151"}));

}  // namespace
