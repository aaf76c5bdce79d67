// The shortest decimals of doubles against ShortestDecimal's text over many
// kinds of doubles, and the exact decimal sums against values worked out
// beforehand with Python's decimal and fractions (from repr, the shortest
// decimal) or known by algebra.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/Decimal.h"
#include "app/DecimalSums.h"
#include "mylib/StrFunc.h"

namespace {

using descstat::BigNat;
using descstat::DecimalSums;
using descstat::DecimalValue;
__extension__ typedef unsigned __int128 U128;  // NOLINT(modernize-use-using)

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A decimal as sign, digits without trailing zeros and the power of the last
// digit; zero is "0" at 10^0 and never negative.
struct Digits {
    bool negative;
    std::string digits;
    int exponent;
};

Digits Stripped(bool negative, std::string digits, int exponent) {
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
        ++exponent;
    }
    if (digits == "0") return {false, "0", 0};
    return {negative, digits, exponent};
}

Digits FromValue(DecimalValue d) {
    const std::uint64_t magnitude =
        d.m < 0 ? 0 - static_cast<std::uint64_t>(d.m) : static_cast<std::uint64_t>(d.m);
    return Stripped(d.m < 0, std::to_string(magnitude), d.e);
}

void ExpectSameDecimal(double v) {
    const DecimalValue got = descstat::DecimalOf(v);
    const descstat::Decimal want = descstat::ShortestDecimal(v);
    const Digits a = FromValue(got);
    const Digits b = Stripped(want.negative, want.digits, want.exponent);
    EXPECT_EQ(a.negative, b.negative) << v;
    EXPECT_EQ(a.digits, b.digits) << v;
    EXPECT_EQ(a.exponent, b.exponent) << v;
    EXPECT_LT(std::abs(got.m), std::int64_t{100000000000000000}) << v;
    EXPECT_GE(got.e, descstat::kLowestDecimalExponent) << v;
    EXPECT_LE(got.e, descstat::kHighestDecimalExponent) << v;
}

double FromBits(std::uint64_t bits) {
    double v = 0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

std::uint64_t Next(std::uint64_t& state) {  // xorshift64*
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Du;
}

TEST(DecimalOf, TypedValuesAndEdges) {
    // As a data file types them: tenths, the edges of the range, subnormals,
    // the whole numbers around 2^53, and 15, 16 and 17 significant digits.
    const char* const typed =
        "0.1 0.2 0.30000000000000004 123.456 -123.456 1e-300 1e300 1.7976931348623157e308 "
        "2.2250738585072014e-308 4.9406564584124654e-324 2.5e-320 -1e-310 9007199254740991 "
        "9007199254740992 9007199254740993 -9007199254740991 123456789012345678 1e15 "
        "999999999999999.9 0.999999999999999 1.0000000000000002 0.6666666666666666 "
        "1234567890123456.7 0.000123 1e-15 1.5e-16 1e22 1e23 0 -0 1 -1 1000000.2 10000000.3";
    for (const char* p = typed; *p != '\0';) {
        char* end = nullptr;
        ExpectSameDecimal(std::strtod(p, &end));
        p = end;
        while (*p == ' ') ++p;
    }
}

TEST(DecimalOf, RandomBitPatterns) {
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    for (int i = 0; i < 200000; ++i) {
        const double v = FromBits(Next(state));
        if (std::isfinite(v)) ExpectSameDecimal(v);
    }
}

TEST(DecimalOf, RandomValuesTypedWithFewDigits) {
    // Whole numbers of up to 17 digits over 10^k: the values of data files,
    // and those next to them, one unit in the last place away.
    std::uint64_t state = 12345;
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t r = Next(state);
        const int k = static_cast<int>(r % 20);
        const auto digits = static_cast<int>((r >> 8) % 17) + 1;
        const double whole =
            static_cast<double>((r >> 16) % static_cast<std::uint64_t>(std::pow(10.0, digits)));
        const double v = (r & 0x80) != 0 ? -whole / std::pow(10.0, k) : whole / std::pow(10.0, k);
        ExpectSameDecimal(v);
        ExpectSameDecimal(std::nextafter(v, kInf));
        ExpectSameDecimal(std::nextafter(v, -kInf));
    }
}

// The decimal read from a text is the double's shortest decimal whatever the
// spelling: trailing and leading zeros, exponents, more digits than a double
// holds, subnormals and underflow.
void ExpectWrittenIsShortest(const std::string& text) {
    myLib::WrittenNumber written;
    const char* end = nullptr;
    const char* const first = text.data();
    const auto v = static_cast<double>(myLib::StrToDbl(first, first + text.size(), end, written));
    ASSERT_TRUE(std::isfinite(v)) << text;
    const Digits got = FromValue(descstat::DecimalOfWritten(v, written));
    const descstat::Decimal want = descstat::ShortestDecimal(v);
    const Digits b = Stripped(want.negative, want.digits, want.exponent);
    EXPECT_EQ(got.negative, b.negative) << text;
    EXPECT_EQ(got.digits, b.digits) << text;
    EXPECT_EQ(got.exponent, b.exponent) << text;
}

