#include "app/Fields.h"

#include "mylib/StrFunc.h"

namespace descstat {

namespace {

// A blank around a field; the separator itself never is one.
bool IsPadding(char c, char separator) { return c != separator && myLib::IsBlnk(c); }

// Reads the field that starts at `pos` into `field` and gives the index where
// it ends: at its separator, or at the end of the line.
std::size_t ReadField(const std::string& line, std::size_t pos, char separator,
                      std::string& field) {
    const std::size_t n = line.size();
    field.clear();
    while (pos < n && IsPadding(line[pos], separator)) ++pos;
    if (pos < n && line[pos] == '"') {
        // Quoted: up to the quote that is not doubled; whatever stands
        // between that quote and the separator is kept, blanks aside.
        for (++pos; pos < n; ++pos) {
            if (line[pos] != '"') {
                field += line[pos];
            } else if (pos + 1 < n && line[pos + 1] == '"') {
                field += '"';
                ++pos;
            } else {
                ++pos;
                break;
            }
        }
    }
    const std::size_t rest = field.size();
    while (pos < n && line[pos] != separator) field += line[pos++];
    std::size_t keep = field.size();
    while (keep > rest && IsPadding(field[keep - 1], separator)) --keep;
    field.resize(keep);
    return pos;
}

// From a quoted field's opening quote at `pos`, the index just after its
// closing quote (a doubled quote is none), or npos when none closes it.
std::size_t AfterClosingQuote(const std::string& line, std::size_t pos) {
    const std::size_t n = line.size();
    for (++pos; pos < n; ++pos) {
        if (line[pos] != '"') continue;
        if (pos + 1 < n && line[pos + 1] == '"') {
            ++pos;
        } else {
            return pos + 1;
        }
    }
    return std::string::npos;
}

}  // namespace

bool QuoteOpen(const std::string& line, char separator) {
    const std::size_t n = line.size();
    std::size_t pos = 0;
    for (;;) {
        while (pos < n && IsPadding(line[pos], separator)) ++pos;
        if (pos < n && line[pos] == '"') {
            pos = AfterClosingQuote(line, pos);
            if (pos == std::string::npos) return true;
        }
        while (pos < n && line[pos] != separator) ++pos;
        if (pos >= n) return false;
        ++pos;
    }
}

bool NthField(const std::string& line, char separator, int index, std::string& field) {
    if (separator == '\0') {
        myLib::GetFld(line, index, field);
        return !field.empty();
    }
    std::size_t pos = ReadField(line, 0, separator, field);
    for (int i = 0; i < index; ++i) {
        if (pos >= line.size()) return false;
        pos = ReadField(line, pos + 1, separator, field);
    }
    return true;
}

std::vector<std::string> AllFields(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::string field;
    for (int i = 0; NthField(line, separator, i, field); ++i) fields.push_back(field);
    return fields;
}

}  // namespace descstat
