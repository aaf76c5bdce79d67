// The data file's passes: the count limit, and a data file that changes or
// goes away between the counting pass and the reading pass.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/ArgumentRun.h"
#include "app/DataFile.h"
#include "app/Dialogue.h"
#include "app/Japanese.h"
#include "tests/TempFile.h"

using descstat::Failure;

namespace {

struct LimitCase {
    const char* bytes;
    std::int32_t maxCount;
    Failure result;
    std::int32_t count;
    bool closedByMarker;
    friend void PrintTo(const LimitCase& c, std::ostream* os) {
        *os << "limit " << c.maxCount << " on \"" << c.bytes << "\"";
    }
};

class CountLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(CountLimit, StopsBeforeTheCountPassesTheLimit) {
    TempFile file(GetParam().bytes);
    myLib::RdTxtLn reader(file.Name());
    descstat::Section section;
    EXPECT_EQ(descstat::CountValueLines(reader, {}, GetParam().maxCount, section).failure,
              GetParam().result);
    if (GetParam().result == Failure::kNone) {
        EXPECT_EQ(section.count, GetParam().count);
        EXPECT_EQ(section.closedByMarker, GetParam().closedByMarker);
    }
}

INSTANTIATE_TEST_SUITE_P(
    DataFile, CountLimit,
    ::testing::Values(LimitCase{"/\n1\n2\n3\n/\n", 3, Failure::kNone, 3, true},
                      LimitCase{"/\n1\n2\n3\n", 3, Failure::kNone, 3, false},
                      LimitCase{"/\n1\n2\n3\n4\n/\n", 3, Failure::kTooManyLines, 0, false},
                      LimitCase{"/\n/\n", 0, Failure::kNone, 0, true},
                      LimitCase{"/\n\n", 0, Failure::kTooManyLines, 0, false}));

// A run on a data file that `change` rewrites between the passes.
struct ChangeCase {
    const char* name;
    const char* original;
    const char* replacement;  // nullptr: the file is removed
    const char* console;      // after the two prompts
    int exitCode;
    bool withHeader = false;  // the first value line names the fields
    friend void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }
};

class ChangedBetweenPasses : public ::testing::TestWithParam<ChangeCase> {};

void Change(void* context) {
    const auto* c = static_cast<std::pair<TempFile*, const char*>*>(context);
    if (c->second == nullptr) {
        std::filesystem::remove(c->first->Name());
    } else {
        c->first->Write(c->second);
    }
}

TEST_P(ChangedBetweenPasses, IsReportedAndNoStaleLineIsListed) {
    TempFile data(GetParam().original);
    TempFile report("");
    std::pair<TempFile*, const char*> context{&data, GetParam().replacement};
    descstat::RunHooks hooks;
    hooks.betweenPasses = Change;
    hooks.context = &context;
    std::istringstream in(data.Name() + "\n" + report.Name() + "\nx\n");
    std::ostringstream con;

    descstat::RunOptions options;
    options.data.header = GetParam().withHeader;
    EXPECT_EQ(descstat::RunDialogue(in, con, options, hooks), GetParam().exitCode);
    EXPECT_EQ(con.str(), std::string("Input data file = Output file = ") + GetParam().console);
    const std::string listed = report.Read();
    if (GetParam().exitCode != 0) {
        EXPECT_EQ(listed.find("\x95\xBD\x8B\xCF"), std::string::npos) << "no results: " << listed;
    }
}

// The text of the one failure that needs more lines than a test can write.
TEST(DataFile, TooManyLinesIsReportedWithItsMessage) {
    TempFile data("/\n1\n2\n3\n/\n");
    TempFile report("");
    descstat::RunHooks hooks;
    hooks.maxCount = 2;
    std::istringstream in(data.Name() + "\n" + report.Name() + "\nx\n");
    std::ostringstream con;
    EXPECT_EQ(descstat::RunDialogue(in, con, descstat::RunOptions(), hooks), 9);
    EXPECT_EQ(con.str(),
              "Input data file = Output file = "
              "To count the values failed: more than 2147483647 lines.\n"
              "Press down any character key, then press Enter key.\n");
}

// The same limit holds when the data is read in one pass (standard input).
TEST(DataFile, TooManyLinesInOnePassIsReportedWithItsMessage) {
    std::FILE* in = std::tmpfile();
    ASSERT_NE(in, nullptr);
    ASSERT_GE(std::fputs("/\n1\n2\n3\n/\n", in), 0);
    std::rewind(in);
    descstat::RunHooks hooks;
    hooks.maxCount = 2;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(descstat::RunWithNames("-", "-", in, out, err, descstat::RunOptions(), hooks), 9);
    EXPECT_EQ(err.str(), "descstat: To count the values failed: more than 2147483647 lines.\n");
    EXPECT_EQ(out.str(), "") << "nothing of the report before the data is read";
    (void)std::fclose(in);
}

const char* const kMarked = "head\n/\n1\n2\n3\n/\n";
const char* const kUnmarked = "head\n/\n1\n2\n3\n";
// The closing lines of a complete run, in Shift_JIS.
const std::string kClosing = std::string("\n") + descstat::kFinished.shiftJis + "\n" +
                             descstat::kFinishedKeyRequest.shiftJis + "\n";
const char* const kFinished = kClosing.c_str();
const char* const kChanged =
    "To read input data file failed: it changed while being read.\n"
    "Press down any character key, then press Enter key.\n";

