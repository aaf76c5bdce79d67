// Fuzz target: any bytes as a field. StrToDbl must give exactly what the
// classic-locale stream extraction of a double gives (NaN where it fails), bit
// for bit: the same grammar, the same rounding, the same overflow and
// underflow. The decimal it keeps as written must be that number. The same
// bytes as value lines: each line the quick reader takes (QuickValueLines)
// has the value and the decimal the common way gives its first field.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "mylib/StrFunc.h"

namespace {

double StreamExtraction(const std::string& s) {
    std::istringstream in(s);
    in.imbue(std::locale::classic());
    double value = 0.0;
    in >> value;
    return in.fail() ? std::numeric_limits<double>::quiet_NaN() : value;
}

bool SameBits(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);  // -0 is not 0
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string s(reinterpret_cast<const char*>(data), size);
    const auto got = static_cast<double>(myLib::StrToDbl(s));
    fuzz::Check(SameBits(got, StreamExtraction(s)), "StrToDbl agrees with the stream extraction");
    // The decimal as written, where known, is the number read: written out
    // as digits and exponent it converts to the same double.
    myLib::WrittenNumber written;
    const char* end = nullptr;
    (void)myLib::StrToDbl(s.data(), s.data() + s.size(), end, written);
    if (written.known && std::isfinite(got)) {
        const std::string text =
            std::to_string(written.digits) + "e" + std::to_string(written.scale);
        fuzz::Check(std::strtod(text.c_str(), nullptr) == got,
                    "the written decimal is the number read");
    }
    // The quick reader over the bytes (in a buffer of their exact size, so
    // that a word read past them is caught), line by line.
    const std::vector<char> bytes(s.begin(), s.end());
    const char* p = bytes.data();
    const char* const last = p + bytes.size();
    myLib::QuickNumber number;
    while (p < last) {
        const char* const line = p;
        if (myLib::QuickValueLines(p, last, last, 998, &number, 1) == 0) {
            const void* feed = std::memchr(p, '\n', static_cast<std::size_t>(last - p));
            if (feed == nullptr) break;
            p = static_cast<const char*>(feed) + 1;
            continue;
        }
        std::string text(line, p - 1);  // up to its line feed
        if (!text.empty() && text.back() == '\r') text.pop_back();
        fuzz::Check(text.find('\r') == std::string::npos, "a quick line holds no lone CR");
        std::size_t begin = 0;
        std::size_t fieldEnd = 0;
        fuzz::Check(myLib::FindFld(text, 0, begin, fieldEnd), "a quick line has a field");
        myLib::WrittenNumber common;
        const char* stop = nullptr;
        const auto value = static_cast<double>(
            myLib::StrToDbl(text.data() + begin, text.data() + fieldEnd, stop, common));
        fuzz::Check(stop == text.data() + fieldEnd, "a quick line's field is wholly a number");
        fuzz::Check(SameBits(number.value, value), "a quick line's value is the common one");
        fuzz::Check(common.known && number.digits == common.digits && number.scale == common.scale,
                    "a quick line's decimal is the common one");
    }
    return 0;
}
