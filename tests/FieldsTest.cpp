// The fields of a value line: blank-separated as the text input library
// splits them, or CSV-style around a separator byte, with quotes.
#include "app/Fields.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct FieldCase {
    std::string line;
    char separator;
    int index;
    bool present;
    std::string field;
    friend void PrintTo(const FieldCase& c, std::ostream* os) {
        *os << "field " << c.index << " of \"" << c.line << "\"";
    }
};

class LineFields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(LineFields, GiveTheFieldUnquoted) {
    const FieldCase& c = GetParam();
    std::string field = "left over";
    EXPECT_EQ(descstat::NthField(c.line, c.separator, c.index, field), c.present) << c.line;
    if (c.present) {
        EXPECT_EQ(field, c.field) << c.line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LineFields,
    ::testing::Values(
        // Blanks, as today.
        FieldCase{"1 2\t3", '\0', 2, true, "3"}, FieldCase{"1 2", '\0', 2, false, ""},
        FieldCase{"", '\0', 0, false, ""},
        // A separator: every one ends a field; blanks around a field go.
        FieldCase{"a,b,c", ',', 1, true, "b"}, FieldCase{"a,,c", ',', 1, true, ""},
        FieldCase{"a,b,", ',', 2, true, ""}, FieldCase{"a,b", ',', 2, false, ""},
        FieldCase{"", ',', 0, true, ""}, FieldCase{" 1.5 , 2 ", ',', 0, true, "1.5"},
        FieldCase{" 1.5 , 2 ", ',', 1, true, "2"}, FieldCase{"a b;c", ';', 0, true, "a b"},
        // A tab separator is no blank to trim; spaces still are.
        FieldCase{"1\t\t3", '\t', 1, true, ""}, FieldCase{" 1 \t2", '\t', 0, true, "1"},
        // Quotes: doubled quotes, separators inside, blanks outside.
        FieldCase{"\"3.6\",79", ',', 0, true, "3.6"},
        FieldCase{"\"a \"\"b\"\"\",1", ',', 0, true, "a \"b\""},
        FieldCase{"\"a,b\",1", ',', 1, true, "1"}, FieldCase{"\"a,b\",1", ',', 0, true, "a,b"},
        FieldCase{"  \"x\"  ,1", ',', 0, true, "x"}, FieldCase{"\"\",1", ',', 0, true, ""},
        FieldCase{"\" 2 \",1", ',', 0, true, " 2 "},
        // A quote not closed runs to the end of the line.
        FieldCase{"\"a,b", ',', 0, true, "a,b"}, FieldCase{"\"a,b", ',', 1, false, ""},
        // Text after a closing quote stays with the field.
        FieldCase{"\"1\"kg,2", ',', 0, true, "1kg"}));

// Whether a line of a CSV file goes on on the next one: a quoted field
// whose quote no quote closes. Quotes elsewhere than at a field's start are
// text, and a doubled quote closes nothing.
TEST(LineFields, QuoteOpenAtTheLineEnd) {
    struct {
        const char* line;
        char separator;
        bool open;
    } const cases[] = {
        {"", ',', false},
        {"1,2", ',', false},
        {"\"a", ',', true},
        {"1,\"a", ',', true},
        {"1, \"a,b", ',', true},
        {"\"a\",\"b", ',', true},
        {"\"a\",\"b\"", ',', false},
        {"\"a\"\"", ',', true},
        {"\"a\"\"\"", ',', false},
        {"\"\"", ',', false},
        {"\"", ',', true},
        {"a\"b,c", ',', false},
        {"\"1\"kg\",2", ',', false},
        {"\"a\nb\"", ',', false},
        {"\"a;b\";\"c", ';', true},
        {"\"a\tb\"\t\"c", '\t', true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(descstat::QuoteOpen(c.line, c.separator), c.open) << c.line;
    }
}

// A field that a line break inside quotes split over two lines comes out
// whole, with the line feed that the data file's reader joined them by.
TEST(LineFields, QuotedFieldOverLines) {
    std::string field;
    ASSERT_TRUE(descstat::NthField("\"a\nb,c\",7", ',', 1, field));
    EXPECT_EQ(field, "7");
    ASSERT_TRUE(descstat::NthField("\"a\nb,c\",7", ',', 0, field));
    EXPECT_EQ(field, "a\nb,c");
}

TEST(LineFields, AllFieldsOfAHeaderLine) {
    EXPECT_EQ(descstat::AllFields("\"\",\"eruptions\",\"waiting\"", ','),
              (std::vector<std::string>{"", "eruptions", "waiting"}));
    EXPECT_EQ(descstat::AllFields("a  b", '\0'), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(descstat::AllFields("", '\0').empty());
}

}  // namespace
