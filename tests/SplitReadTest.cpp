// A data file read in parts by several threads gives what one thread gives:
// the same count, the same exact sums, the same remarks in the same order,
// the same failure, for parts as small as a byte (so that every kind of line
// end, a marker line, a long line and the file's last line all fall on a
// part's edge somewhere).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/DataFile.h"
#include "app/DecimalSums.h"
#include "app/SplitRead.h"
#include "tests/TempFile.h"

namespace {

using descstat::Failure;

// What a read hands its sink, in order.
class Recorder : public descstat::ValueSink {
public:
    void Remark(const descstat::LineRemark& r) override {
        said += std::to_string(r.line) + ":" + std::to_string(r.kind) + ":" + r.field +
                (r.leftOut ? ":out" : "") + "\n";
    }
    void CrLineEnds() override { said += "CR\n"; }
    std::string said;
};

// A whole number's limbs, as text to compare.
std::string Limbs(const descstat::BigNat& a) {
    std::string text;
    for (const std::uint64_t limb : a) text += std::to_string(limb) + ",";
    return text;
}

// Everything a read gave, as text to compare.
std::string ReadWith(const std::string& name, const descstat::DataRules& rules,
                     long long leastPartBytes) {
    myLib::RdTxtLn reader(name);
    descstat::RunHooks hooks;
    hooks.leastPartBytes = leastPartBytes;
    Recorder sink;
    descstat::Columns columns;
    const descstat::Outcome read = descstat::ReadData(reader, name, rules, sink, hooks, columns);
    std::string all = "failure " + std::to_string(static_cast<int>(read.failure)) + " " +
                      read.detail + "\n" + sink.said;
    for (const descstat::Column& column : columns) {
        const descstat::DecimalSums& sums = *column.sums;
        const int scale = descstat::DecimalScale(sums);
        const descstat::SignedNat linear = descstat::DecimalLinearSum(sums, scale);
        all += "n " + std::to_string(column.values.Count()) + " count " +
               std::to_string(sums.count) + " scale " + std::to_string(scale) + " sum " +
               (linear.negative ? "-" : "") + Limbs(linear.magnitude) + " squares " +
               Limbs(descstat::DecimalSquareSum(sums, scale)) + (sums.notFinite ? " nan" : "") +
               "\n";
    }
    return all;
}

// A marker file of random value lines of every kind the quick reader takes
// and leaves: the common numbers, CR LF, blanks, further fields, odd
// numbers, bad values, blank lines, long lines, lone CRs, a closing marker
// somewhere or none, a last line without its line end.
std::string RandomDataFile(std::mt19937_64& rng) {
    const auto pick = [&rng](const std::vector<std::string>& pieces) {
        return pieces[rng() % pieces.size()];
    };
    std::string text = pick({"", "a header\n"}) + "/\n";
    const int lines = 20 + static_cast<int>(rng() % 200);
    for (int i = 0; i < lines; ++i) {
        std::string line;
        switch (rng() % 12) {
            case 0: line = pick({"", "  ", "NA", "5kg", "1e", "x y"}); break;
            case 1: line = pick({"12345678901234567", "1e300", "-0", "0.1e-30", "+7"}); break;
            case 2: line = std::string(rng() % 2 == 0 ? 998 : 1000, ' ') + "5"; break;
            case 3: line = "7\r8"; break;
            case 4: line = pick({"/ closing", "/"}); break;
            default:
                line = std::to_string(static_cast<long>(rng() % 2000000) - 1000000) + "." +
                       std::to_string(rng() % 1000);
                if (rng() % 5 == 0) line += pick({" 3 4", "\tz", " "});
        }
        text += line + pick({"\n", "\n", "\n", "\r\n"});
    }
    if (rng() % 3 == 0) text += "42";  // no line end after the last line
    return text;
}

TEST(SplitRead, GivesWhatOneThreadGives) {
    std::mt19937_64 rng(20261210);  // NOLINT(cert-msc32-c,cert-msc51-cpp): a fixed, replayable seed
    int split = 0;
    for (int file = 0; file < 60; ++file) {
        const TempFile data(RandomDataFile(rng));
        descstat::DataRules rules;
        rules.keepValues = false;
        rules.skipInvalid = file % 3 == 0;
        rules.loneCrEnds = file % 4 == 0;
        rules.threads = 1;
        const std::string one = ReadWith(data.Name(), rules, 1);
        for (const int threads : {2, 3, 5}) {
            for (const long long least : {1LL, 3LL, 17LL, 200LL, 1000LL}) {
                rules.threads = threads;
                ASSERT_EQ(ReadWith(data.Name(), rules, least), one)
                    << "file " << file << ", " << threads << " threads, parts of at least " << least
                    << " bytes:\n"
                    << data.Read();
                ++split;
            }
        }
    }
    EXPECT_EQ(split, 60 * 15);
}

// The parts are read: a reader past the opening marker line reads the value
// lines up to the closing one in parts, and goes on at it.
TEST(SplitRead, ReadsInPartsAndGoesOnAtTheFirstLineNotRead) {
    std::string text = "/\n";
    for (int i = 1; i <= 1000; ++i) text += std::to_string(i) + (i % 7 == 0 ? "\r\n" : "\n");
    const TempFile data(text + "/ end\n9\n");
    myLib::RdTxtLn reader(data.Name());
    std::string line;
    ASSERT_EQ(reader.GetLn(line), myLib::RdTxtLn::kLineRead);
    descstat::DecimalSums sums;
    std::int64_t lines = 0;
    ASSERT_TRUE(descstat::ReadInParts(reader, 4, 100, sums, lines));
    EXPECT_EQ(lines, 1000);
    EXPECT_EQ(sums.count, 1000U);
    ASSERT_EQ(reader.GetLn(line), myLib::RdTxtLn::kLineRead);
    EXPECT_EQ(line, "/ end");
}

}  // namespace
