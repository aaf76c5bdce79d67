#include "app/Warnings.h"

#include "app/Messages.h"
#include "app/Options.h"
#include "app/Report.h"
#include "app/Shown.h"

namespace descstat {

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
