#include "app/Decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace descstat {

namespace {

constexpr int kSmallestFixedExponent = -4;

}  // namespace

Decimal ShortestDecimal(double v) {
    char sci[32];
    const std::to_chars_result r =
        std::to_chars(sci, sci + sizeof sci, v, std::chars_format::scientific);
    const std::string_view s(sci, static_cast<std::size_t>(r.ptr - sci));
    const std::size_t e = s.find('e');
    Decimal d;
    d.negative = s[0] == '-';
    d.digits.clear();
    for (std::size_t i = 0; i < e; ++i) {
        if (s[i] >= '0' && s[i] <= '9') d.digits += s[i];
    }
    int leading = 0;  // the power of ten of the leading digit
    (void)std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), leading);
    d.exponent = leading - static_cast<int>(d.digits.size()) + 1;
    return d;
}

std::size_t WriteShortest(char* text, double v) {
    // std::to_chars' scientific notation already is d.ddde±XX; only the
    // fixed layouts are rearranged from it.
    char sci[kGeneralChars];
    const char* const end =
        std::to_chars(sci, sci + sizeof sci, v, std::chars_format::scientific).ptr;
    const auto length = static_cast<std::size_t>(end - sci);
    const char* e = static_cast<const char*>(std::memchr(sci, 'e', length));
    int leading = 0;  // the power of ten of the leading digit
    (void)std::from_chars(e + (e[1] == '+' ? 2 : 1), end, leading);
    if (leading < kSmallestFixedExponent || leading > kLargestFixedExponent) {
        std::memcpy(text, sci, length);
        return length;
    }
    char* out = text;
    const char* digit = sci;
    if (*digit == '-') *out++ = *digit++;
    // The digits without the point: the first, then those after the point.
    char digits[kGeneralChars];
    int size = 0;
    digits[size++] = *digit++;
    if (*digit == '.') ++digit;
    while (digit != e) digits[size++] = *digit++;
    if (leading < 0) {
        *out++ = '0';
        *out++ = '.';
        for (int i = -1; i > leading; --i) *out++ = '0';
        std::memcpy(out, digits, static_cast<std::size_t>(size));
        out += size;
    } else if (size <= leading + 1) {
        std::memcpy(out, digits, static_cast<std::size_t>(size));
        out += size;
        for (int i = size; i <= leading; ++i) *out++ = '0';
    } else {
        const int whole = leading + 1;
        std::memcpy(out, digits, static_cast<std::size_t>(whole));
        out += whole;
        *out++ = '.';
        std::memcpy(out, digits + whole, static_cast<std::size_t>(size - whole));
        out += size - whole;
    }
    return static_cast<std::size_t>(out - text);
}

std::string DecimalText(const Decimal& d, int largestFixed) {
    const int size = static_cast<int>(d.digits.size());
    const int leading = d.exponent + size - 1;
    std::string text = d.negative ? "-" : "";
    if (leading < kSmallestFixedExponent || leading > largestFixed) {
        text += d.digits[0];
        if (size > 1) text += "." + d.digits.substr(1);
        text += leading < 0 ? "e-" : "e+";
        const std::string power = std::to_string(std::abs(leading));
        text += (power.size() < 2 ? "0" : "") + power;
    } else if (leading < 0) {
        text += "0." + std::string(static_cast<std::size_t>(-leading - 1), '0') + d.digits;
    } else if (d.exponent >= 0) {
        text += d.digits + std::string(static_cast<std::size_t>(d.exponent), '0');
    } else {
        const auto whole = static_cast<std::size_t>(leading) + 1;
        text += d.digits.substr(0, whole) + "." + d.digits.substr(whole);
    }
    return text;
}

