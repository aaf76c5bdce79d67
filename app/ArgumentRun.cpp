#include "app/ArgumentRun.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "app/Messages.h"
#include "app/Plot.h"
#include "app/ReportFile.h"
#include "app/Run.h"
#include "app/Warnings.h"
#include "mylib/StrFunc.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

// The end of a failed run: one line on standard error.
int Fail(std::ostream& err, const Outcome& outcome, const std::string& name) {
    err << kProgramPrefix << FailureText(outcome, name) << std::endl;
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
    if (!options.plot.empty()) {
        const Failure chart = CheckReport(*reader, options.plot, stdout);
        if (chart != Failure::kNone) return Fail(err, {chart, 0}, options.plot);
    }
    ReportFile file;
    if (!toStandardOutput) {
        const Outcome opened = file.Open(reportName);
        if (opened.failure != Failure::kNone) return Fail(err, opened, reportName);
    }
    std::ostream& report = toStandardOutput ? out : file.Stream();

    Warnings warnings(err, dataName);
    Computed computed;
    Outcome outcome = WriteReportAfterReading(*reader, dataName, openName, report, options,
                                              warnings, hooks, &computed);
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
    if (!options.plot.empty()) {
        const std::string svg = PlotSvg(dataName, computed, options.digits, options.language);
        const Outcome plotted = WritePlotFile(options.plot, svg);
        if (plotted.failure != Failure::kNone) return Fail(err, plotted, options.plot);
    }
    return kExitSuccess;
}

}  // namespace descstat
