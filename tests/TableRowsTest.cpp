// The ways of reading a table's rows where they lie (64 bytes at a time,
// 16 at a time, a byte search) against one another on random blocks.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/TableRows.h"

namespace {

// A block of rows of every kind the ways must agree on: numbers short and
// long, blanks, words, empty and quoted cells, CR LF and lone CRs, marker
// lines, rows of 64 bytes and more, too few cells and too many; it may end
// within a row. A plain block has long runs of common rows, one odd cell
// among hundreds.
std::vector<char> RandomBlock(std::mt19937_64& rng, char separator) {
    const bool plain = rng() % 8 == 0;
    const auto pick = [&rng](const std::vector<std::string>& pieces) {
        return pieces[rng() % pieces.size()];
    };
    std::string text;
    const int rows = plain ? 300 : 1 + static_cast<int>(rng() % 40);
    for (int i = 0; i < rows; ++i) {
        const int cells = plain ? 3 : 1 + static_cast<int>(rng() % 6);
        std::string row = rng() % (plain ? 500 : 25) == 0 ? "/" : "";
        for (int c = 0; c < cells; ++c) {
            if (c > 0) row += separator;
            row += rng() % (plain ? 500 : 3) == 0
                       ? pick({"", " 7 ", "x", "\"q\"", "1e5", "-0", "+.5", "7.", "12345678.5",
                               "1234567890123456", std::string(70, 'w'), "2.5\r3"})
                       : std::to_string(static_cast<long>(rng() % 2000000) - 1000000) + "." +
                             std::to_string(rng() % 1000);
        }
        text += row + (plain ? "\n" : pick({"\n", "\n", "\n", "\r\n", "\r"}));
    }
    if (rng() % 4 == 0) text.resize(rng() % (text.size() + 1));
    return {text.begin(), text.end()};  // exactly as long: a read past it is caught
}

// What reading the block gave, call by call: each call's count and where it
// left off, and each number as read.
std::string ReadBlock(const std::vector<char>& block, const descstat::CellRules& rules,
                      descstat::RowWay way) {
    const char* const begin = block.data();
    const char* p = begin;
    const char* const last = begin + block.size();
    std::string gave;
    for (std::size_t call = 0;; ++call) {
        // Now and then more than the 64-byte way finds at once.
        constexpr std::size_t kMost = 150;
        const std::size_t room = call % 5 == 4 ? kMost : 1 + call % 7;
        myLib::QuickNumber numbers[kMost];
        const std::size_t count = descstat::QuickCells(p, last, rules, numbers, room, way);
        gave += std::to_string(count) + "@" + std::to_string(p - begin) + ":";
        for (std::size_t i = 0; i < count; ++i) {
            std::uint64_t bits = 0;
            std::memcpy(&bits, &numbers[i].value, sizeof bits);
            gave += " " + std::to_string(bits) + "/" + std::to_string(numbers[i].digits) + "e" +
                    std::to_string(numbers[i].scale);
            if (numbers[i].wholeDigits != myLib::QuickNumber::kNotPlain) {
                gave += "@" + std::to_string(numbers[i].text - begin) + "," +
                        std::to_string(numbers[i].wholeDigits) + "," +
                        std::to_string(numbers[i].fractionDigits) + "," +
                        std::to_string(numbers[i].negative);
            }
        }
        gave += "\n";
        if (count < room) return gave;
    }
}

TEST(TableRows, EveryWayReadsTheSameNumbersAndStopsAtTheSameRow) {
    std::mt19937_64 rng(20261211);  // NOLINT(cert-msc32-c,cert-msc51-cpp): a fixed, replayable seed
    for (int t = 0; t < 2000; ++t) {
        descstat::CellRules rules;
        rules.separator = ",;\t|"[t % 4];
        rules.index = static_cast<int>(rng() % 4);
        rules.markers = rng() % 2 == 0;
        rules.longestRow = rng() % 3 == 0 ? 40 : 998;
        rules.mostAfter = rng() % 3 == 0 ? rng() % 4 : SIZE_MAX;
        const std::vector<char> block = RandomBlock(rng, rules.separator);
        const std::string search = ReadBlock(block, rules, descstat::RowWay::kSearch);
        for (const descstat::RowWay way : {descstat::RowWay::kBytes16, descstat::RowWay::kBytes64,
                                           descstat::RowWay::kQuickest}) {
            ASSERT_EQ(ReadBlock(block, rules, way), search)
                << "block " << t << " way " << static_cast<int>(way) << ":\n"
                << std::string(block.begin(), block.end());
        }
    }
}

}  // namespace
