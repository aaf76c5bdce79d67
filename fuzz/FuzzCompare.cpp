// Fuzz target: any bytes as two samples compared by each method. The bytes
// after the first two are raw doubles (any magnitude, subnormals, signed
// zeros) or, when the first byte is even, small quarters with many ties; the
// second byte splits them into the baseline and the sample and picks the
// level. Beyond the sanitizers' checks: the interval holds the difference (as
// doubles),
// p lies in [0, 1], the verdict from the interval (the t quantile) agrees
// with p against 1 − level (the t distribution's tail), and the paired
// differences' mean is exactly the difference of the two means.
#include <cmath>
#include <cstring>
#include <vector>

#include "app/Comparison.h"
#include "app/Statistics.h"
#include "fuzz/FuzzSupport.h"

namespace {

std::vector<double> ValuesOf(const std::uint8_t* data, std::size_t size) {
    std::vector<double> values;
    if (size < 2) return values;
    if (data[0] % 2 == 0) {
        for (std::size_t i = 2; i < size; ++i) values.push_back((data[i] - 128) / 4.0);
        return values;
    }
    for (std::size_t i = 2; i + 8 <= size; i += 8) {
        double v = 0;
        std::memcpy(&v, data + i, sizeof v);
        if (std::isfinite(v)) values.push_back(v);
    }
    return values;
}

descstat::SampleMoments MomentsOf(const std::vector<double>& values) {
    const descstat::ExactResults r =
        descstat::ComputeExactResults(values.data(), static_cast<std::int32_t>(values.size()));
    return {static_cast<std::int64_t>(values.size()), r.mean, r.unbiasedVariance};
}

void CheckComparison(const descstat::Comparison& c, const descstat::ConfidenceLevel& level) {
    using descstat::CompareExact;
    const descstat::MeanInterval& i = c.interval;
    // An end is kept as a number within its error band, which holds the
    // difference itself when the half width is far below it: compared as
    // they are written, as doubles.
    if (i.low.defined && i.high.defined) {
        const double d = descstat::NearestDouble(c.difference);
        fuzz::Check(descstat::NearestDouble(i.low) <= d && d <= descstat::NearestDouble(i.high),
                    "the interval holds the difference");
    }
    if (!c.p.defined) return;
    fuzz::Check(
        CompareExact(c.p, descstat::Whole(0)) >= 0 && CompareExact(c.p, descstat::Whole(1)) <= 0,
        "p is a probability");
    if (!i.low.defined || c.infiniteT != 0) return;
    // α = 1 − level/100 = (100·den − num) / (100·den).
    const descstat::ExactNumber alpha = descstat::Divided(
        descstat::Whole(100 * level.denominator - level.numerator), 100 * level.denominator);
    // p is kept within its error band, so a p that is α itself (t exactly
    // the quantile, as t = 1 at df 1 and 50%) may fall on either side.
    if (descstat::NearestDouble(c.p) == descstat::NearestDouble(alpha)) return;
    fuzz::Check(c.different == (CompareExact(c.p, alpha) < 0), "the interval and p agree");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<double> values = ValuesOf(data, size);
    if (values.empty() || values.size() > 4000) return 0;
    const std::size_t split = data[1] % (values.size() + 1);
    const std::vector<double> a(values.begin(), values.begin() + static_cast<long>(split));
    const std::vector<double> b(values.begin() + static_cast<long>(split), values.end());
    static const descstat::ConfidenceLevel kLevels[] = {{95, 1}, {50, 1}, {999, 10}, {99, 1}};
    const descstat::ConfidenceLevel level = kLevels[data[1] / 64];
    const descstat::SampleMoments ma = MomentsOf(a);
    const descstat::SampleMoments mb = MomentsOf(b);
    for (const descstat::TestMethod m :
         {descstat::TestMethod::kWelch, descstat::TestMethod::kPooled}) {
        CheckComparison(descstat::Compare(ma, mb, m, level), level);
    }
    // Paired: the first n of each.
    const std::size_t n = std::min(a.size(), b.size());
    const descstat::SampleMoments pa = MomentsOf({a.begin(), a.begin() + static_cast<long>(n)});
    const descstat::SampleMoments pb = MomentsOf({b.begin(), b.begin() + static_cast<long>(n)});
    const descstat::SampleMoments d =
        descstat::PairedMoments(b.data(), a.data(), static_cast<std::int32_t>(n));
    if (n > 0) {
        fuzz::Check(descstat::CompareExact(d.mean, descstat::Difference(pb.mean, pa.mean)) == 0,
                    "the differences' mean is the means' difference");
    }
    if (n > 1) {
        fuzz::Check(descstat::CompareExact(d.unbiasedVariance, descstat::Whole(0)) >= 0,
                    "the differences' variance is not negative");
    }
    CheckComparison(descstat::Compare(pa, d, descstat::TestMethod::kPaired, level), level);
    return 0;
}