namespace {

__extension__ typedef unsigned __int128 U128;  // NOLINT(modernize-use-using)

// The listing's commonest numbers take the short way inline; the longer
// one is kept out of its loop.
#if defined(__GNUC__)
#define DESCSTAT_ALWAYS_INLINE inline __attribute__((always_inline))
#define DESCSTAT_NOINLINE __attribute__((noinline))
#else
#define DESCSTAT_ALWAYS_INLINE inline
#define DESCSTAT_NOINLINE
#endif

// The largest power of ten the quick way scales by, either way: 10^22 times
// a 53-bit mantissa still fits 127 bits.
constexpr int kQuickPower = 22;
// The most digits the quick way writes: their whole number stays below 2^53.
constexpr int kQuickDigits = 15;
// The bytes of a word, copied as one.
constexpr int kWordChars = 8;

// 10^k for k from 0 to kQuickPower, each exact as a double.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// x·10^k for k up to kQuickPower (x·10^k below 2^128).
U128 TimesPowerOfTen(U128 x, int k) {
    if (k > 19) {
        x *= kPowersOfTen[k - 19];
        k = 19;
    }
    return x * kPowersOfTen[k];
}

int BitLength(U128 x) {
    const auto high = static_cast<std::uint64_t>(x >> 64);
    const auto low = static_cast<std::uint64_t>(x);
    if (high != 0) return 128 - __builtin_clzll(high);
    return low != 0 ? 64 - __builtin_clzll(low) : 0;
}

// floor(m·2^e·10^k) and whether the rest is below, at or above one half
// (-1, 0, 1), exactly; false when the numbers would not fit 128 bits.
bool ScaledWhole(std::uint64_t m, int e, int k, std::uint64_t& whole, int& half) {
    U128 a = m;
    if (k > 0) a = TimesPowerOfTen(a, k);
    if (e > 0) {
        if (BitLength(a) + e > 127) return false;
        a <<= e;
    }
    U128 rest = 0;
    U128 b = 1;
    if (k >= 0 && e < 0) {
        // A power of two below: shifts.
        if (-e >= 127) return false;
        b = U128{1} << -e;
        rest = a & (b - 1);
        a >>= -e;
    } else if (k < 0) {
        b = TimesPowerOfTen(1, -k);
        if (e < 0) {
            if (BitLength(b) - e > 126) return false;
            b <<= -e;
        }
        rest = a % b;
        a /= b;
    }
    if (a >> 63 != 0) return false;
    whole = static_cast<std::uint64_t>(a);
    const U128 twice = rest * 2;
    half = twice < b ? -1 : (twice == b ? 0 : 1);
    return true;
}

// |v| scaled to `digits` digits in one double operation (an exact power of
// ten), whose error is below half a unit of its last bit: enough to round it
// to a whole number unless it lies that close to a half, or to tell its
// power of ten (`power`, a first guess, put right) unless that close to one.
// False in those rare cases, which RoundedDigits settles exactly.
bool RoundedInDoubles(double v, int digits, std::uint64_t& whole, int& power) {
    const double a = std::fabs(v);
    const auto low = static_cast<double>(kPowersOfTen[digits - 1]);
    const double high = low * 10;
    double t = 0;
    for (int tries = 0;; ++tries) {
        const int k = digits - 1 - power;
        if (tries > 2 || k > kQuickPower || k < -kQuickPower) return false;
        t = k >= 0 ? a * kExactPowersOfTen[k] : a / kExactPowersOfTen[-k];
        if (t >= high) {
            ++power;
        } else if (t < low) {
            --power;
        } else {
            break;
        }
    }
    // 0 < t < 10^15 < 2^53: its whole part and the rest are exact.
    const auto below = static_cast<std::uint64_t>(t);
    const double rest = t - static_cast<double>(below);
    const double error = high * 0x1p-52;  // twice the error bound, at least
    if (std::fabs(rest - 0.5) <= error) return false;
    whole = below + (rest > 0.5 ? 1 : 0);
    if (whole == kPowersOfTen[digits]) {
        whole = kPowersOfTen[digits - 1];
        ++power;
    }
    return true;
}

// |v| rounded once, half to even, to `digits` significant digits: the whole
// number of them and the power of ten of the first (`power`); false when the
// numbers would not fit the quick way.
bool RoundedDigits(double v, int digits, std::uint64_t& whole, int& power) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    const int biased = static_cast<int>(bits >> 52 & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    // |v| = m·2^e exactly.
    const std::uint64_t m = biased == 0 ? fraction : fraction | std::uint64_t{1} << 52;
    const int e = (biased == 0 ? 1 : biased) - 1075;
    const std::uint64_t low = kPowersOfTen[digits - 1];
    const std::uint64_t high = low * 10;
    // |v| lies in [2^t, 2^(t+1)), t its leading bit's power of two: its power
    // of ten is floor(t·log10 2) or one more (78913 / 2^18 is log10 2 to
    // within 10^-7, enough for every t a double has).
    const int t = e + 63 - __builtin_clzll(m);
    power = (t * 78913) >> 18;
    // Powers of ten from 10^0 to 10^22 are exact doubles: the choice is a
    // comparison there (else the loop below tries the other).
    if (power >= -1 && power < kQuickPower && std::fabs(v) >= kExactPowersOfTen[power + 1]) ++power;
    int half = 0;
    for (int tries = 0;; ++tries) {
        const int k = digits - 1 - power;
        if (tries > 2 || k > kQuickPower || k < -kQuickPower) return false;
        if (!ScaledWhole(m, e, k, whole, half)) return false;
        if (whole >= high) {
            ++power;
        } else if (whole < low) {
            --power;
        } else {
            break;
        }
    }
    if (half > 0 || (half == 0 && whole % 2 == 1)) ++whole;
    if (whole == high) {
        whole = low;
        ++power;
    }
    return true;
}

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kLittleEndian = true;
#else
constexpr bool kLittleEndian = false;  // the word below holds its digits in memory order
#endif

// The eight digits of x < 10^8 as text in one word, the first in its first
// byte in memory: the halves of four digits each split into pairs, and the
// pairs into digits, every lane at once.
inline std::uint64_t EightDigitsText(std::uint64_t x) {
    const std::uint64_t merged = (x / 10000) | ((x % 10000) << 32);
    const std::uint64_t top = ((merged * 10486) >> 20) & 0x0000007F0000007FULL;
    const std::uint64_t hundreds = ((merged - 100 * top) << 16) + top;
    std::uint64_t tens = ((hundreds * 103) >> 10) & 0x000F000F000F000FULL;
    tens += (hundreds - 10 * tens) << 8;
    return tens + 0x3030303030303030ULL;
}

// WriteGeneral's commonest case: fixed notation (0 ≤ power < digits ≤ 8),
// the digits a word, written whole on each side of the point (the bytes past
// the length are scratch; the caller's room holds them).
DESCSTAT_ALWAYS_INLINE std::size_t WriteShortFixed(char* text, bool negative, std::uint64_t whole,
                                                   int power, int digits) {
    const std::uint64_t word = EightDigitsText(whole) >> (8 * (kWordChars - digits));
    // The fraction's trailing zeros: zero bytes of word ^ '0'... at its top.
    const std::uint64_t marks =
        (word ^ 0x3030303030303030ULL) & (~std::uint64_t{0} >> (8 * (kWordChars - digits)));
    const int zeros = __builtin_clzll(marks) / 8 - (kWordChars - digits);
    const int kept = std::max(digits - zeros, power + 1);
    char* out = text;
    if (negative) *out++ = '-';
    std::memcpy(out, &word, kWordChars);
    if (kept == power + 1) return static_cast<std::size_t>(out - text) + kept;
    out[power + 1] = '.';
    const std::uint64_t fraction = word >> (8 * (power + 1));
    std::memcpy(out + power + 2, &fraction, kWordChars);
    return static_cast<std::size_t>(out - text) + kept + 1;
}

// WriteGeneral's other cases, one digit pair at a time.
DESCSTAT_NOINLINE std::size_t WriteLongerGeneral(char* text, bool negative, std::uint64_t whole,
                                                 int power, int digits) {
    // The digits two at a time from the last.
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    char d[2 * kWordChars];
    std::memset(d, '0', sizeof d);
    int left = digits;
    for (; left >= 2; left -= 2) {
        std::memcpy(d + left - 2, kPairs + 2 * (whole % 100), 2);
        whole /= 100;
    }
    if (left == 1) d[0] = static_cast<char>('0' + whole);
    char* out = text;
    if (negative) *out++ = '-';
    int kept = digits;
    while (kept > 1 && d[kept - 1] == '0') --kept;
    if (power < -4 || power >= digits) {
        *out++ = d[0];
        if (kept > 1) *out++ = '.';
        for (int i = 1; i < kept; ++i) *out++ = d[i];
        *out++ = 'e';
        *out++ = power < 0 ? '-' : '+';
        const int x = power < 0 ? -power : power;
        if (x >= 100) *out++ = static_cast<char>('0' + x / 100);
        *out++ = static_cast<char>('0' + x / 10 % 10);
        *out++ = static_cast<char>('0' + x % 10);
    } else if (power >= 0) {
        for (int i = 0; i <= power; ++i) *out++ = i < kept ? d[i] : '0';
        if (kept > power + 1) *out++ = '.';
        for (int i = power + 1; i < kept; ++i) *out++ = d[i];
    } else {
        *out++ = '0';
        *out++ = '.';
        for (int i = -1; i > power; --i) *out++ = '0';
        for (int i = 0; i < kept; ++i) *out++ = d[i];
    }
    return static_cast<std::size_t>(out - text);
}

// The digits of `whole` (`digits` of them, the first at 10^power) as %g
// writes them: fixed notation for a power from -4 to digits - 1, else
// d.ddde±XX, trailing zeros left out.
DESCSTAT_ALWAYS_INLINE std::size_t WriteGeneral(char* text, bool negative, std::uint64_t whole,
                                                int power, int digits) {
    if (kLittleEndian && digits <= kWordChars && power >= 0 && power < digits) {
        return WriteShortFixed(text, negative, whole, power, digits);
    }
    return WriteLongerGeneral(text, negative, whole, power, digits);
}

// The quick way; 0 when it does not apply.
std::size_t QuickGeneral(char* text, double v, int digits) {
    if (digits > kQuickDigits || v == 0 || !std::isfinite(v)) return 0;
    std::uint64_t whole = 0;
    // A first guess of the power of ten from the power of two, |v| in
    // [2^t, 2^(t+1)): floor(t·log10 2), or one less (the rounding corrects it).
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    int power = ((static_cast<int>(bits >> 52 & 0x7FF) - 1023) * 78913) >> 18;
    if (!RoundedInDoubles(v, digits, whole, power) && !RoundedDigits(v, digits, whole, power)) {
        return 0;
    }
    return WriteGeneral(text, std::signbit(v), whole, power, digits);
}

}  // namespace

