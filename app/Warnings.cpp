#include "app/Warnings.h"

#include "app/Messages.h"
#include "app/Options.h"
#include "app/Report.h"
#include "app/Shown.h"

namespace descstat {

namespace {

// A table's column as a warning names it: by the header line's name, or by
// its number.
std::string ColumnText(const LineRemark& remark) {
    if (remark.column.empty()) return "field " + std::to_string(remark.fieldNumber);
    return "column '" + Shown(remark.column) + "'";
}

}  // namespace

std::string WarningText(const LineRemark& remark) {
    const char* fate = remark.leftOut ? ": left out" : ": read as nan";
    switch (remark.kind) {
        case LineRemark::kNumberAtStart:
            // In the notation of --digits=0, so that both say one value alike.
            return "'" + Shown(remark.field) + "' read as " +
                   NumberText(remark.value, kShortestDigits);
        case LineRemark::kNoNumber: return "'" + Shown(remark.field) + "' holds no number" + fate;
        case LineRemark::kEmptyLine: return std::string("an empty line holds no number") + fate;
        case LineRemark::kNoSuchField:
            return "the line has no field " + std::to_string(remark.fieldNumber) + fate;
        case LineRemark::kMissingCell:
            return "'" + Shown(remark.field) + "' in " + ColumnText(remark) +
                   " is no number: counted as missing";
        case LineRemark::kTextColumn:
            return ColumnText(remark) + " holds text ('" + Shown(remark.field) +
                   "' here) among its numbers: not read (-f " + std::to_string(remark.fieldNumber) +
                   " reads its numbers)";
        case LineRemark::kLongRow:
            return "the row has " + std::to_string(remark.fieldNumber) + " fields, more than the " +
                   NumberText(remark.value, kShortestDigits) +
                   " of the first rows: the rest is not read";
    }
    return {};
}

void Warnings::EraseProgress() const {
    if (progress_ != nullptr) progress_->Erase();
}

void Warnings::Remark(const LineRemark& remark) {
    if (++count_ > kMaxWarnings) return;
    EraseProgress();
    err_ << kProgramPrefix << Shown(file_) << ':' << remark.line << ": " << WarningText(remark)
         << std::endl;
}

void Warnings::CrLineEnds() {
    EraseProgress();
    err_ << kProgramPrefix << Shown(file_) << ": CR line ends (each lone CR ends a line)"
         << std::endl;
}

void Warnings::Finish() {
    if (count_ <= kMaxWarnings) return;
    EraseProgress();
    err_ << kProgramPrefix << Shown(file_) << ": " << count_ - kMaxWarnings
         << " more lines whose field is not wholly a number" << std::endl;
}

}  // namespace descstat
