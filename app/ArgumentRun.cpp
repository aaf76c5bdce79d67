#include "app/ArgumentRun.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "app/Messages.h"
#include "app/ReportFile.h"
#include "app/Run.h"
#include "app/Warnings.h"
#include "mylib/StrFunc.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

// What a failure's message says beyond its own text, after the name: the
// system's reason for a file that could not be opened, what was looked for
// and found, or what to do about a file without a marker line.
std::string Detail(const Outcome& outcome, const std::string& name) {
    if (outcome.reason != 0) return name + ": " + std::strerror(outcome.reason);
    if (!outcome.detail.empty()) return name + ": " + outcome.detail;
    if (outcome.failure == Failure::kNoMarker) {
        return (name == "-" ? std::string("standard input") : name) +
               " has no line starting with '/' (--plain reads a list of values)";
    }
    return {};
}

// The end of a failed run: one line on standard error. Where there is more
// to say, the message (without its full stop) is followed by it.
int Fail(std::ostream& err, const Outcome& outcome, const std::string& name) {
    std::string message = Message(outcome.failure);
    const std::string detail = Detail(outcome, name);
    if (!detail.empty()) {
        message.pop_back();
        message += ": " + detail;
    }
    err << kProgramPrefix << message << std::endl;
    return kExitFailure;
}

// The data as the reader sees it: the stream `in` for "-", else the named file.
std::unique_ptr<RdTxtLn> OpenData(const std::string& dataName, std::FILE* in) {
    if (dataName == "-") return std::make_unique<RdTxtLn>(in);
    return std::make_unique<RdTxtLn>(dataName);
}

// True when the report would be written into the data: the same file,
// compared by the open data's identity (standard input's too), however the
// report is named. A device such as the terminal is read and written apart.
bool IsData(const RdTxtLn& reader, const std::string& reportName, std::FILE* out) {
    if (reader.FlKind() == RdTxtLn::kDeviceFile) return false;
    return reportName == "-" ? reader.IsOpenStrm(out) : reader.IsOpenFl(reportName);
}

// The report's place, checked before anything is made there.
Failure CheckReport(const RdTxtLn& reader, const std::string& reportName, std::FILE* out) {
    if (IsData(reader, reportName, out)) return Failure::kOutputIsInput;
    if (!myLib::IsFlNm(reportName)) return Failure::kOpenOutput;
    return Failure::kNone;
}

}  // namespace

int RunWithNames(const std::string& dataName, const std::string& reportName, std::FILE* in,
                 std::ostream& out, std::ostream& err, const RunOptions& options,
                 const RunHooks& hooks) {
    errno = 0;
    const std::unique_ptr<RdTxtLn> reader = OpenData(dataName, in);
    if (reader->status != RdTxtLn::kReady) {
        return Fail(err, {Failure::kOpenInput, errno}, dataName);
    }
    const std::string openName = dataName == "-" ? std::string() : dataName;

    const bool toStandardOutput = reportName == "-";
    const Failure checked = CheckReport(*reader, reportName, stdout);
    if (checked != Failure::kNone) return Fail(err, {checked, 0}, reportName);
    ReportFile file;
    if (!toStandardOutput) {
        const Outcome opened = file.Open(reportName);
        if (opened.failure != Failure::kNone) return Fail(err, opened, reportName);
    }
    std::ostream& report = toStandardOutput ? out : file.Stream();

    Warnings warnings(err, dataName);
    Outcome outcome =
        WriteReportAfterReading(*reader, dataName, openName, report, options, warnings, hooks);
    warnings.Finish();
    if (outcome.failure == Failure::kNone) {
        if (toStandardOutput) {
            out.flush();
            if (out.fail()) outcome = {Failure::kWriteOutput, 0};
        } else {
            outcome = {file.Commit(), 0};
        }
    }
    if (outcome.failure != Failure::kNone) return Fail(err, outcome, dataName);
    return kExitSuccess;
}

}  // namespace descstat
