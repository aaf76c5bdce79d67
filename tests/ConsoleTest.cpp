// Japanese texts: the UTF-8 form of each says what its Shift_JIS bytes say,
// decoded by the system: through code page 932 on Windows, as the console is
// given them, and with iconv's CP932 elsewhere.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#if __has_include(<iconv.h>)
#include <iconv.h>
#endif

#include "app/Console.h"
#include "app/Japanese.h"
#include "app/Platform.h"
#include "app/Text.h"

namespace {

// UTF-8 to UTF-16, for the Basic Multilingual Plane these texts use.
std::u16string FromUtf8(const std::string& s) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : 2;
        unsigned code = extra == 0 ? b : extra == 1 ? (b & 0x1Fu) : (b & 0x0Fu);
        for (int k = 1; k <= extra; ++k) {
            code = (code << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3Fu);
        }
        out.push_back(static_cast<char16_t>(code));
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

// Shift_JIS to UTF-8 by iconv; empty where iconv or its CP932 is missing.
std::string IconvToUtf8(const std::string& sjis) {
#if __has_include(<iconv.h>)
    iconv_t cd = iconv_open("UTF-8", "CP932");
    // iconv_open's failure value is (iconv_t)-1.
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};  // NOLINT(performance-no-int-to-ptr)
    std::string in = sjis;
    std::string out(4 * sjis.size() + 4, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t left = in.size();
    std::size_t room = out.size();
    const std::size_t done = iconv(cd, &from, &left, &to, &room);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1)) return {};
    out.resize(out.size() - room);
    return out;
#else
    (void)sjis;
    return {};
#endif
}

TEST(Console, ShiftJisAndUtf8FormsAreTheSameText) {
    int checked = 0;
    for (const descstat::JapaneseText* t : descstat::kJapaneseTexts) {
        const std::u16string bySystem = descstat::platform::ShiftJisToUtf16(t->shiftJis);
        if (!bySystem.empty()) {
            EXPECT_EQ(bySystem, FromUtf8(t->utf8)) << t->utf8;
            ++checked;
        }
        const std::string byIconv = IconvToUtf8(t->shiftJis);
        if (!byIconv.empty()) {
            EXPECT_EQ(byIconv, t->utf8);
            ++checked;
        }
    }
    if (checked == 0) GTEST_SKIP() << "no Shift_JIS decoder on this system";
}

TEST(Console, Utf8FormsReadAsTheJapanese) {
    EXPECT_EQ(FromUtf8(descstat::kFinished.utf8), u"\u8A08\u7B97\u7D42\u4E86\u3002");  // 計算終了。
    EXPECT_EQ(FromUtf8(descstat::kListingHeading.utf8), u"\u30C7\u30FC\u30BF...");  // データ...
}

// English texts are ASCII, and the first three result labels line up.
TEST(Console, EnglishTextsAreAsciiAndAligned) {
    for (const descstat::JapaneseText* t : descstat::kJapaneseTexts) {
        for (const char* c = t->english; *c != '\0'; ++c)
            EXPECT_LT(static_cast<unsigned char>(*c), 0x80);
    }
    const std::string mean = descstat::kMeanLabel.english;
    EXPECT_EQ(std::string(descstat::kVarianceLabel.english).size(), mean.size());
    EXPECT_EQ(std::string(descstat::kSdLabel.english).size(), mean.size());
}

using descstat::Language;
using descstat::TextForm;

struct CharsetCase {
    const char* charset;
    Language language;
    TextForm form;
    bool needsConverter;  // the answer comes from the system's iconv
    friend void PrintTo(const CharsetCase& c, std::ostream* os) {
        *os << "charset \"" << c.charset << "\"";
    }
};

class TerminalCharset : public ::testing::TestWithParam<CharsetCase> {};