TEST(DecimalOfWritten, SpellingsOfTheSameNumbers) {
    for (const char* text : {"0.1",
                             "0.10",
                             "00.100e0",
                             "1.50e2",
                             "-2.500000",
                             "7E-1",
                             "+3",
                             "0.000",
                             "-0",
                             "0e400",
                             "1e-400",
                             "4.9e-324",
                             "2.2250738585072014e-308",
                             "2.225073858507201e-308",
                             "0.10000000000000001",
                             "0.3000000000000000444",
                             "12345678901234567890",
                             "999999999999999",
                             "9999999999999999",
                             "123456789012345e-330",
                             "1e308",
                             "179769313486231e294",
                             "0.000000000000000000001234"}) {
        ExpectWrittenIsShortest(text);
    }
    std::uint64_t state = 777;
    for (int i = 0; i < 100000; ++i) {
        const std::uint64_t r = Next(state);
        std::string digits = std::to_string(Next(state) % 100000000000000000u);
        digits.resize(static_cast<std::size_t>(r % 18) + 1 < digits.size()
                          ? static_cast<std::size_t>(r % 18) + 1
                          : digits.size());
        const auto point = static_cast<std::size_t>((r >> 8) % (digits.size() + 1));
        std::string text = ((r & 0x10000) != 0 ? "-" : "") + digits.substr(0, point) + "." +
                           digits.substr(point) + std::string((r >> 20) % 3, '0');
        if (text.back() == '.' && text.size() == 1) text += "0";
        text += "e" + std::to_string(static_cast<int>((r >> 24) % 640) - 330);
        const double v = std::strtod(text.c_str(), nullptr);
        if (std::isfinite(v)) ExpectWrittenIsShortest(text);
    }
}

std::string DecimalText(BigNat a) {
    if (a.empty()) return "0";
    constexpr std::uint64_t kChunk = 10000000000000000000u;  // 10^19
    std::string text;
    while (!a.empty()) {
        U128 rest = 0;
        for (std::size_t i = a.size(); i-- > 0;) {
            const U128 cur = (rest << 64) | a[i];
            a[i] = static_cast<std::uint64_t>(cur / kChunk);
            rest = cur % kChunk;
        }
        while (!a.empty() && a.back() == 0) a.pop_back();
        std::string part = std::to_string(static_cast<std::uint64_t>(rest));
        if (!a.empty()) part.insert(0, 19 - part.size(), '0');
        text.insert(0, part);
    }
    return text;
}

std::string SignedText(const descstat::SignedNat& a) {
    return (a.negative ? "-" : "") + DecimalText(a.magnitude);
}

std::unique_ptr<DecimalSums> SumsOf(const std::vector<double>& values) {
    auto sums = std::make_unique<DecimalSums>();
    for (const double v : values) EXPECT_TRUE(descstat::AddDecimalValue(*sums, v));
    return sums;
}

std::vector<double> Alternating(double first, double low, double high) {
    std::vector<double> out{first};
    for (int i = 0; i < 500; ++i) {
        out.push_back(low);
        out.push_back(high);
    }
    return out;
}

struct SumCase {
    const char* name;
    std::vector<double> values;
    int scale;
    const char* sum;
    const char* squares;
    const char* scatter;
};

TEST(DecimalSums, AgainstExactOracle) {
    const SumCase cases[] = {
        {"tenths", {0.1, 0.2}, 1, "3", "5", "1"},
        {"NumAcc3-like", Alternating(1000000.2, 1000000.1, 1000000.3), 1, "10010002002",
         "100100040040005004", "1001000"},
        {"NumAcc4-like", Alternating(10000000.2, 10000000.1, 10000000.3), 1, "100100002002",
         "10010000400400005004", "1001000"},
        {"cancelling",
         {123.456, -123.456, 1e-5, -1e-5},
         5,
         "0",
         "304827678720002",
         "1219310714880008"},
        {"negative halves", {-0.5, -0.25, 3.0}, 2, "225", "93125", "228750"},
        {"beyond 2^53",
         {9007199254740992.0, 9007199254740993.0, 1e20, 123456789012345678.0, -1e16},
         0,
         "100131471187521827664",
         "10000015503838030068050385187033824950528",
         "39973765997012636407877862596722209055744"},
        {"seventeen digits",
         {0.1 + 0.2, 2.0 / 3.0, -1.0 / 3.0},
         17,
         "63333333333333334",
         "6455555555555554684444444444444516",
         "15355555555555552857777777777777992"},
        {"subnormals",
         {5e-324, 2.5e-320, -1e-310},
         324,
         "-99999999974995",
         "10000000000000000000625000025",
         "20000000005001000001249750050"},
        {"zeros", {-0.0, 0.0}, 0, "0", "0", "0"},
        {"no values", {}, 0, "0", "0", "0"},
        {"largest",
         {1.7976931348623157e308, -1e308},
         -292,
         "7976931348623157",
         "423170060713109998320439596646649",
         "782708687685573138320439596646649"},
        {"carries into the top words", std::vector<double>(1 << 20, 0.30000000000000004), 17,
         "31457280000000004194304", "943718400000000251658240000000016777216", "0"},
        {"borrows from the top words", std::vector<double>(1 << 20, -0.30000000000000004), 17,
         "-31457280000000004194304", "943718400000000251658240000000016777216", "0"},
    };
    for (const SumCase& c : cases) {
        const auto sums = SumsOf(c.values);
        EXPECT_EQ(sums->count, c.values.size()) << c.name;
        EXPECT_EQ(descstat::DecimalScale(*sums), c.scale) << c.name;
        EXPECT_EQ(SignedText(descstat::DecimalLinearSum(*sums, c.scale)), c.sum) << c.name;
        EXPECT_EQ(DecimalText(descstat::DecimalSquareSum(*sums, c.scale)), c.squares) << c.name;
        EXPECT_EQ(DecimalText(descstat::DecimalScatter(*sums, c.scale)), c.scatter) << c.name;
    }
}

