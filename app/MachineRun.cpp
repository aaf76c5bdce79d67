#include "app/MachineRun.h"

#include <cerrno>
#include <memory>

#include "app/FrontEnd.h"
#include "app/Machine.h"
#include "app/Messages.h"
#include "app/Outputs.h"
#include "app/Platform.h"
#include "app/Run.h"
#include "app/Warnings.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

int DigitsOf(const RunOptions& options) {
    return options.digitsGiven ? options.digits : kShortestDigits;
}

// A result set that says why a data file has no results.
void AddFailed(ResultSets& sets, const std::string& name, const std::string& error) {
    ResultSet failed;
    failed.key.file = name;
    failed.error = error;
    sets.push_back(std::move(failed));
}

// The result sets of one data file, read and computed, or one that says why
// there are none; its warnings go to `err`. False when the data file is the
// output, which ends the run.
bool ReadSets(const std::string& name, std::FILE* in, std::ostream& err, const RunOptions& options,
              const std::string& output, const RunHooks& hooks, ResultSets& sets, bool& failed) {
    errno = 0;
    const std::unique_ptr<RdTxtLn> reader = OpenData(name, in);
    failed = reader->status != RdTxtLn::kReady;
    if (failed) {
        AddFailed(sets, name, FailureText({Failure::kOpenInput, errno}, name));
        return true;
    }
    if (IsOpenData(*reader, output)) return false;
    Progress progress(err, platform::StandardErrorIsTerminal());
    Warnings warnings(err, name, &progress);
    const Outcome read = ReadAndCompute(*reader, name, name == "-" ? std::string() : name, options,
                                        warnings, progress.Hooks(hooks), sets);
    progress.Erase();
    warnings.Finish();
    failed = read.failure != Failure::kNone;
    if (failed) AddFailed(sets, name, FailureText(read, name));
    return true;
}

// True when the output is one of the named data files, which the reading
// refuses with its own message as it opens that file.
bool NamesData(const std::string& output, const std::vector<std::string>& dataNames) {
    for (const std::string& name : dataNames) {
        if (IsDataFile(output, name)) return true;
    }
    return false;
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
        return FailOnStandardError(err, {Failure::kNotReport}, output, Replaces::kProgramOutput);
    }
    OutputFile file;
    const Outcome prepared = file.Prepare(output, out);
    if (prepared.failure != Failure::kNone) {
        return FailOnStandardError(err, prepared, output, Replaces::kProgramOutput);
    }
    ResultSets sets;
    bool anyFailed = false;
    for (const std::string& name : dataNames) {
        bool failed = false;
        if (!ReadSets(name, in, err, options, output, hooks, sets, failed)) {
            return FailOnStandardError(err, {Failure::kOutputIsInput}, output);
        }
        anyFailed = anyFailed || failed;
    }
    WriteMachineRows(file.Stream(), sets, options, DigitsOf(options));
    std::size_t failedOutput = 0;
    const Outcome committed = CommitOutputs({&file}, failedOutput);
    if (committed.failure != Failure::kNone) {
        return FailOnStandardError(err, {committed.failure}, output, Replaces::kProgramOutput);
    }
    return anyFailed ? kExitFailure : kExitSuccess;
}

Outcome WriteMachineReport(RdTxtLn& reader, const std::string& dataName, std::ostream& report,
                           const RunOptions& options, const RunHooks& hooks) {
    ResultSets sets;
    ValueSink silent;
    Outcome read = ReadAndCompute(reader, dataName, dataName, options, silent, hooks, sets);
    if (read.failure != Failure::kNone) return read;
    WriteMachineRows(report, sets, options, DigitsOf(options));
    return {};
}

}  // namespace descstat
