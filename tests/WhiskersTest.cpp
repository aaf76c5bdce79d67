// The box plot's fences decided over the values as written: cases where the
// double of a value and its shortest decimal lie on either side of a fence.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <ostream>
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

}  // namespace
