#include "mylib/StrFunc.h"

#include <limits>
#include <locale>
#include <sstream>

namespace myLib {

bool IsBlnk(char c) { return c == ' ' || c == '\t'; }

std::string GetFld(std::string s, int n) {
    if (n < 0) return std::string();
    const std::size_t size = s.size();
    std::size_t pos = 0;
    for (int skipped = 0; skipped < n && pos < size; ++skipped) {
        while (pos < size && IsBlnk(s[pos])) ++pos;
        while (pos < size && !IsBlnk(s[pos])) ++pos;
    }
    while (pos < size && IsBlnk(s[pos])) ++pos;
    const std::size_t begin = pos;
    while (pos < size && !IsBlnk(s[pos])) ++pos;
    return s.substr(begin, pos - begin);
}

long double StrToDbl(std::string s) {  // NOLINT(performance-unnecessary-value-param)
    std::istringstream in(s, std::ios_base::in);
    in.imbue(std::locale::classic());
    double value = 0.0;
    in >> value;
    if (in.fail()) return std::numeric_limits<double>::quiet_NaN();
    return value;
}

}  // namespace myLib
