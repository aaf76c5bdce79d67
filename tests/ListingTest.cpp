// The listing written from numbers as typed gives the bytes the listing of
// their doubles gives: each number's digits rounded as written (the plain
// text copied, or the digits rounded), checked against std::to_chars of the
// double, and a whole listing written as a file is read against the one
// written from the values afterwards.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/DataFile.h"
#include "app/Decimal.h"
#include "app/Report.h"
#include "mylib/StrFunc.h"
#include "tests/TempFile.h"

namespace {

// A number as people type it, of every kind the quick reader takes, often
// at a tie or just below a carry into the next power of ten.
std::string TypedNumber(std::mt19937_64& rng) {
    const auto digits = [&rng](int count, bool nines) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += nines && rng() % 3 != 0 ? '9' : static_cast<char>('0' + rng() % 10);
        }
        return text;
    };
    const bool nines = rng() % 4 == 0;
    std::string text = rng() % 3 == 0 ? "-" : (rng() % 20 == 0 ? "+" : "");
    text += digits(static_cast<int>(rng() % 8), nines);
    if (rng() % 4 != 0) text += "." + digits(static_cast<int>(rng() % 8), nines);
    if (rng() % 3 == 0) text += "5";  // a tie at some number of digits
    if (rng() % 10 == 0) text += "e" + std::to_string(static_cast<int>(rng() % 9) - 4);
    if (text.find_first_of("0123456789") == std::string::npos) text += "7";
    return text;
}

std::string ToChars(double v, int n) {
    char text[64];
    return std::string(
        text, std::to_chars(text, text + sizeof text, v, std::chars_format::general, n).ptr);
}

TEST(FormatWritten, WritesWhatToCharsWritesOfTheDouble) {
    std::mt19937_64 rng(20261210);  // NOLINT(cert-msc32-c,cert-msc51-cpp): replayable
    int plain = 0;
    int rounded = 0;
    int ties = 0;
    for (int i = 0; i < 40000; ++i) {
        const std::string typed = TypedNumber(rng);
        // Digits after it, as a further field would put there.
        const std::string buffer = typed + " " + std::to_string(rng()) + "\n";
        myLib::QuickNumber number;
        const char* end = myLib::QuickDecimal(buffer.data(), buffer.data() + buffer.size(), number);
        if (end == nullptr || *end != ' ') continue;
        for (int n = 0; n <= 17; ++n) {
            const std::string want = n == 0 ? std::string() : ToChars(number.value, n);
            char got[64];
            const std::size_t a =
                descstat::FormatPlainWritten(got, number.text, number.negative, number.digits,
                                             number.wholeDigits, number.fractionDigits, n);
            if (a > 0) {
                ASSERT_EQ(std::string(got, a), want) << typed << " at " << n;
                ++plain;
            }
            const std::size_t b =
                descstat::FormatWrittenGeneral(got, number.digits, number.scale, n);
            if (b > 0) {
                ASSERT_EQ(std::string(got, b), want) << typed << " at " << n;
                ++rounded;
            } else if (number.digits != 0) {
                ++ties;
            }
        }
    }
    // Each way is taken often, and ties are met and left to the double.
    EXPECT_GT(plain, 100000);
    EXPECT_GT(rounded, 300000);
    EXPECT_GT(ties, 1000);
}

// Records the remarks, so that the listing's sink passes them on.
class Remarks : public descstat::ValueSink {
public:
    void Remark(const descstat::LineRemark& r) override { said += std::to_string(r.line) + " "; }
    std::string said;
};

// A marker file of typed numbers, with now and then a line the quick
// reader leaves to the common way (a bad value, CR LF, a further field).
std::string ListedFile(std::mt19937_64& rng, int lines) {
    std::string text = "/\n";
    for (int i = 0; i < lines; ++i) {
        const int kind = static_cast<int>(rng() % 40);
        text += kind == 0 ? std::string("x") : "  " + TypedNumber(rng);
        text += kind == 1 ? "\r\n" : (kind == 2 ? " 4\n" : "\n");
    }
    return text;
}

TEST(ListingAsRead, WritesWhatTheListingOfTheValuesWrites) {
    std::mt19937_64 rng(20261211);  // NOLINT(cert-msc32-c,cert-msc51-cpp): replayable
    for (int file = 0; file < 12; ++file) {
        // Enough lines for many blocks, and line numbers past 9, 99, 999.
        const TempFile data(ListedFile(rng, 1000 + static_cast<int>(rng() % 3000)));
        descstat::DataRules rules;
        rules.skipInvalid = true;
        const int digits = std::vector<int>{0, 1, 3, 6, 6, 8, 12, 15, 17}[rng() % 9];
        const descstat::ReportFormat format{descstat::TextStyle(), digits};

        std::ostringstream asRead;
        Remarks passed;
        {
            descstat::ListingAsRead listing(asRead, format, true, true, passed);
            myLib::RdTxtLn reader(data.Name());
            descstat::Columns columns;
            const descstat::Outcome read =
                descstat::ReadData(reader, std::string(), rules, listing, {}, columns);
            ASSERT_EQ(read.failure, descstat::Failure::kNone);
            EXPECT_TRUE(listing.Finish());
        }

        std::ostringstream afterwards;
        Remarks remarks;
        myLib::RdTxtLn reader(data.Name());
        descstat::Columns columns;
        descstat::ReadData(reader, std::string(), rules, remarks, {}, columns);
        descstat::WriteListingHeading(afterwards, format);
        descstat::WriteListingLines(afterwards, columns[0].values.Data(), columns[0].values.Count(),
                                    digits);
        ASSERT_EQ(asRead.str(), afterwards.str()) << "file " << file << " at " << digits;
        EXPECT_EQ(passed.said, remarks.said);
        EXPECT_FALSE(remarks.said.empty());
    }
}

}  // namespace
