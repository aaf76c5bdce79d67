// The benchmark's floor: the least a program has to do to give the five
// statistics of a data file, against which the benchmark weighs descstat's
// instructions per value. It is not built into descstat and shares none of its
// code.
//
// Usage: floor [--plain] DATA (scripts/bench.py builds it as build/bench/floor)
//
// DATA is a marker file: free text, a line starting with /, one number per
// line, a line starting with /. The output is two tab-separated lines, the
// names and the values of n, mean, variance, sd, unbiased_variance and
// unbiased_sd.
//
// By default every value is taken as the decimal it is written as, ±m × 10^e
// (m of at most 19 significant digits, e from -99 to 99), and m and m² are
// summed exactly for each power of ten; the results are then formed exactly
// and rounded once to 17 significant digits, ties to even, and written as
// printf's %.17g writes them but without trailing zeros. This is what
// `descstat -F tsv -d 17` gives for values of up to 15 significant digits
// (descstat takes a longer one as the shortest decimal of its double). With
// --plain each value is converted to a double by std::from_chars and summed
// in doubles.
//
// Exit status: 0 done, 1 the command line or the file could not be used,
// 2 the data holds a line that is no number this program takes, or no value.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using u64 = std::uint64_t;
__extension__ typedef unsigned __int128 u128;  // NOLINT(modernize-use-using)

// A natural number of any size in 32-bit limbs, least significant first,
// without leading zero limbs (zero is empty).
using BigNat = std::vector<std::uint32_t>;

constexpr u64 kPow10_16 = 10000000000000000ULL;
constexpr u64 kPow10_17 = 100000000000000000ULL;
constexpr u64 kPow10_19 = 10000000000000000000ULL;

// Drops the leading zero limbs.
void Trim(BigNat& a) {
    while (!a.empty() && a.back() == 0) a.pop_back();
}

// The number v as a BigNat.
BigNat FromU128(u128 v) {
    BigNat a;
    for (; v != 0; v >>= 32) a.push_back(static_cast<std::uint32_t>(v));
    return a;
}

// a · k.
BigNat Times(const BigNat& a, u64 k) {
    BigNat r;
    u128 carry = 0;
    for (std::uint32_t limb : a) {
        carry += static_cast<u128>(limb) * k;
        r.push_back(static_cast<std::uint32_t>(carry));
        carry >>= 32;
    }
    for (; carry != 0; carry >>= 32) r.push_back(static_cast<std::uint32_t>(carry));
    Trim(r);
    return r;
}

// a · b.
BigNat Product(const BigNat& a, const BigNat& b) {
    BigNat r(a.size() + b.size(), 0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        u64 carry = 0;
        for (std::size_t j = 0; j < b.size(); ++j) {
            carry += static_cast<u64>(a[i]) * b[j] + r[i + j];
            r[i + j] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        r[i + b.size()] = static_cast<std::uint32_t>(carry);
    }
    Trim(r);
    return r;
}

// a + b.
BigNat Plus(const BigNat& a, const BigNat& b) {
    BigNat r;
    u64 carry = 0;
    for (std::size_t i = 0; i < a.size() || i < b.size() || carry != 0; ++i) {
        carry += (i < a.size() ? a[i] : 0U) + static_cast<u64>(i < b.size() ? b[i] : 0U);
        r.push_back(static_cast<std::uint32_t>(carry));
        carry >>= 32;
    }
    Trim(r);
    return r;
}

// a − b, for a ≥ b.
BigNat Minus(const BigNat& a, const BigNat& b) {
    BigNat r(a);
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < r.size(); ++i) {
        borrow += static_cast<std::int64_t>(r[i]) - (i < b.size() ? b[i] : 0U);
        r[i] = static_cast<std::uint32_t>(borrow);
        borrow = borrow < 0 ? -1 : 0;
    }
    Trim(r);
    return r;
}

