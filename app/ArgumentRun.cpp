#include "app/ArgumentRun.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "app/Messages.h"
#include "app/Platform.h"
#include "app/Run.h"
#include "app/TempCopy.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

// The report buffer: the report is written in large blocks and flushed once
// at the end.
constexpr std::size_t kReportBuffer = 1 << 16;

// The end of a failed run: one line on standard error. Where the system said
// why a named file could not be opened, the message (without its full stop)
// is followed by the name and that reason.
int Fail(std::ostream& err, const Outcome& outcome, const std::string& name) {
    std::string message = Message(outcome.failure);
    if (outcome.reason != 0) {
        message.pop_back();
        message += ": " + name + ": " + std::strerror(outcome.reason);
    }
    err << kProgramPrefix << message << std::endl;
    return kExitFailure;
}

// Standard input copied whole, so that it can be read twice.
Outcome CopyInput(TempCopy& copy, std::istream& in) {
    const int reason = copy.Fill(in);
    if (reason == 0) return {};
    if (copy.ReadFailed()) return {Failure::kReadError, 0};
    return {Failure::kOpenInput, reason};
}

// Opens the report file under a name that passed the checks.
Outcome OpenReport(const RdTxtLn& reader, const std::string& reportName, std::ofstream& file) {
    const Failure f = CheckReportName(reader, reportName);
    if (f != Failure::kNone) return {f, 0};
    errno = 0;
    file.open(reportName);
    if (!file.is_open()) return {Failure::kOpenOutput, errno};
    return {};
}

}  // namespace

int RunWithNames(const std::string& dataName, const std::string& reportName, std::istream& in,
                 std::ostream& out, std::ostream& err, const RunOptions& options,
                 const RunHooks& hooks) {
    // The copy of standard input outlives the reader, which must let go of it
    // before it can be removed.
    TempCopy copy;
    std::string openName = dataName;
    if (dataName == "-") {
        const Outcome copied = CopyInput(copy, in);
        if (copied.failure != Failure::kNone) return Fail(err, copied, dataName);
        openName = copy.Name();
    }
    errno = 0;
    RdTxtLn reader(openName);
    if (reader.status != RdTxtLn::kReady) return Fail(err, {Failure::kOpenInput, errno}, dataName);

    const bool toStandardOutput = reportName == "-";
    std::vector<char> buffer(kReportBuffer);  // outlives the stream that uses it
    std::ofstream file;
    file.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (toStandardOutput && platform::StandardOutputIsOpenFile(reader)) {
        return Fail(err, {Failure::kOutputIsInput, 0}, reportName);
    }
    if (!toStandardOutput) {
        const Outcome opened = OpenReport(reader, reportName, file);
        if (opened.failure != Failure::kNone) return Fail(err, opened, reportName);
    }
    std::ostream& report = toStandardOutput ? out : file;

    Outcome outcome = WriteReport(reader, dataName, openName, report, options, hooks);
    if (outcome.failure == Failure::kNone) {
        if (toStandardOutput) {
            out.flush();
        } else {
            file.close();
        }
        if (report.fail()) outcome = {Failure::kWriteOutput, 0};
    }
    if (outcome.failure != Failure::kNone) return Fail(err, outcome, dataName);
    return kExitSuccess;
}

}  // namespace descstat
