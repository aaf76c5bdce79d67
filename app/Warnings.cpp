#include "app/Warnings.h"

#include <charconv>
#include <cmath>

#include "app/Messages.h"
#include "app/Shown.h"

namespace descstat {

namespace {

// The value as the shortest text that reads back as the same double.
std::string Shortest(double v) {
    char text[32];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, v);
    return std::string(text, r.ptr);
}

}  // namespace

std::string WarningText(const LineRemark& remark) {
    const char* fate = remark.leftOut ? ": left out" : ": read as nan";
    switch (remark.kind) {
        case LineRemark::kNumberAtStart:
            return "'" + Shown(remark.field) + "' read as " + Shortest(remark.value);
        case LineRemark::kNoNumber: return "'" + Shown(remark.field) + "' holds no number" + fate;
        case LineRemark::kEmptyLine: return std::string("an empty line holds no number") + fate;
        case LineRemark::kNoSuchField:
            return "the line has no field " + std::to_string(remark.fieldNumber) + fate;
    }
    return {};
}

void Warnings::Remark(const LineRemark& remark) {
    if (++count_ > kMaxWarnings) return;
    err_ << kProgramPrefix << Shown(file_) << ':' << remark.line << ": " << WarningText(remark)
         << std::endl;
}

void Warnings::CrLineEnds() {
    err_ << kProgramPrefix << Shown(file_) << ": CR line ends (each lone CR ends a line)"
         << std::endl;
}

void Warnings::Finish() {
    if (count_ <= kMaxWarnings) return;
    err_ << kProgramPrefix << Shown(file_) << ": " << count_ - kMaxWarnings
         << " more lines whose field is not wholly a number" << std::endl;
}

}  // namespace descstat
