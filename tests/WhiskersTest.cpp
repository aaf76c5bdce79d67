// The box plot's fences decided over the values as written: cases where the
// double of a value and its shortest decimal lie on either side of a fence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "app/Summary.h"
#include "app/Whiskers.h"

namespace {

struct FenceCase {
    const char* name;
    std::vector<double> values;
    double low;  // where the lower whisker ends
    std::int64_t outside;
    friend void PrintTo(const FenceCase& c, std::ostream* os) { *os << c.name; }
};

class Fences : public ::testing::TestWithParam<FenceCase> {};

TEST_P(Fences, DecideOverTheDecimals) {
    std::vector<double> v = GetParam().values;
    const auto n = static_cast<std::int32_t>(v.size());
    const descstat::Summary s = descstat::ComputeSummary(v.data(), n);
    const descstat::Whiskers w = descstat::ComputeWhiskers(v.data(), n, s);
    EXPECT_EQ(w.low, GetParam().low);
    EXPECT_EQ(w.outside, GetParam().outside);
}

// Q1 = 1e23 + 2.25e7 and Q3 = 1e23 + 4e7 over the decimals put the lower
// fence at 1e23 − 3.75e6, whose nearest double is the double of 1e23
// (1e23 − 8388608): that double lies below the fence, the number 1e23 as
// written above it, so 1e23 is inside.
INSTANTIATE_TEST_SUITE_P(
    Whiskers, Fences,
    ::testing::Values(FenceCase{"a value whose double is below the fence and its decimal above",
                                {1e23, 1.0000000000000006e23, 1.0000000000000003e23,
                                 1.0000000000000003e23, 1.0000000000000003e23, 1e23,
                                 1.0000000000000004e23, 1.0000000000000004e23},
                                1e23,
                                0},
                      FenceCase{"a value on the fence is inside",
                                {-1.0, 2.0, 2.0, 2.0, 3.0, 4.0, 4.0, 4.0, 7.0},
                                -1.0,
                                0},
                      FenceCase{"the double next below the fence is outside",
                                {-1.0000000000000002, -1.0, 2.0, 2.0, 2.0, 3.0, 4.0, 4.0, 4.0, 7.0,
                                 7.000000000000001},
                                -1.0,
                                2}),
    [](const auto& info) {
        std::string name;
        for (const char* p = info.param.name; *p != '\0'; ++p) {
            name += (std::isalnum(static_cast<unsigned char>(*p)) != 0) ? *p : '_';
        }
        return name;
    });

// The whiskers by their definition, over sorted values whose quartiles and
// fences doubles hold exactly (quarters of small whole numbers).
descstat::Whiskers ReferenceWhiskers(std::vector<double> v, double q1, double q3) {
    std::sort(v.begin(), v.end());
    const double lowFence = q1 - 1.5 * (q3 - q1);
    const double highFence = q3 + 1.5 * (q3 - q1);
    descstat::Whiskers w{v.front(), v.back(), 0, {}};
    std::vector<double> distinct;
    bool first = true;
    for (const double x : v) {
        if (x < lowFence || x > highFence) {
            ++w.outside;
            if (distinct.empty() || distinct.back() != x) distinct.push_back(x);
        } else {
            if (first) w.low = x;
            w.high = x;
            first = false;
        }
    }
    const std::size_t d = distinct.size();
    const std::size_t drawn = std::min(d, descstat::kMostOutliersDrawn);
    for (std::size_t k = 0; k < drawn; ++k) {
        w.outliers.push_back(distinct[drawn == d ? k : k * (d - 1) / (drawn - 1)]);
    }
    return w;
}

// Values of many sizes (each way through the pass, pairs and a last one
// alone) and many outliers (more than are gathered aside, so that they are
// put in place instead): the same whiskers as by the definition.
TEST(Whiskers, AgreeWithTheirDefinition) {
    std::mt19937 random(20261211);  // NOLINT(cert-msc32-c,cert-msc51-cpp): a fixed, replayable seed
    std::vector<std::vector<double>> sets;
    for (int size = 1; size <= 40; ++size) {
        for (int round = 0; round < 25; ++round) {
            std::vector<double> v;
            for (int i = 0; i < size; ++i) {
                const auto x = static_cast<double>(static_cast<int>(random() % 41) - 20) / 4;
                v.push_back(random() % 6 == 0 ? x * 64 : x);
            }
            sets.push_back(v);
        }
    }
    // Three in four values equal: no spread, and every other value outside.
    std::vector<double> many(std::size_t{3} * 70000, 1.0);
    for (std::size_t i = 0; i < many.size(); i += 3) {
        many[i] = static_cast<double>(static_cast<int>(random() % 40001) - 20000) / 4;
    }
    std::shuffle(many.begin(), many.end(), random);
    sets.push_back(many);
    for (const std::vector<double>& set : sets) {
        std::vector<double> v = set;
        const auto n = static_cast<std::int32_t>(v.size());
        const descstat::Summary s = descstat::ComputeSummary(v.data(), n);
        const descstat::Whiskers expected =
            ReferenceWhiskers(set, s.firstQuartile, s.thirdQuartile);
        const descstat::Whiskers w = descstat::ComputeWhiskers(v.data(), n, s);
        ASSERT_EQ(w.low, expected.low) << n;
        ASSERT_EQ(w.high, expected.high) << n;
        ASSERT_EQ(w.outside, expected.outside) << n;
        ASSERT_EQ(w.outliers, expected.outliers) << n;
    }
}

}  // namespace
