#include "app/Outputs.h"

#include <cerrno>
#include <cstdio>
#include <new>

#include "app/Platform.h"
#include "app/Shown.h"
#include "mylib/StrFunc.h"

namespace descstat {

namespace {

// A new file is written in large blocks and flushed once at the end.
constexpr std::size_t kOutputBuffer = 1 << 16;

// How many bytes of an existing file tell what it holds.
constexpr std::size_t kSniffBytes = 64;

bool StartsWith(const std::string& s, const char* prefix) {
    return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The first bytes of a regular file; `regular` false for anything else.
std::string FirstBytes(const std::string& name, bool& regular, bool& readable) {
    const platform::FileIdentity id = platform::IdentityOf(name);
    regular = id.exists && id.regular;
    readable = true;
    if (!regular) return {};
    std::ifstream in(name, std::ios_base::binary);
    if (!in.is_open()) {
        readable = false;
        return {};
    }
    std::string bytes(kSniffBytes, '\0');
    in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

bool IsReport(const std::string& bytes) { return StartsWith(bytes, kDataFileLabel); }

// A chart, or the rows of a machine format, as this program writes them.
bool IsProgramOutput(const std::string& bytes) {
    return IsReport(bytes) || StartsWith(bytes, "<?xml") || StartsWith(bytes, "<svg") ||
           StartsWith(bytes, "file\tn\t") || StartsWith(bytes, "file,n,") ||
           StartsWith(bytes, "{\"file\": ") || StartsWith(bytes, "baseline\tsample\t") ||
           StartsWith(bytes, "baseline,sample,") || StartsWith(bytes, "{\"baseline\": ");
}

// Why no new file could be made that still lets the output be written in
// place: the folder may not be written, yet the file may.
bool IsFull(int reason) {
#ifdef EDQUOT
    if (reason == EDQUOT) return true;
#endif
    return reason == ENOSPC || reason == ENAMETOOLONG;
}

bool InPlaceMayWork(int reason) {
#ifdef ELOOP
    if (reason == ELOOP) return false;
#endif
    return !IsFull(reason) && reason != ENOENT && reason != ENOTDIR;
}

}  // namespace

bool MayReplace(const std::string& name, Replaces replaces) {
    bool regular = false;
    bool readable = false;
    const std::string bytes = FirstBytes(name, regular, readable);
    // An unreadable file cannot be told apart: it is left for the open to
    // refuse, as it would refuse to write it.
    if (!regular || !readable || bytes.empty()) return true;
    return replaces == Replaces::kReport ? IsReport(bytes) : IsProgramOutput(bytes);
}

bool IsStandardOutput(const std::string& name) {
    return name == "-" || platform::DescriptorOfName(name) == 1;
}

namespace {

// What an output's name is or would be when opened: standard output's file
// for "-" and its links.
platform::FileIdentity IdentityOfOutput(const std::string& name) {
    return IsStandardOutput(name) ? platform::IdentityOfDescriptor(1) : platform::IdentityOf(name);
}

// True when both are one regular file (or one new file in one folder).
bool SameRegularFile(const platform::FileIdentity& x, const platform::FileIdentity& y) {
    return x.known && y.known && x.regular && y.regular && x.exists == y.exists &&
           x.device == y.device && x.number == y.number && x.newName == y.newName;
}

}  // namespace

bool SameOutput(const std::string& a, const std::string& b) {
    if (IsStandardOutput(a) && IsStandardOutput(b)) return true;
    return SameRegularFile(IdentityOfOutput(a), IdentityOfOutput(b));
}

bool IsDataFile(const std::string& output, const std::string& data) {
    const platform::FileIdentity y =
        data == "-" ? platform::IdentityOfDescriptor(0) : platform::IdentityOf(data);
    return y.exists && SameRegularFile(IdentityOfOutput(output), y);
}

bool IsOpenData(const myLib::RdTxtLn& reader, const std::string& name, Naming naming) {
    if (reader.FlKind() == myLib::RdTxtLn::kDeviceFile) return false;
    if (naming == Naming::kCommandLine && IsStandardOutput(name)) {
        return reader.IsOpenStrm(stdout);
    }
    return reader.IsOpenFl(name);
}

Failure CheckOutput(const myLib::RdTxtLn& reader, const std::string& name, Replaces replaces,
                    bool force) {
    if (name.empty() || !myLib::IsFlNm(name)) return Failure::kOpenOutput;
    if (IsOpenData(reader, name)) return Failure::kOutputIsInput;
    if (!force && !IsStandardOutput(name) && !MayReplace(name, replaces)) {
        return Failure::kNotReport;
    }
    return Failure::kNone;
}

std::string NotReportHint(const std::string& name, Replaces replaces) {
    std::string hint = "'" + Shown(name) + "' holds no ";
    hint += replaces == Replaces::kReport ? "report" : "output of descstat";
    hint += "; --force replaces it anyway";
    if (replaces == Replaces::kReport) {
        hint += ", and --format=tsv DATA... gives a row for each of several data files";
    }
    return hint;
}

OutputFile::~OutputFile() { Discard(); }

void OutputFile::Discard() {
    if (newFile_.empty()) return;
    if (file_.is_open()) file_.close();
    (void)std::remove(newFile_.c_str());
    platform::ForgetOnSignal(newFile_);
    newFile_.clear();
}

Outcome OutputFile::Prepare(const std::string& name, std::ostream& standard, bool binary) {
    name_ = name;
    standard_ = &standard;
    binary_ = binary;
    if (name.empty() || !myLib::IsFlNm(name)) return {Failure::kOpenOutput};
    descriptor_ = name == "-" ? 1 : platform::DescriptorOfName(name);
    if (descriptor_ == 1) {
        way_ = Way::kStandard;
        return {};
    }
    if (descriptor_ >= 0) {
        way_ = Way::kDescriptor;
        return {};
    }
    std::ios_base::openmode mode = std::ios_base::out;
    if (binary) mode |= std::ios_base::binary;
    return PrepareNamed(mode);
}

Outcome OutputFile::PrepareNamed(std::ios_base::openmode mode) {
    if (!buffer_) buffer_.reset(new (std::nothrow) char[kOutputBuffer]);
    if (buffer_)
        file_.rdbuf()->pubsetbuf(buffer_.get(), static_cast<std::streamsize>(kOutputBuffer));
    const platform::ReportTarget target = platform::TargetOf(name_);
    if (!target.replace) {
        // A device, a FIFO, a terminal: nothing to replace, written as it goes.
        way_ = Way::kDevice;
        errno = 0;
        file_.open(name_, mode);
        if (!file_.is_open()) return {Failure::kOpenOutput, errno};
        return {};
    }
    target_ = target.path;
    if (platform::CreateFileBeside(target.path, newFile_)) {
        platform::TakePermissions(target.path, newFile_);
        way_ = Way::kReplace;
        errno = 0;
        file_.open(newFile_, mode);
        if (file_.is_open()) return {};
        const int reason = errno;
        Discard();
        return {Failure::kOpenOutput, reason};
    }
    const int reason = errno;
    newFile_.clear();
    if (!InPlaceMayWork(reason)) {
        return {IsFull(reason) ? Failure::kWriteOutput : Failure::kOpenOutput, reason};
    }
    // No new file can be made beside it: kept in memory, written in place
    // once the run has succeeded. A file that could not be written in place
    // either is refused now, before anything is read.
    const platform::FileIdentity id = platform::IdentityOf(target_);
    if (!id.exists) return {Failure::kOpenOutput, reason};
    std::ofstream probe(target_, std::ios_base::app);
    if (!probe.is_open()) return {Failure::kOpenOutput, reason};
    probe.close();
    way_ = Way::kInPlace;
    return {};
}

std::ostream& OutputFile::Stream() {
    switch (way_) {
        case Way::kStandard: return *standard_;
        case Way::kDescriptor:
        case Way::kInPlace: return memory_;
        case Way::kNone:
        case Way::kReplace:
        case Way::kDevice: break;
    }
    return file_;
}

Failure OutputFile::Finish() {
    switch (way_) {
        case Way::kStandard:
            standard_->flush();
            return standard_->fail() ? Failure::kWriteOutput : Failure::kNone;
        case Way::kDescriptor:
        case Way::kInPlace: return memory_.fail() ? Failure::kWriteOutput : Failure::kNone;
        case Way::kReplace:
        case Way::kDevice:
            file_.close();
            return file_.fail() ? Failure::kWriteOutput : Failure::kNone;
        case Way::kNone: break;
    }
    return Failure::kWriteOutput;
}

Failure OutputFile::Commit() {
    switch (way_) {
        case Way::kDescriptor:
            errno = 0;
            return platform::WriteToDescriptor(descriptor_, memory_.str()) ? Failure::kNone
                                                                           : Failure::kWriteOutput;
        case Way::kInPlace:
            errno = 0;
            return platform::WriteInPlace(target_, memory_.str(), !binary_) ? Failure::kNone
                                                                            : Failure::kWriteOutput;
        case Way::kReplace:
            if (!platform::PutInPlace(newFile_, target_)) return Failure::kWriteOutput;
            platform::ForgetOnSignal(newFile_);
            newFile_.clear();
            return Failure::kNone;
        case Way::kStandard:
        case Way::kDevice: return Failure::kNone;
        case Way::kNone: break;
    }
    return Failure::kWriteOutput;
}

Outcome CommitOutputs(const std::vector<OutputFile*>& outputs, std::size_t& failed) {
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const Failure f = outputs[i]->Finish();
        if (f != Failure::kNone) {
            failed = i;
            return {f};
        }
    }
    // What can still fail part-way (a write in place or through a
    // descriptor) goes first; the renames, each in one step, last.
    for (const bool renames : {false, true}) {
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            if (outputs[i]->Renames() != renames) continue;
            const Failure f = outputs[i]->Commit();
            if (f != Failure::kNone) {
                failed = i;
                return {f, errno};
            }
        }
    }
    return {};
}

}  // namespace descstat