std::size_t FormatWrittenGeneral(char* text, std::int64_t digits, int scale, int n) {
    if (digits == 0 || n < 1 || n > kQuickDigits) return 0;
    const bool negative = digits < 0;
    std::uint64_t whole =
        negative ? 0 - static_cast<std::uint64_t>(digits) : static_cast<std::uint64_t>(digits);
    // How many digits it has: floor(bits·log10 2) (1233 / 2^12 is log10 2
    // to within 10^-4, enough below 64 bits) or one more.
    int count = ((64 - __builtin_clzll(whole)) * 1233) >> 12;
    if (whole >= kPowersOfTen[count]) ++count;
    int power = count - 1 + scale;
    if (count <= n) return WriteGeneral(text, negative, whole * kPowersOfTen[n - count], power, n);
    // Rounded to n digits: a tie is the double's to decide.
    const std::uint64_t unit = kPowersOfTen[count - n];
    const std::uint64_t rest = whole % unit;
    whole /= unit;
    if (rest == unit / 2) return 0;
    if (rest > unit / 2 && ++whole == kPowersOfTen[n]) {
        whole = kPowersOfTen[n - 1];
        ++power;
    }
    return WriteGeneral(text, negative, whole, power, n);
}

std::size_t FormatGeneral(char* text, double v, int digits) {
    const std::size_t quick = QuickGeneral(text, v, digits);
    if (quick > 0) return quick;
    const std::to_chars_result r =
        std::to_chars(text, text + kGeneralChars, v, std::chars_format::general, digits);
    return static_cast<std::size_t>(r.ptr - text);
}

}  // namespace descstat
