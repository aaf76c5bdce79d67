#include "app/MachineRun.h"

#include <cerrno>
#include <memory>

#include "app/Machine.h"
#include "app/Messages.h"
#include "app/ReportFile.h"
#include "app/Run.h"
#include "app/Warnings.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

int DigitsOf(const RunOptions& options) {
    return options.digitsGiven ? options.digits : kShortestDigits;
}

// The row of one data file, read and computed; its warnings go to `err`.
MachineRow RowOf(const std::string& name, std::FILE* in, std::ostream& err,
                 const RunOptions& options, const RunHooks& hooks) {
    MachineRow row;
    row.file = name;
    errno = 0;
    const std::unique_ptr<RdTxtLn> reader =
        name == "-" ? std::make_unique<RdTxtLn>(in) : std::make_unique<RdTxtLn>(name);
    if (reader->status != RdTxtLn::kReady) {
        row.error = FailureText({Failure::kOpenInput, errno}, name);
        return row;
    }
    Warnings warnings(err, name);
    const Outcome read = ReadAndCompute(*reader, name == "-" ? std::string() : name, options,
                                        warnings, hooks, row.computed);
    warnings.Finish();
    row.ok = read.failure == Failure::kNone;
    if (!row.ok) row.error = FailureText(read, name);
    return row;
}

// True when the output (the named file, or standard output) is one of the
// data files, compared by the identity of the open files. A device such as
// the terminal is read and written apart.
bool OutputIsData(const std::vector<std::string>& names, std::FILE* in, const std::string& output) {
    for (const std::string& name : names) {
        const RdTxtLn data = name == "-" ? RdTxtLn(in) : RdTxtLn(name);
        if (data.status != RdTxtLn::kReady || data.FlKind() == RdTxtLn::kDeviceFile) continue;
        if (output.empty() ? data.IsOpenStrm(stdout) : data.IsOpenFl(output)) return true;
    }
    return false;
}

void WriteRows(std::ostream& out, std::ostream& err, const std::vector<std::string>& names,
               std::FILE* in, const RunOptions& options, const RunHooks& hooks, bool& anyFailed) {
    WriteMachineHeader(out, options.format, options.summary);
    for (const std::string& name : names) {
        const MachineRow row = RowOf(name, in, err, options, hooks);
        anyFailed = anyFailed || !row.ok;
        WriteMachineRow(out, options.format, row, options.summary, DigitsOf(options));
    }
}

int Fail(std::ostream& err, const Outcome& outcome, const std::string& name) {
    err << kProgramPrefix << FailureText(outcome, name) << std::endl;
    return kExitFailure;
}

}  // namespace

int RunMachine(const std::vector<std::string>& dataNames, std::FILE* in, std::ostream& out,
               std::ostream& err, const RunOptions& options, const RunHooks& hooks) {
    const std::string& output = options.output == "-" ? std::string() : options.output;
    if (OutputIsData(dataNames, in, output)) {
        return Fail(err, {Failure::kOutputIsInput}, output.empty() ? "-" : output);
    }
    bool anyFailed = false;
    if (output.empty()) {
        WriteRows(out, err, dataNames, in, options, hooks, anyFailed);
        out.flush();
        if (out.fail()) return Fail(err, {Failure::kWriteOutput}, "-");
        return anyFailed ? kExitFailure : kExitSuccess;
    }
    ReportFile file;
    const Outcome opened = file.Open(output);
    if (opened.failure != Failure::kNone) return Fail(err, opened, output);
    WriteRows(file.Stream(), err, dataNames, in, options, hooks, anyFailed);
    const Failure committed = file.Commit();
    if (committed != Failure::kNone) return Fail(err, {committed}, output);
    return anyFailed ? kExitFailure : kExitSuccess;
}

Outcome WriteMachineReport(RdTxtLn& reader, const std::string& dataName, std::ostream& report,
                           const RunOptions& options, const RunHooks& hooks) {
    MachineRow row;
    row.file = dataName;
    ValueSink silent;
    Outcome read = ReadAndCompute(reader, dataName, options, silent, hooks, row.computed);
    if (read.failure != Failure::kNone) return read;
    row.ok = true;
    WriteMachineHeader(report, options.format, options.summary);
    WriteMachineRow(report, options.format, row, options.summary, DigitsOf(options));
    return {};
}

}  // namespace descstat
