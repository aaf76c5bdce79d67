#include "app/ReportFile.h"

#include <cerrno>
#include <cstdio>

#include "app/Platform.h"

namespace descstat {

namespace {

// The report is written in large blocks and flushed once at the end.
constexpr std::size_t kReportBuffer = 1 << 16;

}  // namespace

ReportFile::~ReportFile() { Discard(); }

void ReportFile::Discard() {
    if (newFile_.empty()) return;
    if (file_.is_open()) file_.close();
    (void)std::remove(newFile_.c_str());
    platform::ForgetOnSignal();
    newFile_.clear();
}

Outcome ReportFile::Open(const std::string& name, std::ios_base::openmode mode) {
    buffer_.resize(kReportBuffer);
    file_.rdbuf()->pubsetbuf(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    const platform::ReportTarget target = platform::TargetOf(name);
    if (target.replace && platform::CreateFileBeside(target.path, newFile_)) {
        platform::TakePermissions(target.path, newFile_);
        target_ = target.path;
        errno = 0;
        file_.open(newFile_, mode);
        if (file_.is_open()) return {};
        const int reason = errno;
        Discard();
        return {Failure::kOpenOutput, reason};
    }
    // No new file can be made beside it: the report is written in place.
    newFile_.clear();
    target_ = name;
    errno = 0;
    file_.open(name, mode);
    if (!file_.is_open()) return {Failure::kOpenOutput, errno};
    return {};
}

Failure ReportFile::Commit() {
    file_.close();
    if (file_.fail()) return Failure::kWriteOutput;
    if (newFile_.empty()) return Failure::kNone;
    if (!platform::PutInPlace(newFile_, target_)) return Failure::kWriteOutput;
    platform::ForgetOnSignal();
    newFile_.clear();
    return Failure::kNone;
}

}  // namespace descstat
