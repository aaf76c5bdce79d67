#include "app/Decimal.h"

#include <charconv>
#include <cstdlib>
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

}  // namespace descstat
