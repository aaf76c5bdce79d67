#include "app/ArgumentRun.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "app/FrontEnd.h"
#include "app/Messages.h"
#include "app/Outputs.h"
#include "app/Platform.h"
#include "app/Plot.h"
#include "app/Run.h"
#include "app/Warnings.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

// The chart of the run's result sets, in binary: the same bytes on
// every system, line ends included.
void WriteChart(OutputFile& chart, const ResultSets& sets, const RunOptions& options) {
    if (sets.empty()) return;
    const std::string svg = PlotSetsSvg(sets.data(), sets.size(), options);
    chart.Stream().write(svg.data(), static_cast<std::streamsize>(svg.size()));
}

}  // namespace

int RunWithNames(const std::string& dataName, const std::string& reportName, std::FILE* in,
                 std::ostream& out, std::ostream& err, const RunOptions& options,
                 const RunHooks& hooks) {
    errno = 0;
    const std::unique_ptr<RdTxtLn> reader = OpenData(dataName, in);
    if (reader->status != RdTxtLn::kReady) {
        return FailOnStandardError(err, {Failure::kOpenInput, errno}, dataName);
    }
    // Every output is checked and prepared before anything is read; none is
    // put in place before everything has been read and written.
    OutputFile report;
    const Outcome reportReady =
        PrepareOutput(*reader, reportName, Replaces::kReport, options.force, out, false, report);
    if (reportReady.failure != Failure::kNone) {
        return FailOnStandardError(err, reportReady, reportName);
    }
    OutputFile chart;
    const bool plot = !options.plot.empty();
    if (plot) {
        const Outcome chartReady = PrepareOutput(*reader, options.plot, Replaces::kProgramOutput,
                                                 options.force, out, true, chart);
        if (chartReady.failure != Failure::kNone) {
            return FailOnStandardError(err, chartReady, options.plot, Replaces::kProgramOutput);
        }
    }

    Progress progress(err, platform::StandardErrorIsTerminal());
    Warnings warnings(err, dataName, &progress);
    ResultSets sets;
    // Read once, whatever the data is (Values.h: the values grow in place).
    // A report held until the end may get its listing as the values are
    // read; one written in place (standard output, a terminal) is written
    // only once all the data has been read, so that a failed run writes none.
    const Outcome outcome =
        report.HeldUntilCommit()
            ? WriteReportWhileReading(*reader, dataName, report.Stream(), options, warnings,
                                      progress.Hooks(hooks), sets)
            : WriteReportAfterReading(*reader, dataName, std::string(), report.Stream(), options,
                                      warnings, progress.Hooks(hooks), sets);
    progress.Erase();
    warnings.Finish();
    if (outcome.failure != Failure::kNone) return FailOnStandardError(err, outcome, dataName);
    if (plot) WriteChart(chart, sets, options);
    std::vector<OutputFile*> outputs = {&report};
    if (plot) outputs.push_back(&chart);
    std::size_t failed = 0;
    const Outcome committed = CommitOutputs(outputs, failed);
    if (committed.failure != Failure::kNone)
        return FailOnStandardError(err, {committed.failure}, outputs[failed]->Name());
    return kExitSuccess;
}

}  // namespace descstat
