#include "app/MachineRun.h"

#include <cerrno>
#include <memory>

#include "app/Machine.h"
#include "app/Messages.h"
#include "app/Outputs.h"
#include "app/Run.h"
#include "app/Warnings.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

int DigitsOf(const RunOptions& options) {
    return options.digitsGiven ? options.digits : kShortestDigits;
}

// True when the output (the named file, or standard output when `output` is
// empty) is the data `reader` has open, compared by the identity of the open
// files. A device such as the terminal is read and written apart.
bool IsOutput(const RdTxtLn& reader, const std::string& output) {
    if (reader.FlKind() == RdTxtLn::kDeviceFile) return false;
    return IsStandardOutput(output) ? reader.IsOpenStrm(stdout) : reader.IsOpenFl(output);
}

// The row of one data file, read and computed; its warnings go to `err`.
// False when the data file is the output, which ends the run.
bool ReadRow(const std::string& name, std::FILE* in, std::ostream& err, const RunOptions& options,
             const std::string& output, const RunHooks& hooks, MachineRow& row) {
    row.file = name;
    errno = 0;
    const std::unique_ptr<RdTxtLn> reader =
        name == "-" ? std::make_unique<RdTxtLn>(in) : std::make_unique<RdTxtLn>(name);
    if (reader->status != RdTxtLn::kReady) {
        row.error = FailureText({Failure::kOpenInput, errno}, name);
        return true;
    }
    if (IsOutput(*reader, output)) return false;
    Warnings warnings(err, name);
    const Outcome read = ReadAndCompute(*reader, name == "-" ? std::string() : name, options,
                                        warnings, hooks, row.computed);
    warnings.Finish();
    row.ok = read.failure == Failure::kNone;
    if (!row.ok) row.error = FailureText(read, name);
    return true;
}

void WriteRows(std::ostream& out, const std::vector<MachineRow>& rows, const RunOptions& options) {
    WriteMachineHeader(out, options.format, options.summary);
    for (const MachineRow& row : rows) {
        WriteMachineRow(out, options.format, row, options.summary, DigitsOf(options));
    }
}

// True when the output is one of the named data files, which the reading
// refuses with its own message as it opens that file.
bool NamesData(const std::string& output, const std::vector<std::string>& dataNames) {
    for (const std::string& name : dataNames) {
        if (IsDataFile(output, name)) return true;
    }
    return false;
}

int Fail(std::ostream& err, const Outcome& outcome, const std::string& name) {
    err << kProgramPrefix << FailureText(outcome, name) << std::endl;
    if (outcome.failure == Failure::kNotReport) {
        err << kProgramPrefix << NotReportHint(name, Replaces::kProgramOutput) << std::endl;
    }
    return kExitFailure;
}

}  // namespace

int RunMachine(const std::vector<std::string>& dataNames, std::FILE* in, std::ostream& out,
               std::ostream& err, const RunOptions& options, const RunHooks& hooks) {
    // The output is checked and prepared first; every file is read before
    // anything is written, so that an output that is one of the data files
    // is found before it is touched.
    const std::string output = options.output.empty() ? std::string("-") : options.output;
    if (!options.force && !IsStandardOutput(output) && !NamesData(output, dataNames) &&
        !MayReplace(output, Replaces::kProgramOutput)) {
        return Fail(err, {Failure::kNotReport}, output);
    }
    OutputFile file;
    const Outcome prepared = file.Prepare(output, out);
    if (prepared.failure != Failure::kNone) return Fail(err, prepared, output);
    std::vector<MachineRow> rows(dataNames.size());
    bool anyFailed = false;
    for (std::size_t i = 0; i < dataNames.size(); ++i) {
        if (!ReadRow(dataNames[i], in, err, options, output, hooks, rows[i])) {
            return Fail(err, {Failure::kOutputIsInput}, output);
        }
        anyFailed = anyFailed || !rows[i].ok;
    }
    WriteRows(file.Stream(), rows, options);
    std::size_t failed = 0;
    const Outcome committed = CommitOutputs({&file}, failed);
    if (committed.failure != Failure::kNone) return Fail(err, {committed.failure}, output);
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
