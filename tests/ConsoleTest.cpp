// Japanese texts: the UTF-8 form of each says what its Shift_JIS bytes say, as
// the Windows console is given them (decoded through code page 932). The
// console itself cannot be driven under Wine; this is its conversion.
#include <gtest/gtest.h>

#include <string>

#include "app/Console.h"
#include "app/Japanese.h"

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

#ifdef _WIN32
TEST(Console, ShiftJisAndUtf8FormsAreTheSameText) {
    for (const descstat::JapaneseText& t :
         {descstat::kListingHeading, descstat::kFinished, descstat::kFinishedKeyRequest,
          descstat::kMeanLabel, descstat::kVarianceLabel, descstat::kSdLabel,
          descstat::kUnbiasedVarianceLabel, descstat::kUnbiasedSdLabel}) {
        EXPECT_EQ(descstat::ShiftJisToUtf16(t.shiftJis), FromUtf8(t.utf8)) << t.utf8;
    }
}
#endif

TEST(Console, Utf8FormsReadAsTheJapanese) {
    EXPECT_EQ(FromUtf8(descstat::kFinished.utf8), u"\u8A08\u7B97\u7D42\u4E86\u3002");  // 計算終了。
    EXPECT_EQ(FromUtf8(descstat::kListingHeading.utf8), u"\u30C7\u30FC\u30BF...");  // データ...
}

}  // namespace
