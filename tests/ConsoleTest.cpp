// Japanese texts: the UTF-8 form of each says what its Shift_JIS bytes say,
// decoded by the system: through code page 932 on Windows, as the console is
// given them, and with iconv's CP932 elsewhere.
#include <gtest/gtest.h>

#include <string>

#if __has_include(<iconv.h>)
#include <iconv.h>
#endif

#include "app/Japanese.h"
#include "app/Platform.h"

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

}  // namespace