INSTANTIATE_TEST_SUITE_P(
    DataFile, ChangedBetweenPasses,
    ::testing::Values(
        ChangeCase{"Truncated", kMarked, "head\n/\n1\n2\n", kChanged, 9},
        ChangeCase{"Emptied", kMarked, "", kChanged, 9},
        ChangeCase{"MarkerMoved", kMarked, "head\n/\n1\n/\n3\n", kChanged, 9},
        // The marker one line earlier, and another after it: the reading pass
        // meets a marker where it counted a value.
        ChangeCase{"MarkerMovedEarlier", kMarked, "head\n/\n1\n2\n/\n/\n", kChanged, 9},
        ChangeCase{"GrownBeforeMarker", kMarked, "head\n/\n1\n2\n3\n4\n/\n", kChanged, 9},
        ChangeCase{"GrownWithoutMarker", kUnmarked, "head\n/\n1\n2\n3\n4\n", kChanged, 9},
        ChangeCase{"MarkerAdded", kUnmarked, "head\n/\n1\n2\n3\n/\n", kChanged, 9},
        ChangeCase{"MarkerLost", kMarked, "head\n/\n1\n2\n3\n", kChanged, 9},
        ChangeCase{"Removed", kMarked, nullptr, "To re-open the inpur file failed.\n", 9},
        // A line that names the fields is no value, and counts as a line.
        ChangeCase{"GrownAfterNamesLine", "/\na\n1\n2\n", "/\na\n1\n2\n3\n", kChanged, 9, true},
        ChangeCase{"MarkerAfterNamesLine", "/\na\n1\n2\n", "/\na\n1\n/\n", kChanged, 9, true},
        ChangeCase{"NamesLineLost", "/\na\n", "/\n", kChanged, 9, true},
        ChangeCase{"NamesLineAdded", "/\n", "/\na\n", kChanged, 9, true},
        ChangeCase{"NamesLineOnlyLeft", "/\na\n1\n", "/\na\n", kChanged, 9, true}),
    [](const auto& info) { return std::string(info.param.name); });

// What the reading pass hands on: the values kept and the lines remarked.
class Collected : public descstat::ValueSink {
public:
    void Take(const descstat::Record& record) override {
        values.insert(values.end(), record.values, record.values + record.count);
    }
    void Remark(const descstat::LineRemark& remark) override {
        remarks.push_back(std::to_string(remark.line) + ":" + std::to_string(remark.kind) + ":" +
                          remark.field);
    }
    std::vector<double> values;
    std::vector<std::string> remarks;
};

// Both passes over a file of `bytes` with separated fields; NaN compares
// equal to NaN here.
struct SeparatedCase {
    const char* name;
    std::string bytes;
    char separator;
    int field;
    std::vector<double> values;
    std::vector<std::string> remarks;  // "LINE:KIND:FIELD"
    friend void PrintTo(const SeparatedCase& c, std::ostream* os) { *os << c.name; }
};

class SeparatedFields : public ::testing::TestWithParam<SeparatedCase> {};

bool SameValues(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))) return false;
    }
    return true;
}

TEST_P(SeparatedFields, ReadAsWholeNumbersAndWholeRecords) {
    const SeparatedCase& c = GetParam();
    // After a marker line, the first line of the file.
    TempFile file("/\n" + c.bytes);
    myLib::RdTxtLn reader(file.Name());
    descstat::DataRules rules;
    rules.separator = c.separator;
    rules.fields = {{c.field, c.field, ""}};
    Collected sink;
    descstat::Columns columns;
    const descstat::Outcome read =
        descstat::ReadDataFile(reader, file.Name(), rules, sink, {}, columns);
    ASSERT_EQ(read.failure, Failure::kNone) << read.detail;
    EXPECT_TRUE(SameValues(sink.values, c.values));
    EXPECT_EQ(sink.remarks, c.remarks);
}

const double kNan = std::nan("");
constexpr int kNoNumber = descstat::LineRemark::kNoNumber;
constexpr int kNoSuchField = descstat::LineRemark::kNoSuchField;

std::string Remarked(int line, int kind, const std::string& field) {
    return std::to_string(line) + ":" + std::to_string(kind) + ":" + field;
}

INSTANTIATE_TEST_SUITE_P(DataFile, SeparatedFields,
                         ::testing::Values(
                             // A field beyond a line's fields holds nothing, not the last field.
                             SeparatedCase{"FieldBeyondTheLine",
                                           "1,10\n2,20,5\n",
                                           ',',
                                           3,
                                           {kNan, 5},
                                           {Remarked(2, kNoSuchField, "")}},
                             // A separated field is a number only when it is wholly one.
                             SeparatedCase{
                                 "DecimalCommas",
                                 "5,1;2\n 7 ;3\n12kg;4\n3 4;5\n\" 8 \";6\n",
                                 ';',
                                 1,
                                 {kNan, 7, kNan, kNan, 8},
                                 {Remarked(2, kNoNumber, "5,1"), Remarked(4, kNoNumber, "12kg"),
                                  Remarked(5, kNoNumber, "3 4")}},
                             // A quoted field over lines is one value line, numbered by its first
                             // line; the lines after it count on.
                             SeparatedCase{"QuotedLineBreak",
                                           "1,\"a\nb\"\nx,\"c,\n\n\"\"d\"\n3,e\n",
                                           ',',
                                           1,
                                           {1, kNan, 3},
                                           {Remarked(4, kNoNumber, "x")}},
                             SeparatedCase{"QuotedNumberOverLines",
                                           "\"4\n\",1\n2\n",
                                           ',',
                                           1,
                                           {kNan, 2},
                                           {Remarked(2, kNoNumber, "4\n")}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