// −1, 0 or 1 as a is below, equal to or above b.
int Compare(const BigNat& a, const BigNat& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

// floor(a / d), for d > 0.
BigNat DividedBy(const BigNat& a, u64 d) {
    BigNat q(a.size(), 0);
    u128 rest = 0;
    for (std::size_t i = a.size(); i-- > 0;) {
        rest = (rest << 32) | a[i];
        q[i] = static_cast<std::uint32_t>(rest / d);
        rest %= d;
    }
    Trim(q);
    return q;
}

// a · 10^k, for k ≥ 0.
BigNat TimesPow10(BigNat a, int k) {
    for (; k >= 19; k -= 19) a = Times(a, kPow10_19);
    for (; k > 0; --k) a = Times(a, 10);
    return a;
}

// floor(a / 10^k), for k ≥ 0.
BigNat DividedByPow10(BigNat a, int k) {
    for (; k >= 19; k -= 19) a = DividedBy(a, kPow10_19);
    for (; k > 0; --k) a = DividedBy(a, 10);
    return a;
}

// The comparison of a · 10^ka with b · 10^kb.
int CompareScaled(BigNat a, int ka, BigNat b, int kb) {
    if (ka >= kb) return Compare(TimesPow10(std::move(a), ka - kb), b);
    return Compare(a, TimesPow10(std::move(b), kb - ka));
}

// About log10(a), for a > 0: enough to place the leading digit within one.
double Log10(const BigNat& a) {
    double top = a.back();
    if (a.size() > 1) top = top * 4294967296.0 + a[a.size() - 2];
    return std::log10(top) +
           32.0 * static_cast<double>(a.size() < 2 ? 0 : a.size() - 2) * std::log10(2.0);
}

// The value of a BigNat below 2^128, or false for a larger one.
bool ToU128(const BigNat& a, u128& v) {
    if (a.size() > 4) return false;
    v = 0;
    for (std::size_t i = a.size(); i-- > 0;) v = (v << 32) | a[i];
    return true;
}

// floor(sqrt(x)), for x below 10^34.
u64 SquareRootFloor(u128 x) {
    auto s = static_cast<u64>(std::sqrt(static_cast<double>(x)));
    while (static_cast<u128>(s) * s > x) --s;
    while (static_cast<u128>(s + 1) * (s + 1) <= x) ++s;
    return s;
}

// A quotient num / (d1 · d2) · 10^exp10 (d1, d2 > 0), or the square root of
// num / (d1 · d2) · 10^(2 · exp10) when `root`.
struct Exact {
    BigNat num;
    u64 d1 = 1;
    u64 d2 = 1;
    int exp10 = 0;
    bool root = false;
};

// The decimal digits × 10^exponent: 17 significant digits, or zero.
struct Rounded {
    u64 digits = 0;
    int exponent = 0;
};

// floor(num · 10^p / (d1 · d2)), p of any sign.
BigNat ScaledFloor(const Exact& x, int p) {
    if (p >= 0) return DividedBy(DividedBy(TimesPow10(x.num, p), x.d1), x.d2);
    return DividedByPow10(DividedBy(DividedBy(x.num, x.d1), x.d2), -p);
}

// The 17 significant digits of the value truncated at 10^-j, or false when
// they are fewer or more than 17 (`digits` then says which).
bool DigitsAt(const Exact& x, int j, u64& digits) {
    u128 scaled = 0;
    if (!ToU128(ScaledFloor(x, x.root ? 2 * j : j), scaled)) {
        digits = kPow10_17;
        return false;
    }
    if (x.root) {
        digits = scaled >= static_cast<u128>(kPow10_17) * kPow10_17 ? kPow10_17
                                                                    : SquareRootFloor(scaled);
    } else {
        digits = scaled >= kPow10_17 ? kPow10_17 : static_cast<u64>(scaled);
    }
    return digits >= kPow10_16 && digits < kPow10_17;
}

// The value rounded once to 17 significant digits, ties to even.
Rounded RoundTo17(const Exact& x) {
    Rounded r;
    if (x.num.empty()) return r;
    double log10 = Log10(x.num) - std::log10(static_cast<double>(x.d1)) -
                   std::log10(static_cast<double>(x.d2));
    int j = 16 - static_cast<int>(std::floor(x.root ? log10 / 2 : log10));
    u64 q = 0;
    while (!DigitsAt(x, j, q)) j += q >= kPow10_17 ? -1 : 1;
    // Up when num / D · 10^p lies above (q + 1/2) (its square for a root).
    u128 half = 2 * static_cast<u128>(q) + 1;
    if (x.root) half *= half;
    int p = x.root ? 2 * j : j;
    int side =
        CompareScaled(Times(x.num, x.root ? 4 : 2), p, Times(Times(FromU128(half), x.d1), x.d2), 0);
    if (side > 0 || (side == 0 && q % 2 == 1)) ++q;
    if (q == kPow10_17) {
        q = kPow10_16;
        --j;
    }
    r.digits = q;
    r.exponent = x.exp10 - j;
    return r;
}

// The rounded value as %.17g writes it, without trailing zeros.
std::string DecimalText(const Rounded& r, bool negative) {
    if (r.digits == 0) return "0";
    std::string digits = std::to_string(r.digits);
    int lead = r.exponent + 16;  // the leading digit's power of ten
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string text = negative ? "-" : "";
    if (lead < -4 || lead > 16) {
        text += digits.substr(0, 1);
        if (digits.size() > 1) text += "." + digits.substr(1);
        int size = std::abs(lead);
        return text + (lead < 0 ? "e-" : "e+") + (size < 10 ? "0" : "") + std::to_string(size);
    }
    if (lead < 0) return text + "0." + std::string(-lead - 1, '0') + digits;
    if (digits.size() <= static_cast<std::size_t>(lead) + 1) {
        return text + digits + std::string(lead + 1 - digits.size(), '0');
    }
    return text + digits.substr(0, lead + 1) + "." + digits.substr(lead + 1);
}

// The exact sums of the values written with one power of ten: Σm (by
// sign) and Σm² in 192 bits.
struct PowerSums {
    u128 positive = 0;
    u128 negative = 0;
    u128 squares_low = 0;
    u64 squares_high = 0;
};

// The powers of ten a value's last digit may have.
constexpr int kLowestExponent = -99;
constexpr int kHighestExponent = 99;

// The exact sums over all values, by the power of ten they are written in.
struct ExactSums {
    u64 n = 0;
    int lowest = kHighestExponent + 1;
    int highest = kLowestExponent - 1;
    std::array<PowerSums, kHighestExponent - kLowestExponent + 1> by_power{};
};

// Reads the digits at p into m (wrapping around past 19 digits); p is left
// after them.
void ReadDigits(const char*& p, u64& m) {
    for (auto d = static_cast<unsigned>(*p - '0'); d <= 9; d = static_cast<unsigned>(*p - '0')) {
        m = m * 10 + d;
        ++p;
    }
}

// The significant digits between `from` and `to` (digits and a point).
int SignificantDigits(const char* from, const char* to) {
    while (from < to && (*from == '0' || *from == '.')) ++from;
    int digits = 0;
    for (; from < to; ++from) digits += *from == '.' ? 0 : 1;
    return digits;
}

// Reads an exponent e±digits at p, if there is one, into `exponent` (at
// most 99999 in size); p is left after it. False when e has no digits.
bool ReadExponent(const char*& p, int& exponent) {
    exponent = 0;
    if (*p != 'e' && *p != 'E') return true;
    ++p;
    bool below = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (static_cast<unsigned>(*p - '0') > 9) return false;
    for (; static_cast<unsigned>(*p - '0') <= 9; ++p) {
        if (exponent < 10000) exponent = exponent * 10 + (*p - '0');
    }
    if (below) exponent = -exponent;
    return true;
}

// Reads a decimal ±digits[.digits][e±digits] at p into m, its power of ten
// and its sign; p is left after it. False when there is none or it has more
// than 19 significant digits.
bool ReadDecimal(const char*& p, u64& m, int& power, bool& negative) {
    negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    const char* start = p;
    m = 0;
    ReadDigits(p, m);
    std::ptrdiff_t digits = p - start;
    std::ptrdiff_t fraction = 0;
    if (*p == '.') {
        const char* point = ++p;
        ReadDigits(p, m);
        fraction = p - point;
        digits += fraction;
    }
    if (digits == 0 || (digits > 19 && SignificantDigits(start, p) > 19)) return false;
    int exponent = 0;
    if (!ReadExponent(p, exponent)) return false;
    power = exponent - static_cast<int>(fraction);
    return true;
}

// Adds ±m × 10^power to the sums; false when the power is out of range.
bool AddExact(ExactSums& s, u64 m, int power, bool negative) {
    ++s.n;
    if (m == 0) return true;
    if (power < kLowestExponent || power > kHighestExponent) return false;
    PowerSums& b = s.by_power[power - kLowestExponent];
    (negative ? b.negative : b.positive) += m;
    u128 square = static_cast<u128>(m) * m;
    b.squares_low += square;
    b.squares_high += b.squares_low < square ? 1 : 0;
    if (power < s.lowest) s.lowest = power;
    if (power > s.highest) s.highest = power;
    return true;
}

// The plain sums: Σx and Σx² in doubles.
struct PlainSums {
    u64 n = 0;
    double sum = 0;
    double squares = 0;
};

// Skips blanks (and a CR) at p.
void SkipBlanks(const char*& p) {
    while (*p == ' ' || *p == '\t' || *p == '\r') ++p;
}

// Skips blanks and a CR after a number; true when the line then ends.
bool AtLineEnd(const char*& p) {
    SkipBlanks(p);
    if (*p == '\n') {
        ++p;
        return true;
    }
    return *p == '\0';
}

// The first value line: the one after the first line starting with '/', or
// nullptr when there is none.
const char* FirstValue(const char* p) {
    while (*p != '\0') {
        bool marker = *p == '/';
        const char* end = std::strchr(p, '\n');
        p = end == nullptr ? p + std::strlen(p) : end + 1;
        if (marker) return p;
    }
    return nullptr;
}

// Sums the value lines from p exactly; the line number of the first one it
// cannot take (counting from the first value line; an empty one included),
// or 0.
u64 SumExact(const char* p, ExactSums& s) {
    for (u64 line = 1; *p != '\0' && *p != '/'; ++line) {
        SkipBlanks(p);
        u64 m = 0;
        int power = 0;
        bool negative = false;
        if (!ReadDecimal(p, m, power, negative) || !AtLineEnd(p) ||
            !AddExact(s, m, power, negative)) {
            return line;
        }
    }
    return 0;
}

// Sums the value lines from p (the text ends at `end`) in doubles; as SumExact.
u64 SumPlain(const char* p, const char* end, PlainSums& s) {
    for (u64 line = 1; *p != '\0' && *p != '/'; ++line) {
        SkipBlanks(p);
        if (*p == '+') ++p;
        double x = 0;
        auto [after, error] = std::from_chars(p, end, x);
        p = after;
        if (error != std::errc() || !AtLineEnd(p)) return line;
        ++s.n;
        s.sum += x;
        s.squares += x * x;
    }
    return 0;
}

// The 192-bit Σm² of one power of ten.
BigNat Squares(const PowerSums& b) {
    BigNat r;
    for (int i = 0; i < 4; ++i) r.push_back(static_cast<std::uint32_t>(b.squares_low >> (32 * i)));
    r.push_back(static_cast<std::uint32_t>(b.squares_high));
    r.push_back(static_cast<std::uint32_t>(b.squares_high >> 32));
    Trim(r);
    return r;
}

// Prints the header and the exact row.
void PrintExact(const ExactSums& s) {
    BigNat positive, negative, squares;
    for (int power = s.lowest; power <= s.highest; ++power) {
        const PowerSums& b = s.by_power[power - kLowestExponent];
        int shift = power - s.lowest;
        positive = Plus(positive, TimesPow10(FromU128(b.positive), shift));
        negative = Plus(negative, TimesPow10(FromU128(b.negative), shift));
        squares = Plus(squares, TimesPow10(Squares(b), 2 * shift));
    }
    bool below = Compare(positive, negative) < 0;
    BigNat sum = below ? Minus(negative, positive) : Minus(positive, negative);
    // n·Σx² − (Σx)², never negative.
    BigNat spread = Minus(Times(squares, s.n), Product(sum, sum));
    int low = s.highest < s.lowest ? 0 : s.lowest;
    std::string row = std::to_string(s.n);
    row += "\t" + DecimalText(RoundTo17({sum, s.n, 1, low, false}), below);
    row += "\t" + DecimalText(RoundTo17({spread, s.n, s.n, 2 * low, false}), false);
    row += "\t" + DecimalText(RoundTo17({spread, s.n, s.n, low, true}), false);
    if (s.n > 1) {
        row += "\t" + DecimalText(RoundTo17({spread, s.n, s.n - 1, 2 * low, false}), false);
        row += "\t" + DecimalText(RoundTo17({spread, s.n, s.n - 1, low, true}), false);
    } else {
        row += "\t\t";
    }
    std::printf("n\tmean\tvariance\tsd\tunbiased_variance\tunbiased_sd\n%s\n", row.c_str());
}

// Prints the header and the plain row.
void PrintPlain(const PlainSums& s) {
    auto n = static_cast<double>(s.n);
    double mean = s.sum / n;
    double spread = s.squares - s.sum * mean;
    double unbiased = s.n > 1 ? spread / (n - 1) : std::nan("");
    std::printf("n\tmean\tvariance\tsd\tunbiased_variance\tunbiased_sd\n");
    std::printf("%llu\t%.17g\t%.17g\t%.17g\t%.17g\t%.17g\n", static_cast<unsigned long long>(s.n),
                mean, spread / n, std::sqrt(spread / n), unbiased, std::sqrt(unbiased));
}

// The whole file, followed by a NUL; false when it cannot be read.
bool ReadWhole(const char* name, std::unique_ptr<char[]>& text, std::size_t& size) {
    int fd = open(name, O_RDONLY);
    if (fd < 0) return false;
    struct stat st = {};
    bool ok = fstat(fd, &st) == 0;
    size = ok ? static_cast<std::size_t>(st.st_size) : 0;
    text.reset(new char[size + 1]);
    std::size_t done = 0;
    while (ok && done < size) {
        ssize_t got = read(fd, text.get() + done, size - done);
        ok = got > 0;
        done += ok ? static_cast<std::size_t>(got) : 0;
    }
    close(fd);
    text[done] = '\0';
    return ok;
}

// Says what went wrong on standard error; the exit status `code`.
int Fail(const std::string& message, int code) {
    static_cast<void>(std::fputs(("floor: " + message + "\n").c_str(), stderr));
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    bool plain = argc == 3 && std::strcmp(argv[1], "--plain") == 0;
    if (argc != (plain ? 3 : 2)) {
        return Fail("usage: floor [--plain] DATA", 1);
    }
    const char* name = argv[argc - 1];
    std::unique_ptr<char[]> text;
    std::size_t size = 0;
    if (!ReadWhole(name, text, size)) {
        return Fail(std::string("cannot read ") + name, 1);
    }
    const char* first = FirstValue(text.get());
    if (first == nullptr) {
        return Fail(std::string(name) + " has no line starting with /", 2);
    }
    PlainSums plain_sums;
    auto exact_sums = std::make_unique<ExactSums>();
    u64 bad = plain ? SumPlain(first, text.get() + size, plain_sums) : SumExact(first, *exact_sums);
    if (bad != 0) {
        return Fail(
            std::string(name) + ": value line " + std::to_string(bad) + " is no number taken here",
            2);
    }
    if ((plain ? plain_sums.n : exact_sums->n) == 0) {
        return Fail(std::string(name) + " has no value", 2);
    }
    if (plain) {
        PrintPlain(plain_sums);
    } else {
        PrintExact(*exact_sums);
    }
    return 0;
}
