// Two samples compared, by each method, against Python's fractions for the
// exact parts and mpmath at 80 digits for the t quantile and the p-value
// (the expected doubles below were computed so, once): a = 1, 2, 3, 4 and
// b = 2, 4, 6, 8.5; and no spread in either sample.
#include <gtest/gtest.h>

#include <vector>

#include "app/Comparison.h"
#include "app/DecimalSums.h"
#include "app/Statistics.h"

namespace {

using descstat::NearestDouble;

descstat::SampleMoments MomentsOf(const std::vector<double>& values) {
    const descstat::ExactResults r =
        descstat::ComputeExactResults(values.data(), static_cast<std::int32_t>(values.size()));
    return {static_cast<std::int64_t>(values.size()), r.mean, r.unbiasedVariance};
}

struct MethodCase {
    descstat::TestMethod method;
    double t, df, p, low, high, percentLow;
};

TEST(Compare, EachMethodAgreesWithTheOracle) {
    const std::vector<double> a = {1, 2, 3, 4};
    const std::vector<double> b = {2, 4, 6, 8.5};
    const std::vector<double> d = {1, 2, 3, 4.5};  // b − a, pair by pair
    const MethodCase cases[] = {
        {descstat::TestMethod::kWelch, 0x1.b6762ede30148p+0, 0x1.0f1fc7868175cp+2,
         0x1.43688e3a2454ap-3, -0x1.89cbd83b90214p+0, 0x1.b272f60ee4085p+2, -0x1.ec3ece4a7429ap+5},
        {descstat::TestMethod::kPooled, 0x1.b6762ede30148p+0, 6, 0x1.19cca71f7773cp-3,
         -0x1.200dfc367fd30p+0, 0x1.98037f0d9ff4cp+2, -0x1.68117b441fc7cp+5},
        {descstat::TestMethod::kPaired, 0x1.c216adcbadef6p+1, 3, 0x1.3fa7824983690p-5,
         0x1.fe72223193c66p-3, 0x1.400c6eee7361dp+2, 0x1.3f07555efc5c0p+3},
    };
    for (const MethodCase& c : cases) {
        const bool paired = c.method == descstat::TestMethod::kPaired;
        const descstat::Comparison r =
            descstat::Compare(MomentsOf(a), MomentsOf(paired ? d : b), c.method, {95, 1});
        EXPECT_EQ(NearestDouble(r.difference), 2.625);
        EXPECT_EQ(NearestDouble(r.percent), 105);
        EXPECT_EQ(NearestDouble(r.t), c.t);
        EXPECT_EQ(NearestDouble(r.df), c.df);
        EXPECT_EQ(NearestDouble(r.p), c.p);
        EXPECT_EQ(NearestDouble(r.interval.low), c.low);
        EXPECT_EQ(NearestDouble(r.interval.high), c.high);
        EXPECT_EQ(NearestDouble(r.percentInterval.low), c.percentLow);
        EXPECT_EQ(r.different, paired);
    }
    const descstat::Comparison pooled =
        descstat::Compare(MomentsOf(a), MomentsOf(b), descstat::TestMethod::kPooled, {95, 1});
    EXPECT_EQ(NearestDouble(pooled.pooledSd), 0x1.156f95bb5e8c0p+1);
}

// No spread: equal means are no difference; apart, t is infinite, p is 0.
// One value is too few.
TEST(Compare, NoSpreadAndTooFew) {
    const descstat::SampleMoments three = MomentsOf({3, 3, 3});
    const descstat::SampleMoments four = MomentsOf({4, 4});
    const descstat::Comparison same =
        descstat::Compare(three, three, descstat::TestMethod::kWelch, {95, 1});
    EXPECT_FALSE(same.different);
    EXPECT_EQ(same.infiniteT, 0);
    const descstat::Comparison apart =
        descstat::Compare(three, four, descstat::TestMethod::kWelch, {95, 1});
    EXPECT_TRUE(apart.different);
    EXPECT_EQ(apart.infiniteT, 1);
    EXPECT_EQ(NearestDouble(apart.p), 0);
    const descstat::Comparison few =
        descstat::Compare(three, MomentsOf({5}), descstat::TestMethod::kWelch, {95, 1});
    EXPECT_TRUE(few.tooFew);
    EXPECT_FALSE(few.different);
    EXPECT_EQ(NearestDouble(few.difference), 2);
}

}  // namespace

// The paired moments, kept per power of ten, against the differences formed
// one by one as exact numbers: decimals far apart in scale, the widest
// mantissas, signs that cancel, the least subnormal.
TEST(PairedMoments, MatchTheDifferencesFormedOneByOne) {
    using descstat::ExactNumber;
    const std::vector<std::vector<double>> samples[] = {
        {{10000000.2, 0.1, 3, -7.25}, {1000000.2, 0.3, 3, 2.5}},
        {{1e300, -1e-300, 12345678901234567.0, 5e-324}, {-1e300, 1e-300, 0.1, 0}},
        {{-0.30000000000000004, 9.999999999999999e22, -1.7976931348623157e308},
         {0.1, -9.999999999999999e22, -1.7976931348623157e308}},
        {{2.5, 2.5}, {1.5, 1.5}},
    };
    for (const auto& pair : samples) {
        const std::vector<double>& a = pair[0];
        const std::vector<double>& b = pair[1];
        const auto n = static_cast<std::int32_t>(a.size());
        std::vector<ExactNumber> d;
        ExactNumber sum = descstat::Whole(0);
        for (std::int32_t i = 0; i < n; ++i) {
            d.push_back(descstat::Difference(descstat::ExactAsWritten(a[i]),
                                             descstat::ExactAsWritten(b[i])));
            sum = descstat::Sum(sum, d.back());
        }
        const ExactNumber mean = descstat::Divided(sum, static_cast<std::uint64_t>(n));
        ExactNumber squares = descstat::Whole(0);
        for (const ExactNumber& x : d) {
            const ExactNumber deviation = descstat::Difference(x, mean);
            squares = descstat::Sum(squares, descstat::Product(deviation, deviation));
        }
        const descstat::SampleMoments m = descstat::PairedMoments(a.data(), b.data(), n);
        EXPECT_EQ(m.n, n);
        EXPECT_EQ(descstat::CompareExact(m.mean, mean), 0) << a[0];
        EXPECT_EQ(
            descstat::CompareExact(m.unbiasedVariance,
                                   descstat::Divided(squares, static_cast<std::uint64_t>(n - 1))),
            0)
            << a[0];
    }
}
