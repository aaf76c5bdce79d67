// The commonest number of all, read where it lies a word at a time: an
// optional sign, fewer than eight digits before the point and fewer than
// eight after it. Inline, so that a loop over a block's lines or rows
// (the table reader's) makes it part of itself: a call costs as much as the
// reading. What it gives is QuickDecimal's, bit for bit.
#ifndef MYLIB_SHORTDECIMAL_H
#define MYLIB_SHORTDECIMAL_H

#include <cfloat>
#include <cstddef>
#include <cstdint>

#include "mylib/ByteWords.h"
#include "mylib/StrFunc.h"

namespace myLib {

#if defined(__GNUC__)
#define MYLIB_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define MYLIB_ALWAYS_INLINE inline
#endif

// The powers of ten that a double holds exactly.
inline constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// 10^k for the digits a word holds (k from 0 to 8).
inline constexpr std::uint64_t kWordPowers[] = {1,      10,      100,      1000,     10000,
                                                100000, 1000000, 10000000, 100000000};

inline constexpr std::uint64_t kDigitZeros = kEachByte * '0';

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
inline constexpr bool kWordDigits = true;
#else
inline constexpr bool kWordDigits = false;  // the word tricks take bytes in memory order
#endif

// How many of the word's bytes, from its first in memory, are digits. A byte
// is a digit when it differs from '0' by at most 9 in its low half; a carry
// out of a byte that is no digit can only spoil the bytes after it.
inline int LeadingDigits(std::uint64_t word) {
    const std::uint64_t x = word ^ kDigitZeros;
    const std::uint64_t nonDigit = (x | (x + kEachByte * 6)) & (kEachByte * 0xF0);
    return nonDigit == 0 ? 8 : __builtin_ctzll(nonDigit) / 8;
}

// The value of the word's first k digits (0 to 8): shifted up so that they
// end the word (in two steps, as a shift by 64 is none), they are combined in
// pairs, fours and eights.
MYLIB_ALWAYS_INLINE std::uint64_t WordDigitsValue(std::uint64_t word, int k) {
    const int half = 4 * (8 - k);
    std::uint64_t v = ((word - kDigitZeros) << half) << half;
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FFULL) * 0x000F424000000064ULL) +
         (((v >> 16) & 0x000000FF000000FFULL) * 0x0000271000000001ULL)) >>
        32;
    return v;
}

// The bytes ShortDecimal may look at: a sign, 7 digits, a point, 7 digits
// and the byte after them.
inline constexpr std::ptrdiff_t kShortNumber = 17;

// The number at p, where kShortNumber bytes lie: fewer than eight digits
// before and after its point; its digits are two words. Gives the byte after
// them (the caller tells an exponent that follows), or null for any other
// text. Only for kWordDigits and plain double arithmetic (FLT_EVAL_METHOD 0).
MYLIB_ALWAYS_INLINE const char* ShortDecimal(const char* p, QuickNumber& number) {
    const char* const start = p;
    const bool negative = *p == '-';
    if (negative || *p == '+') ++p;
    const std::uint64_t whole = WordAt(p);
    const int wholeDigits = LeadingDigits(whole);
    if (wholeDigits == 8) return nullptr;
    const char* q = p + wholeDigits;
    std::uint64_t m = WordDigitsValue(whole, wholeDigits);
    int fraction = 0;
    if (*q == '.') {
        const std::uint64_t part = WordAt(q + 1);
        fraction = LeadingDigits(part);
        if (fraction == 8) return nullptr;
        m = m * kWordPowers[fraction] + WordDigitsValue(part, fraction);
        q += 1 + fraction;
    }
    if (wholeDigits + fraction == 0) return nullptr;
    const auto value = static_cast<double>(m) / kExactPowers[fraction];
    number.value = negative ? -value : value;
    number.digits = negative ? -static_cast<std::int64_t>(m) : static_cast<std::int64_t>(m);
    number.scale = m == 0 ? 0 : -fraction;
    number.text = start;
    number.wholeDigits = static_cast<std::uint8_t>(wholeDigits);
    number.fractionDigits = static_cast<std::uint8_t>(fraction);
    number.negative = negative;
    return q;
}

// QuickDecimal for a number that must end by `last` (a cell's end) where the
// bytes up to `readable` (the block's end) may be looked at, so that its
// digits are taken a word at a time even in a short cell. Bytes past `last`
// only end the digits: a number that runs beyond it is read again within it.
MYLIB_ALWAYS_INLINE const char* QuickDecimalIn(const char* p, const char* last,
                                               const char* readable, QuickNumber& number) {
    if (kWordDigits && FLT_EVAL_METHOD == 0 && readable - p >= kShortNumber) {
        const char* const after = ShortDecimal(p, number);
        if (after != nullptr &&
            (after == last || (after < last && *after != 'e' && *after != 'E'))) {
            return after;
        }
    }
    return QuickDecimal(p, last, number);
}

}  // namespace myLib

#endif  // MYLIB_SHORTDECIMAL_H
