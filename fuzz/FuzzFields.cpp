// Fuzz target: arbitrary bytes as a line. GetFld must split it into blank-free
// substrings that survive joining and splitting again; StrToDbl must give what
// strtod gives for the longest prefix the stream's number grammar accepts, or
// NaN where that prefix is no complete number or is out of range.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "mylib/StrFunc.h"

namespace {

using myLib::GetFld;
using myLib::IsBlnk;

std::vector<std::string> Fields(const std::string& s) {
    std::vector<std::string> fields;
    for (int n = 0;; ++n) {
        std::string f = GetFld(s, n);
        if (f.empty()) return fields;
        fields.push_back(std::move(f));
    }
}

void CheckFields(const std::string& s) {
    fuzz::Check(GetFld(s, -1).empty(), "a negative index gives no field");
    const std::vector<std::string> fields = Fields(s);
    std::string joined;
    for (const std::string& f : fields) {
        for (char c : f) fuzz::Check(!IsBlnk(c), "a field holds no blank");
        fuzz::Check(s.find(f) != std::string::npos, "a field is a substring of its line");
        if (!joined.empty()) joined += ' ';
        joined += f;
    }
    fuzz::Check(Fields(joined) == fields, "joining and splitting again gives the same fields");
    std::size_t nonBlank = 0;
    for (char c : s) nonBlank += IsBlnk(c) ? 0 : 1;
    std::size_t fieldBytes = 0;
    for (const std::string& f : fields) fieldBytes += f.size();
    fuzz::Check(fieldBytes == nonBlank, "the fields hold every non-blank byte");
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What the stream's extraction gathers: white space skipped, an optional sign,
// digits with one optional decimal point, and once a digit was seen an exponent
// letter with an optional sign and digits. The gathered text must then be a
// whole number for strtod, in range.
double Expected(const std::string& s) {
    const double nan = std::nan("");
    std::size_t i = 0;
    while (i < s.size() && std::strchr(" \t\n\v\f\r", s[i]) != nullptr && s[i] != '\0') ++i;
    std::string gathered;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) gathered += s[i++];
    bool digit = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (IsDigit(s[i])) {
            digit = true;
        } else if (s[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
        gathered += s[i];
    }
    if (digit && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        gathered += s[i++];
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) gathered += s[i++];
        while (i < s.size() && IsDigit(s[i])) gathered += s[i++];
    }
    char* end = nullptr;
    const double v = std::strtod(gathered.c_str(), &end);
    if (gathered.empty() || *end != '\0' || std::isinf(v)) return nan;
    return v;
}

void CheckNumber(const std::string& s) {
    const double got = static_cast<double>(myLib::StrToDbl(s));
    const double want = Expected(s);
    if (std::isnan(want)) {
        fuzz::Check(std::isnan(got) && !std::signbit(got), "a failed conversion is NaN");
    } else {
        fuzz::Check(got == want && std::signbit(got) == std::signbit(want),
                    "StrToDbl agrees with strtod");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string s(reinterpret_cast<const char*>(data), size);
    CheckFields(s);
    CheckNumber(s);
    CheckNumber(GetFld(s, 0));
    return 0;
}
