// The machine rows of hand-made result sets, byte for byte: the header and
// the rows of tsv and csv with and without the summary, failed rows, numbers
// at the fewest digits or at those asked for, what each format cannot carry
// as it is, and the JSON histogram. Then the table of statistics that every
// renderer walks: the invariants that keep their output well-formed.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <limits>
#include <ostream>
#include <set>
#include <sstream>
#include <string>

#include "app/Japanese.h"
#include "app/Machine.h"
#include "app/Messages.h"
#include "app/Options.h"
#include "app/ResultSet.h"
#include "app/StatisticTable.h"
#include "app/Text.h"

namespace {

using descstat::Format;
using descstat::ResultSet;
using descstat::ResultSets;

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr const char* kMissing = "To open input data file failed: x.txt: No such file or directory";

// A double as the exact number a renderer reads; an infinity as a number
// beyond the doubles' range.
descstat::ExactNumber Exactly(double v) {
    if (!std::isinf(v)) return descstat::ExactOf(v);
    return descstat::Quotient(descstat::PowerOfTwo(1100), descstat::Natural(1), v < 0);
}

// The results and the summary as doubles, and their exact values with them.
void SetNumbers(ResultSet& set, const descstat::Results& r, const descstat::Summary& s) {
    set.results = r;
    set.exact = {Exactly(r.mean), Exactly(r.variance), Exactly(r.sd), Exactly(r.unbiasedVariance),
                 Exactly(r.unbiasedSd)};
    set.summary = s;
    const double five[] = {s.minimum, s.firstQuartile, s.median, s.thirdQuartile, s.maximum};
    for (int i = 0; i < 5; ++i) set.summary.exact[i] = Exactly(five[i]);
}

ResultSet& AddSet(ResultSets& sets, const std::string& file, std::int32_t count) {
    ResultSet& set = sets.emplace_back();
    set.key.file = file;
    set.count = count;
    SetNumbers(set, {0, 0, 0, 0, 0}, {count, 0, 0, 0, 0, 0, {}});
    return set;
}

ResultSet& AddFailed(ResultSets& sets, const std::string& file, const std::string& error) {
    ResultSet& set = AddSet(sets, file, 0);
    set.error = error;
    return set;
}

// A set whose every number needs its full shortest digits, one of results
// that are no finite numbers, and a file that failed.
ResultSets Samples() {
    ResultSets sets;
    ResultSet& a = AddSet(sets, "a.txt", 1234567);
    SetNumbers(a, {1234.5678, 0.1 + 0.2, 1.0 / 3, 1e21, 1e-7},
               {1234567, -2.5, 0.125, 1, std::sqrt(2.0), 1e300, {}});
    ResultSet& b = AddSet(sets, "b.txt", 2);
    SetNumbers(b, {kNan, kInf, 1e308, -kInf, kNan}, {2, kNan, kNan, kNan, kNan, kNan, {}});
    AddFailed(sets, "x.txt", kMissing);
    return sets;
}

std::string Rows(const ResultSets& sets, Format format, bool summary, int digits) {
    descstat::RunOptions options;
    options.format = format;
    options.summary = summary;
    std::ostringstream out;
    descstat::WriteMachineRows(out, sets, options, digits);
    return out.str();
}

struct RowsCase {
    const char* what;
    Format format;
    bool summary;
    int digits;
    std::string rows;
    friend void PrintTo(const RowsCase& c, std::ostream* os) { *os << c.what; }
};

class MachineRows : public ::testing::TestWithParam<RowsCase> {};

TEST_P(MachineRows, AreTheExactBytes) {
    const RowsCase& c = GetParam();
    EXPECT_EQ(Rows(Samples(), c.format, c.summary, c.digits), c.rows);
}

const std::string kFailedTsv = std::string("x.txt\t\t\t\t\t\t\t") + kMissing + "\n";
const std::string kFailedTsvSummary =
    std::string("x.txt\t\t\t\t\t\t\t\t\t\t\t\t") + kMissing + "\n";
const std::string kFailedJson =
    std::string("{\"file\": \"x.txt\", \"error\": \"") + kMissing + "\"}\n";

INSTANTIATE_TEST_SUITE_P(
    Machine, MachineRows,
    ::testing::Values(
        RowsCase{"tsv", Format::kTsv, false, descstat::kShortestDigits,
                 "file\tn\tmean\tvariance\tsd\tunbiased_variance\tunbiased_sd\terror\n"
                 "a.txt\t1234567\t1234.5678\t0.30000000000000004\t0.3333333333333333\t1e+21\t"
                 "1e-07\t\n"
                 "b.txt\t2\tnan\tinf\t1e+308\t-inf\tnan\t\n" +
                     kFailedTsv},
        RowsCase{"tsv, summary, 3 digits", Format::kTsv, true, 3,
                 "file\tn\tmean\tvariance\tsd\tunbiased_variance\tunbiased_sd\tmin\tq1\tmedian\t"
                 "q3\tmax\terror\n"
                 "a.txt\t1234567\t1.23e+03\t0.3\t0.333\t1e+21\t1e-07\t-2.5\t0.125\t1\t1.41\t"
                 "1e+300\t\n"
                 "b.txt\t2\tnan\tinf\t1e+308\t-inf\tnan\tnan\tnan\tnan\tnan\tnan\t\n" +
                     kFailedTsvSummary},
        RowsCase{"csv, summary", Format::kCsv, true, descstat::kShortestDigits,
                 "file,n,mean,variance,sd,unbiased_variance,unbiased_sd,min,q1,median,q3,max,"
                 "error\n"
                 "a.txt,1234567,1234.5678,0.30000000000000004,0.3333333333333333,1e+21,1e-07,"
                 "-2.5,0.125,1,1.4142135623730951,1e+300,\n"
                 "b.txt,2,nan,inf,1e+308,-inf,nan,nan,nan,nan,nan,nan,\n"
                 "x.txt,,,,,,,,,,,," +
                     std::string(kMissing) + "\n"},
        RowsCase{"json", Format::kJson, false, descstat::kShortestDigits,
                 "{\"file\": \"a.txt\", \"n\": 1234567, \"mean\": 1234.5678, \"variance\": "
                 "0.30000000000000004, \"sd\": 0.3333333333333333, \"unbiased_variance\": 1e+21, "
                 "\"unbiased_sd\": 1e-07}\n"
                 "{\"file\": \"b.txt\", \"n\": 2, \"mean\": null, \"variance\": null, \"sd\": "
                 "1e+308, \"unbiased_variance\": null, \"unbiased_sd\": null}\n" +
                     kFailedJson},
        RowsCase{"json, summary, 3 digits", Format::kJson, true, 3,
                 "{\"file\": \"a.txt\", \"n\": 1234567, \"mean\": 1.23e+03, \"variance\": 0.3, "
                 "\"sd\": 0.333, \"unbiased_variance\": 1e+21, \"unbiased_sd\": 1e-07, \"min\": "
                 "-2.5, \"q1\": 0.125, \"median\": 1, \"q3\": 1.41, \"max\": 1e+300}\n"
                 "{\"file\": \"b.txt\", \"n\": 2, \"mean\": null, \"variance\": null, \"sd\": "
                 "1e+308, \"unbiased_variance\": null, \"unbiased_sd\": null, \"min\": null, "
                 "\"q1\": null, \"median\": null, \"q3\": null, \"max\": null}\n" +
                     kFailedJson}));

// A name as each format writes it (the same text as the error column's
// message, which tsv and csv treat alike).
struct NameCase {
    std::string name;
    std::string tsv;
    std::string csv;
    std::string json;
};

TEST(MachineNames, AreEscapedReversibly) {
    const NameCase cases[] = {
        {"plain.txt", "plain.txt", "plain.txt", "\"plain.txt\""},
        {"a\\b\tc\rd\ne", "a\\\\b\\tc\\rd\\ne", "\"a\\b\tc\rd\ne\"",
         "\"a\\\\b\\u0009c\\u000dd\\u000ae\""},
        {"q\"u,o", "q\"u,o", "\"q\"\"u,o\"", "\"q\\\"u,o\""},
        // Formulas get an apostrophe in tsv and csv; numbers and "-" do not
        // (=, -x and @ at the start are pinned end to end).
        {"+x", "'+x", "'+x", "\"+x\""},
        {"\tx", "'\\tx", "'\tx", "\"\\u0009x\""},
        {"\rx", "'\\rx", "\"'\rx\"", "\"\\u000dx\""},
        {"-", "-", "-", "\"-\""},
        {"=", "'=", "'=", "\"=\""},
        {"@", "'@", "'@", "\"@\""},
        {"+2", "+2", "+2", "\"+2\""},
        {"-.5e-3", "-.5e-3", "-.5e-3", "\"-.5e-3\""},
        {"+1E+5", "+1E+5", "+1E+5", "\"+1E+5\""},
        {"-1.", "-1.", "-1.", "\"-1.\""},
        {"-1e", "'-1e", "'-1e", "\"-1e\""},
        {"-1e+", "'-1e+", "'-1e+", "\"-1e+\""},
        {"-.", "'-.", "'-.", "\"-.\""},
        {"--1", "'--1", "'--1", "\"--1\""},
        {"-1.5.txt", "'-1.5.txt", "'-1.5.txt", "\"-1.5.txt\""},
        {"-inf", "'-inf", "'-inf", "\"-inf\""},
        // Bytes that are no UTF-8 stay in tsv and csv; JSON writes \udcXX.
        {"\xff\xe3\x81\x82", "\xff\xe3\x81\x82", "\xff\xe3\x81\x82", "\"\\udcff\xe3\x81\x82\""},
        {"\xed\xa0\x80", "\xed\xa0\x80", "\xed\xa0\x80", "\"\\udced\\udca0\\udc80\""},
        {"\xc0\xaf", "\xc0\xaf", "\xc0\xaf", "\"\\udcc0\\udcaf\""},
        {"a\xe3\x81", "a\xe3\x81", "a\xe3\x81", "\"a\\udce3\\udc81\""},
        {"\xf4\x90\x80\x80", "\xf4\x90\x80\x80", "\xf4\x90\x80\x80",
         "\"\\udcf4\\udc90\\udc80\\udc80\""},
        {"\xf0\x9f\x98\x80\x7f", "\xf0\x9f\x98\x80\x7f", "\xf0\x9f\x98\x80\x7f",
         "\"\xf0\x9f\x98\x80\x7f\""},
        {"\x1b[2J", "\x1b[2J", "\x1b[2J", "\"\\u001b[2J\""},
    };
    for (const NameCase& c : cases) {
        ResultSets sets;
        AddFailed(sets, c.name, c.name);
        const std::string tsv = Rows(sets, Format::kTsv, false, descstat::kShortestDigits);
        const std::string csv = Rows(sets, Format::kCsv, false, descstat::kShortestDigits);
        EXPECT_EQ(tsv.substr(tsv.find('\n') + 1), c.tsv + "\t\t\t\t\t\t\t" + c.tsv + "\n") << c.tsv;
        EXPECT_EQ(csv.substr(csv.find('\n') + 1), c.csv + ",,,,,,," + c.csv + "\n") << c.csv;
        EXPECT_EQ(Rows(sets, Format::kJson, false, descstat::kShortestDigits),
                  "{\"file\": " + c.json + ", \"error\": " + c.json + "}\n")
            << c.json;
    }
}

// JSON carries the histogram, its edges beyond the doubles' range at the
// largest double of their sign; tsv and failed sets do not.
TEST(MachineHistogram, IsInJsonAlone) {
    ResultSets sets;
    ResultSet& tenths = AddSet(sets, "t", 2);
    tenths.hasHistogram = true;
    tenths.histogram.bins = {{"0.3", "0.4", 2}, {"0.4", "0.5", 0}};
    ResultSet& huge = AddSet(sets, "h", 2);
    huge.hasHistogram = true;
    huge.histogram.bins = {{"-2e+308", "0", 1}, {"0", "2e+308", 1}};
    AddSet(sets, "n", 1).hasHistogram = true;  // no bins: the value is no number
    ResultSet& failed = AddFailed(sets, "f", "e");
    failed.hasHistogram = true;
    failed.histogram.bins = {{"0", "1", 1}};
    const std::string zeros =
        "\"n\": 2, \"mean\": 0, \"variance\": 0, \"sd\": 0, \"unbiased_variance\": 0, "
        "\"unbiased_sd\": 0, \"histogram\": ";
    EXPECT_EQ(Rows(sets, Format::kJson, false, descstat::kShortestDigits),
              "{\"file\": \"t\", " + zeros + "[[0.3, 0.4, 2], [0.4, 0.5, 0]]}\n" +
                  "{\"file\": \"h\", " + zeros +
                  "[[-1.7976931348623157e+308, 0, 1], [0, 1.7976931348623157e+308, 1]]}\n" +
                  "{\"file\": \"n\", \"n\": 1, \"mean\": 0, \"variance\": 0, \"sd\": 0, "
                  "\"unbiased_variance\": 0, \"unbiased_sd\": 0, \"histogram\": []}\n"
                  "{\"file\": \"f\", \"error\": \"e\"}\n");
    EXPECT_EQ(Rows(sets, Format::kTsv, false, descstat::kShortestDigits),
              "file\tn\tmean\tvariance\tsd\tunbiased_variance\tunbiased_sd\terror\n"
              "t\t2\t0\t0\t0\t0\t0\t\nh\t2\t0\t0\t0\t0\t0\t\nn\t1\t0\t0\t0\t0\t0\t\n"
              "f\t\t\t\t\t\t\te\n");
}

// Keys are column names and JSON keys as they are: ASCII lower case, digits
// and underscores, unique, and none the name of another column or field.
TEST(StatisticTable, KeysAreUniqueLowerCaseAscii) {
    std::set<std::string> keys = {"file", "error", "histogram"};
    for (const descstat::StatisticRow& row : descstat::Statistics()) {
        const std::string key = row.key;
        ASSERT_FALSE(key.empty());
        EXPECT_TRUE(std::islower(static_cast<unsigned char>(key[0]))) << key;
        for (const char c : key) {
            EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_') << key;
        }
        EXPECT_TRUE(keys.insert(key).second) << key << " twice";
    }
}

// The report writes a label, then the value: each form ends with " = ", and
// every label is among the texts a terminal's character set is checked for.
TEST(StatisticTable, LabelsEndWithTheirEqualsSign) {
    const std::string equals = " = ";
    for (const descstat::StatisticRow& row : descstat::Statistics()) {
        bool listed = false;
        for (const descstat::JapaneseText* text : descstat::kJapaneseTexts) {
            listed = listed || std::string(text->utf8) == row.label->utf8;
        }
        EXPECT_TRUE(listed) << row.key;
        for (const std::string form : {row.label->shiftJis, row.label->utf8, row.label->english}) {
            ASSERT_GE(form.size(), equals.size()) << row.key;
            EXPECT_EQ(form.substr(form.size() - equals.size()), equals) << row.key;
        }
        const std::string utf8 = row.label->utf8;
        for (std::size_t i = 0; i < utf8.size();) {
            const std::size_t n = descstat::Utf8Length(utf8, i);
            ASSERT_GT(n, 0U) << row.key;
            i += n;
        }
    }
}

// Every machine row starts with the count, and --help lists each block's
// labels as the report writes them.
TEST(StatisticTable, CountFirstAndHelpListsTheLabels) {
    const descstat::StatisticRow& first = *descstat::Statistics().begin();
    EXPECT_STREQ(first.key, "n");
    EXPECT_TRUE(first.isCount && first.inEveryRow);
    std::string help;
    for (const char* c = descstat::UsageText(); *c != '\0'; ++c) {
        const bool blank = std::isspace(static_cast<unsigned char>(*c)) != 0;
        if (!blank || (!help.empty() && help.back() != ' ')) help += blank ? ' ' : *c;
    }
    EXPECT_NE(help.find(descstat::EnglishLabels(descstat::Block::kResults) + "; " +
                        descstat::EnglishLabels(descstat::Block::kSummary)),
              std::string::npos)
        << help;
}

}  // namespace