TEST(DecimalSums, FarApartPowersOfTen) {
    // 1e300 and 1e-300: Σd = 10^300 + 10^-300, Σd² = 10^600 + 10^-600, and
    // 2Σd² − (Σd)² = (10^300 − 10^-300)², all at the scale 10^-300.
    const auto sums = SumsOf({1e300, 1e-300});
    ASSERT_EQ(descstat::DecimalScale(*sums), 300);
    const std::string zeros599(599, '0');
    EXPECT_EQ(SignedText(descstat::DecimalLinearSum(*sums, 300)), "1" + zeros599 + "1");
    EXPECT_EQ(DecimalText(descstat::DecimalSquareSum(*sums, 300)),
              "1" + std::string(1199, '0') + "1");
    EXPECT_EQ(DecimalText(descstat::DecimalScatter(*sums, 300)),
              std::string(599, '9') + "8" + zeros599 + "1");
}

TEST(DecimalSums, FinerScaleAppendsZeros) {
    const auto sums = SumsOf({-0.5, -0.25, 3.0});
    EXPECT_EQ(SignedText(descstat::DecimalLinearSum(*sums, 5)), "225000");
    EXPECT_EQ(DecimalText(descstat::DecimalSquareSum(*sums, 5)), "93125000000");
    EXPECT_EQ(DecimalText(descstat::DecimalScatter(*sums, 5)), "228750000000");
}

TEST(DecimalSums, NotFiniteValuesAreOnlyNoted) {
    const double notFinite[] = {kNaN, kInf, -kInf};
    for (const double v : notFinite) {
        DecimalSums sums;
        EXPECT_TRUE(descstat::AddDecimalValue(sums, 2.5));
        EXPECT_FALSE(sums.notFinite);
        EXPECT_FALSE(descstat::AddDecimalValue(sums, v));
        EXPECT_TRUE(sums.notFinite);
        EXPECT_EQ(sums.count, 1u);
    }
}

}  // namespace

// The listing's quick %.Ng against std::to_chars, the library's own, at every
// number of digits: random bit patterns (every magnitude), decimals as people
// type them, exact ties (half to even), values that round up to the next
// power of ten, the edges of fixed notation, just above powers of ten,
// subnormals and the extremes.
TEST(FormatGeneral, WritesWhatToCharsWrites) {
    std::mt19937_64 random(20261210);  // NOLINT(cert-msc32-c,cert-msc51-cpp): replayable
    std::vector<double> values = {0.5,      1.5,  2.5,       0.125,    1e22,
                                  1e-5,     1e-4, 9.9999995, 999999.5, 0.00012345,
                                  123456.5, 1e15, 1e16,      4.9e-324, 1.7976931348623157e308,
                                  -2.675,   0.1,  -0.0,      0.0,      1e21 + 65536};
    // Just above powers of ten too large to be doubles, whose power of ten the
    // first guess from the power of two misses.
    for (int k = 23; k < 30; ++k) values.push_back(std::nextafter(std::pow(10.0, k), 1e300));
    for (int i = 0; i < 20000; ++i) {
        std::uint64_t bits = random();
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v)) values.push_back(v);
        values.push_back(
            static_cast<double>(static_cast<std::int64_t>(random() % 2000001) - 1000000) /
            std::pow(10.0, static_cast<double>(random() % 12)));
        values.push_back(std::ldexp(static_cast<double>(random() % 4096) + 0.5,
                                    static_cast<int>(random() % 60) - 30));
    }
    for (const double v : values) {
        for (int digits = 1; digits <= 17; ++digits) {
            char want[64];
            char got[64];
            const std::to_chars_result r =
                std::to_chars(want, want + sizeof want, v, std::chars_format::general, digits);
            const std::size_t n = descstat::FormatGeneral(got, v, digits);
            ASSERT_EQ(std::string(got, n), std::string(want, r.ptr))
                << std::hexfloat << v << " at " << digits;
        }
    }
}
