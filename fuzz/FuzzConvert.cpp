// Fuzz target: any bytes as a field. StrToDbl must give exactly what the
// classic-locale stream extraction of a double gives (NaN where it fails), bit
// for bit: the same grammar, the same rounding, the same overflow and
// underflow. The decimal it keeps as written must be that number.
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale>
#include <sstream>
#include <string>

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
    return 0;
}
