// Fuzz target: arbitrary bytes as CSV fields. The first byte chooses the
// separator; the rest, split at line ends, are the fields. Each field quoted
// as a CSV writer quotes it (quotes doubled), with blanks around, and joined
// by the separator, must split back into exactly those fields. The bytes as
// one line must split without fault, every field by index agreeing with the
// whole list. A line as a writer writes it leaves no quote open; without
// its last closing quote it leaves one open, so that the data file's reader
// takes the next line to it.
#include <string>
#include <vector>

#include "app/Fields.h"
#include "fuzz/FuzzSupport.h"

namespace {

constexpr char kSeparators[] = {',', ';', '|', '\t', ' ', 'x'};

// A field as a CSV writer quotes it, with a blank around it (unless blanks
// separate the fields).
std::string Quoted(const std::string& field, char separator) {
    const std::string pad = separator == ' ' ? "" : " ";
    std::string out = pad + "\"";
    for (const char c : field) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"" + pad;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char separator = kSeparators[data[0] % sizeof kSeparators];
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::vector<std::string> fields(1);
    for (const char c : rest) {
        if (c == '\n') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += separator;
        line += Quoted(fields[i], separator);
    }
    fuzz::Check(descstat::AllFields(line, separator) == fields,
                "quoted fields split back into themselves");
    fuzz::Check(!descstat::QuoteOpen(line, separator), "a written line closes its quotes");
    const std::size_t lastQuote = line.rfind('"');
    fuzz::Check(descstat::QuoteOpen(line.substr(0, lastQuote), separator),
                "a line without its last closing quote leaves it open");

    const std::vector<std::string> all = descstat::AllFields(rest, separator);
    std::string field;
    for (std::size_t i = 0; i < all.size(); ++i) {
        fuzz::Check(
            descstat::NthField(rest, separator, static_cast<int>(i), field) && field == all[i],
            "a field by index is the field of the list");
    }
    fuzz::Check(!descstat::NthField(rest, separator, static_cast<int>(all.size()), field),
                "no field after the last");
    return 0;
}
