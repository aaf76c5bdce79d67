// Data text in messages: control characters and bytes a screen cannot show
// are escaped, Shift_JIS is shown as its characters where the character set
// has them, and everything else is left as it is.
#include <gtest/gtest.h>

#include <string>

#include "app/Platform.h"
#include "app/Shown.h"

namespace {

struct ShownCase {
    const char* what;
    std::string text;
    const char* charset;
    std::string shown;
};

TEST(Shown, EscapesWhatTheScreenCannotShow) {
    const ShownCase cases[] = {
        {"plain ASCII", "Ozone", "UTF-8", "Ozone"},
        {"a terminal title sequence", "\x1b]0;pwned\x07", "UTF-8", "\\x1b]0;pwned\\x07"},
        {"a NUL, DEL and a line feed", std::string("a\0b\x7f\n", 5), "UTF-8", "a\\x00b\\x7f\\x0a"},
        {"C1 control CSI in UTF-8",
         "a\xc2\x9b"
         "2J",
         "utf8", "a\\xc2\\x9b2J"},
        {"Japanese in UTF-8 stays", "\xe6\xb8\xa9\xe5\xba\xa6", "UTF-8",
         "\xe6\xb8\xa9\xe5\xba\xa6"},
        {"no-break space is no control",
         "a\xc2\xa0"
         "b",
         "UTF-8",
         "a\xc2\xa0"
         "b"},
        {"a backslash stays", "C:\\data\\x.txt", "UTF-8", "C:\\data\\x.txt"},
        {"bytes neither UTF-8 nor Shift_JIS", "\xff.txt", "UTF-8", "\\xff.txt"},
        {"Windows keeps bytes but controls", "\x89\xb7\x93x\x1b[2J", "", "\x89\xb7\x93x\\x1b[2J"},
        {"Windows keeps a lone high byte", "\xff\x80", "", "\xff\x80"},
    };
    for (const ShownCase& c : cases) {
        EXPECT_EQ(descstat::ShownIn(c.text, c.charset), c.shown) << c.what;
    }
}

// The rest needs the system's converter, which Windows does not have.
bool HasConverter() {
    std::string out;
    return descstat::platform::ConvertFromShiftJis("a", "UTF-8", out) && out == "a";
}

TEST(Shown, ShowsShiftJisAsItsCharacters) {
    if (!HasConverter()) GTEST_SKIP() << "no iconv";
    const ShownCase cases[] = {
        // 温度 (temperature) in Shift_JIS, and in UTF-8.
        {"Shift_JIS on UTF-8", "\x89\xb7\x93x", "UTF-8", "\xe6\xb8\xa9\xe5\xba\xa6"},
        {"Shift_JIS with a control", "\x89\xb7\x1b\x93x", "UTF-8", "\xe6\xb8\xa9\\x1b\xe5\xba\xa6"},
        {"half-width katakana", "\xb6\xc5", "UTF-8", "\xef\xbd\xb6\xef\xbe\x85"},
        {"Shift_JIS on EUC-JP", "\x89\xb7\x93x", "EUC-JP", "\xb2\xb9\xc5\xd9"},
        {"UTF-8 on EUC-JP", "\xe6\xb8\xa9\xe5\xba\xa6", "EUC-JP", "\xb2\xb9\xc5\xd9"},
        {"what Latin-1 cannot hold", "\xc3\xa9\xe6\xb8\xa9", "ISO-8859-1", "\xe9\\xe6\\xb8\\xa9"},
        {"a control in Latin-1", "\xc3\xa9\x1b", "ISO-8859-1", "\xe9\\x1b"},
    };
    for (const ShownCase& c : cases) {
        EXPECT_EQ(descstat::ShownIn(c.text, c.charset), c.shown) << c.what;
    }
}

}  // namespace