TEST_P(TerminalCharset, GetsWhatItCanShow) {
    const CharsetCase& c = GetParam();
    std::string probe;
    if (c.needsConverter && !descstat::platform::ConvertFromUtf8("a", "UTF-16", probe)) {
        GTEST_SKIP() << "no converter on this system";
    }
    const descstat::TextStyle style = descstat::CharsetStyle(c.charset, c.language);
    EXPECT_EQ(style.form, c.form) << c.charset;
    if (c.form == TextForm::kConverted) {
        EXPECT_EQ(style.charset, c.charset);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, TerminalCharset,
    ::testing::Values(CharsetCase{"", Language::kJapanese, TextForm::kUtf8, false},
                      CharsetCase{"UTF-8", Language::kJapanese, TextForm::kUtf8, false},
                      CharsetCase{"utf8", Language::kJapanese, TextForm::kUtf8, false},
                      CharsetCase{"UTF-8", Language::kEnglish, TextForm::kEnglish, false},
                      CharsetCase{"EUC-JP", Language::kJapanese, TextForm::kConverted, true},
                      CharsetCase{"SHIFT_JIS", Language::kJapanese, TextForm::kConverted, true},
                      CharsetCase{"EUC-JP", Language::kEnglish, TextForm::kEnglish, true},
                      CharsetCase{"ISO-8859-1", Language::kJapanese, TextForm::kEnglish, true},
                      CharsetCase{"ANSI_X3.4-1968", Language::kJapanese, TextForm::kEnglish, true},
                      CharsetCase{"NO-SUCH-CHARSET", Language::kJapanese, TextForm::kEnglish,
                                  false}));

class PipeCharset : public ::testing::TestWithParam<CharsetCase> {};

// A pipe gets the locale's character set, and Shift_JIS where it names none.
TEST_P(PipeCharset, GetsTheLocalesCharacterSet) {
    const CharsetCase& c = GetParam();
    std::string probe;
    if (c.needsConverter && !descstat::platform::ConvertFromUtf8("a", "UTF-16", probe)) {
        GTEST_SKIP() << "no converter on this system";
    }
    const descstat::TextStyle style = descstat::PipeStyle(c.charset, c.language);
    EXPECT_EQ(style.form, c.form) << c.charset;
    if (c.form == TextForm::kConverted) {
        EXPECT_EQ(style.charset, c.charset);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PipeCharset,
    ::testing::Values(CharsetCase{"", Language::kJapanese, TextForm::kShiftJis, false},
                      CharsetCase{"", Language::kEnglish, TextForm::kEnglish, false},
                      CharsetCase{"UTF-8", Language::kJapanese, TextForm::kUtf8, false},
                      CharsetCase{"utf8", Language::kJapanese, TextForm::kUtf8, false},
                      CharsetCase{"SHIFT_JIS", Language::kJapanese, TextForm::kShiftJis, false},
                      CharsetCase{"sjis", Language::kJapanese, TextForm::kShiftJis, false},
                      CharsetCase{"CP932", Language::kJapanese, TextForm::kShiftJis, false},
                      CharsetCase{"SHIFT_JIS", Language::kEnglish, TextForm::kEnglish, false},
                      CharsetCase{"EUC-JP", Language::kJapanese, TextForm::kConverted, true},
                      CharsetCase{"ISO-8859-1", Language::kJapanese, TextForm::kEnglish, true},
                      CharsetCase{"NO-SUCH-CHARSET", Language::kJapanese, TextForm::kEnglish,
                                  false}));

// A Windows console gets wide characters, or English when asked for.
TEST(Console, WindowsConsoleGetsWideTextOrEnglish) {
    EXPECT_EQ(descstat::ScreenStyleOf(true, "", Language::kJapanese).form, TextForm::kWide);
    EXPECT_EQ(descstat::ScreenStyleOf(true, "", Language::kEnglish).form, TextForm::kEnglish);
    EXPECT_EQ(descstat::ScreenStyleOf(false, "", Language::kJapanese).form, TextForm::kUtf8);
}

// A converted text is the same text in the terminal's bytes: EUC-JP's 計算終了。
TEST(Console, ConvertedTextIsTheTerminalsBytes) {
    std::string euc;
    if (!descstat::platform::ConvertFromUtf8(descstat::kFinished.utf8, "EUC-JP", euc)) {
        GTEST_SKIP() << "no EUC-JP converter on this system";
    }
    EXPECT_EQ(euc, "\xB7\xD7\xBB\xBB\xBD\xAA\xCE\xBB\xA1\xA3");
    std::string latin;
    EXPECT_FALSE(
        descstat::platform::ConvertFromUtf8(descstat::kFinished.utf8, "ISO-8859-1", latin));
}

// Wide text that does not reach a console is a failed write, not silence:
// where the tests run, standard output is no console.
TEST(Console, WideTextWithoutConsoleMarksTheStreamBad) {
    std::ostringstream out;
    out << "Input data file = x\n";
    descstat::WriteText(out, {descstat::TextForm::kWide, {}}, descstat::kMeanLabel);
    EXPECT_TRUE(out.bad());
    EXPECT_EQ(out.str(), "Input data file = x\n");
}

// A console window is the program's own when no other process shares it.
struct ProcessListCase {
    std::vector<unsigned long> processes;
    bool own;
    friend void PrintTo(const ProcessListCase& c, std::ostream* os) {
        *os << c.processes.size() << " processes";
    }
};

class ConsoleWindow : public ::testing::TestWithParam<ProcessListCase> {};

TEST_P(ConsoleWindow, IsOwnOnlyWithoutOtherProcesses) {
    EXPECT_EQ(descstat::ConsoleIsOwn(GetParam().processes, 40), GetParam().own);
}

INSTANTIATE_TEST_SUITE_P(Table, ConsoleWindow,
                         ::testing::Values(ProcessListCase{{}, false},   // no console
                                           ProcessListCase{{40}, true},  // started from Explorer
                                           ProcessListCase{{40, 12}, false},  // a Command Prompt's
                                           ProcessListCase{{12, 40}, false},
                                           ProcessListCase{{12}, false}));

// Where the tests run, no console window is the program's own: a run from a
// script or a Command Prompt never waits.
TEST(Console, TestRunHasNoWindowOfItsOwn) {
    EXPECT_FALSE(
        descstat::ConsoleIsOwn(descstat::platform::ConsoleProcesses(),
                               static_cast<unsigned long>(descstat::platform::ProcessId())));
}

}  // namespace
