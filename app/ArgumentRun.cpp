#include "app/ArgumentRun.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "app/Messages.h"
#include "app/Outputs.h"
#include "app/Plot.h"
#include "app/Run.h"
#include "app/Warnings.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

// The end of a failed run: one line on standard error, and after a refusal
// to replace a file that holds no report, a second one on what to do.
int Fail(std::ostream& err, const Outcome& outcome, const std::string& name,
         Replaces replaces = Replaces::kReport) {
    err << kProgramPrefix << FailureText(outcome, name) << std::endl;
    if (outcome.failure == Failure::kNotReport) {
        err << kProgramPrefix << NotReportHint(name, replaces) << std::endl;
    }
    return kExitFailure;
}

// The data as the reader sees it: the stream `in` for "-", else the named file.
std::unique_ptr<RdTxtLn> OpenData(const std::string& dataName, std::FILE* in) {
    if (dataName == "-") return std::make_unique<RdTxtLn>(in);
    return std::make_unique<RdTxtLn>(dataName);
}

// One output checked against the data and prepared; its name on failure.
Outcome PrepareOutput(const RdTxtLn& reader, const std::string& name, Replaces replaces,
                      const RunOptions& options, std::ostream& out, bool binary, OutputFile& file) {
    const Failure checked = CheckOutput(reader, name, replaces, options.force);
    if (checked != Failure::kNone) return {checked};
    return file.Prepare(name, out, binary);
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

    // Every output is checked and prepared before anything is read; none is
    // put in place before everything has been read and written.
    OutputFile report;
    const Outcome reportReady =
        PrepareOutput(*reader, reportName, Replaces::kReport, options, out, false, report);
    if (reportReady.failure != Failure::kNone) return Fail(err, reportReady, reportName);
    OutputFile chart;
    const bool plot = !options.plot.empty();
    if (plot) {
        const Outcome chartReady = PrepareOutput(*reader, options.plot, Replaces::kProgramOutput,
                                                 options, out, true, chart);
        if (chartReady.failure != Failure::kNone) {
            return Fail(err, chartReady, options.plot, Replaces::kProgramOutput);
        }
    }

    Warnings warnings(err, dataName);
    Computed computed;
    const Outcome outcome = WriteReportAfterReading(*reader, dataName, openName, report.Stream(),
                                                    options, warnings, hooks, &computed);
    warnings.Finish();
    if (outcome.failure != Failure::kNone) return Fail(err, outcome, dataName);
    if (plot) {
        // Binary: the same bytes on every system, line ends included.
        const std::string svg = PlotSvg(dataName, computed, options);
        chart.Stream().write(svg.data(), static_cast<std::streamsize>(svg.size()));
    }
    std::vector<OutputFile*> outputs = {&report};
    if (plot) outputs.push_back(&chart);
    std::size_t failed = 0;
    const Outcome committed = CommitOutputs(outputs, failed);
    if (committed.failure != Failure::kNone)
        return Fail(err, {committed.failure}, outputs[failed]->Name());
    return kExitSuccess;
}

}  // namespace descstat
