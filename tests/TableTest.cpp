// Tables: how a row splits into cells, which cells are missing, and what a
// table's form is found to be from the file's own lines.
#include <gtest/gtest.h>
#include <algorithm>

#include <cstdint>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "TempFile.h"
#include "app/DataFile.h"
#include "app/DecimalSums.h"
#include "app/Table.h"
#include "mylib/RdTxtLn.h"

namespace {

struct SplitCase {
    const char* name;
    std::string row;
    char separator;
    bool shiftJis;
    std::vector<std::string> cells;
    bool closed;
    friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }
};

class Split : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Split, GivesTheCellsUnquoted) {
    const SplitCase& c = GetParam();
    std::vector<std::string> cells = {"room kept from an earlier row"};
    EXPECT_EQ(descstat::SplitCells(c.row, c.separator, c.shiftJis, cells), c.closed);
    EXPECT_EQ(cells, c.cells);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Split,
    ::testing::Values(
        SplitCase{"Blanks", "  1.5 \t 2  ", '\0', false, {"1.5", "2"}, true},
        SplitCase{"BlankRow", " \t ", '\0', false, {}, true},
        SplitCase{"BlankQuoted", "\"a b\" 3", '\0', false, {"a b", "3"}, true},
        SplitCase{"Csv", " 1 ,\"a,\"\"b\"\"\", ,", ',', false, {"1", "a,\"b\"", "", ""}, true},
        SplitCase{"OpenQuote", "1,\"a", ',', false, {"1", "a"}, false},
        // 表 is 0x95 0x7C in Shift_JIS: its second byte is no separator.
        SplitCase{"ShiftJisPipe", "\x95\x7C|2", '|', true, {"\x95\x7C", "2"}, true},
        SplitCase{"BytesPipe", "\x95\x7C|2", '|', false, {"\x95", "", "2"}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Table, MissingCells) {
    for (const char* m : {"", "NA", "N/A", "NaN", "nan", "-", "#N/A", "null", "NULL", "."}) {
        EXPECT_TRUE(descstat::IsMissingCell(m)) << m;
    }
    for (const char* v : {"na", "0", "--", "N.A.", "none"}) {
        EXPECT_FALSE(descstat::IsMissingCell(v)) << v;
    }
}

// A table read whole: the samples it gives, as "field/group:n:missing".
struct FormCase {
    const char* name;
    std::string bytes;
    std::vector<descstat::FieldChoice> fields;
    std::vector<descstat::FieldChoice> groups;
    std::vector<std::string> samples;
    friend void PrintTo(const FormCase& c, std::ostream* os) { *os << c.name; }
};

class Form : public ::testing::TestWithParam<FormCase> {};

TEST_P(Form, IsFoundFromTheFirstLines) {
    const FormCase& c = GetParam();
    TempFile file(c.bytes);
    myLib::RdTxtLn reader(file.Name());
    descstat::DataRules rules;
    rules.plain = true;
    rules.fields = c.fields;
    rules.groups = c.groups;
    descstat::ValueSink sink;
    descstat::Columns columns;
    const descstat::Outcome read =
        descstat::ReadDataFile(reader, file.Name(), rules, sink, {}, columns);
    ASSERT_EQ(read.failure, descstat::Failure::kNone) << read.detail;
    std::vector<std::string> samples;
    for (const descstat::Column& column : columns) {
        samples.push_back(column.field + "/" + column.group + ":" +
                          std::to_string(column.values.Count()) + ":" +
                          std::to_string(column.missing));
    }
    EXPECT_EQ(samples, c.samples);
}

const std::string kSurvey =  // 身長,体重,性別 / 男 / 女 in Shift_JIS, CR LF
    "\x90\x67\x92\xB7,\x91\xCC\x8F\x64,\x90\xAB\x95\xCA\r\n"
    "170,60,\x92\x6A\r\n158,NA,\x8F\x97\r\n181,75,\x92\x6A\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, Form,
    ::testing::Values(
        // R's row names (an unnamed first column) are no values.
        FormCase{
            "RowNames", "\"\",\"a\",\"b\"\n\"1\",2,3\n\"2\",4,5\n", {}, {}, {"a/:2:0", "b/:2:0"}},
        // A first row with a number is data; blank lines are no rows.
        FormCase{"NoHeader", "1;2\n\n3;4\n", {}, {}, {"1/:2:0", "2/:2:0"}},
        FormCase{"DecimalCommas", "x;y\n1,5;2,5\n3,0;NA\n", {}, {}, {"x/:2:0", "y/:1:1"}},
        // A column of text is none; a stray word in a column of numbers is missing.
        FormCase{"TextColumn", "n\tw\n1\ta\n2\t3\n4\tb\n5\tc\n", {}, {}, {"n/:4:0"}},
        FormCase{"StrayWord", "v\n1\nx\n3\n", {}, {}, {"v/:2:1"}},
        FormCase{"Ragged", "a,b,c\n1,2\n3,4,5\n", {}, {}, {"a/:2:0", "b/:2:0", "c/:1:1"}},
        FormCase{"ShiftJisGroups",
                 kSurvey,
                 {{0, 0, "\xE8\xBA\xAB\xE9\x95\xB7"}, {2, 2, ""}},
                 {{3, 3, ""}},
                 {"\xE8\xBA\xAB\xE9\x95\xB7/\xE7\x94\xB7:2:0",
                  "\xE8\xBA\xAB\xE9\x95\xB7/\xE5\xA5\xB3:1:0",
                  "\xE4\xBD\x93\xE9\x87\x8D/\xE7\x94\xB7:2:0",
                  "\xE4\xBD\x93\xE9\x87\x8D/\xE5\xA5\xB3:0:1"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// A word over nothing but missing cells names no column: with no numbers
// below it, the first row is data, and the table holds none.
TEST(Table, NoHeaderLineOverMissingCells) {
    TempFile file("v\nNA\n-\n");
    myLib::RdTxtLn reader(file.Name());
    descstat::DataRules rules;
    descstat::ValueSink sink;
    descstat::Columns columns;
    const descstat::Outcome read =
        descstat::ReadDataFile(reader, file.Name(), rules, sink, {}, columns);
    EXPECT_EQ(read.failure, descstat::Failure::kNoNumbers) << read.detail;
}

}  // namespace

namespace {

// What a table's reading gave: each sample's count, missing cells and exact
// sums, and the remarks in order.
class Remarks : public descstat::ValueSink {
public:
    void Remark(const descstat::LineRemark& r) override {
        said += std::to_string(r.line) + ":" + std::to_string(r.kind) + ":" + r.field + "\n";
    }
    void MoreRemarks(std::int64_t count) override { said += "+" + std::to_string(count) + "\n"; }
    std::string said;
};

std::string Gave(const descstat::Outcome& read, const descstat::Columns& columns,
                 const Remarks& remarks) {
    std::string all =
        std::to_string(static_cast<int>(read.failure)) + read.detail + "\n" + remarks.said;
    for (const descstat::Column& column : columns) {
        const descstat::DecimalSums& sums = *column.sums;
        const int scale = descstat::DecimalScale(sums);
        const descstat::SignedNat linear = descstat::DecimalLinearSum(sums, scale);
        all += column.field + " " + std::to_string(column.values.Count()) + " " +
               std::to_string(column.missing) + " " + std::to_string(scale) +
               (linear.negative ? " -" : " ");
        for (const std::uint64_t limb : linear.magnitude) all += std::to_string(limb) + ",";
        for (const std::uint64_t limb : descstat::DecimalSquareSum(sums, scale)) {
            all += std::to_string(limb) + ",";
        }
        for (std::int32_t i = 0; column.values.Data() != nullptr && i < column.values.Count();
             ++i) {
            all += " " + std::to_string(column.values.Data()[i]);
        }
        all += "\n";
    }
    return all;
}

// A random table with a column of numbers among others, its rows of every
// kind: the common ones (read where they lie), and quotes, CR line ends and
// lone CRs, missing cells, words, short and long rows, blank rows, rows of
// separators, long lines, a line that starts with '/'.
std::string RandomTable(std::mt19937_64& rng, bool plain) {
    const auto pick = [&rng](const std::vector<std::string>& pieces) {
        return pieces[rng() % pieces.size()];
    };
    std::string text = "id,value,note\n";
    const int rows = 5 + static_cast<int>(rng() % 120);
    for (int i = 0; i < rows; ++i) {
        const std::string value = rng() % 6 == 0
                                      ? pick({"NA", "", " ", "x", "\"3.5\"", "1e5", " 2.25 ",
                                              "12345678901234567", "-0", "+.5", "7."})
                                      : std::to_string(static_cast<long>(rng() % 200000) - 100000) +
                                            "." + std::to_string(rng() % 100);
        std::string row;
        switch (rng() % 14) {
            case 0: row = plain ? pick({"", "  ", ",,", "/x," + value + ",z"}) : ",,"; break;
            case 1: row = std::to_string(i) + "," + value; break;
            case 2: row = std::to_string(i) + "," + value + ",n,extra"; break;
            case 3: row = "\"a\nb\"," + value + ",q"; break;
            case 4: row = std::to_string(i) + "," + value + "," + std::string(1000, 'w'); break;
            case 5: row = std::to_string(i) + "\r," + value + ",r"; break;
            // A quoted cell that holds separators and a number before the column.
            case 6: row = "\"x," + std::to_string(i) + ",y\"," + value + ",q"; break;
            // Cells of every length around the column, so that its separators,
            // the line end and any quote fall anywhere in 16-byte steps.
            case 7:
                row = std::string(rng() % 40, '0') + std::to_string(i) + "," + value + "," +
                      std::string(rng() % 40, 'p') + pick({"", "\"", "\r", ","});
                break;
            default: row = std::to_string(i) + "," + value + "," + pick({"a", "b", "\"c\""});
        }
        text += row + pick({"\n", "\n", "\n", "\r\n"});
    }
    return text;
}

// Rows read where they lie in the reader's block give what the same lines
// give handed to the table one by one.
TEST(Table, RowsReadWhereTheyLieAsLineByLine) {
    std::mt19937_64 rng(20261210);  // NOLINT(cert-msc32-c,cert-msc51-cpp): a fixed, replayable seed
    for (int t = 0; t < 300; ++t) {
        std::string text = RandomTable(rng, t % 2 == 0);
        descstat::DataRules rules;
        if (t % 5 == 4) {
            // A separator that may lie within a number, and after a cell's
            // number may be taken for its exponent.
            rules.separator = t % 10 == 4 ? '.' : 'e';
            std::replace(text.begin(), text.end(), ',', rules.separator);
        }
        const TempFile file(text);
        rules.fields = {{2, 2, ""}};
        rules.plain = t % 2 == 0;
        rules.header = true;
        rules.loneCrEnds = t % 3 != 0;
        rules.keepValues = t % 4 != 0;

        myLib::RdTxtLn quick(file.Name());
        Remarks quickRemarks;
        descstat::Columns quickColumns;
        const descstat::Outcome quickRead =
            descstat::ReadData(quick, file.Name(), rules, quickRemarks, {}, quickColumns);

        myLib::RdTxtLn common(file.Name());
        common.CrEndsLn(rules.loneCrEnds);
        common.DecodeUtf16(myLib::RdTxtLn::kUtf16ByMark);
        descstat::TableReader table(rules, common, std::numeric_limits<std::int32_t>::max());
        std::string line;
        for (std::int64_t number = 1;; ++number) {
            const int result = common.GetLongLn(line);
            if (result != myLib::RdTxtLn::kLineRead ||
                (common.status == myLib::RdTxtLn::kEndOfFile && line.empty())) {
                break;
            }
            (void)table.AddLine(line, number);
        }
        Remarks commonRemarks;
        descstat::Columns commonColumns;
        const descstat::Outcome commonRead = table.Finish(commonRemarks, commonColumns);
        ASSERT_EQ(Gave(quickRead, quickColumns, quickRemarks),
                  Gave(commonRead, commonColumns, commonRemarks))
            << "table " << t << ":\n"
            << file.Read();
    }
}

}  // namespace
