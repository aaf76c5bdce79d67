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
// there are none; its warnings go to `err`. The place of the output that is
// the data file, which ends the run; outputs.size() when none is.
std::size_t ReadSets(const std::string& name, std::FILE* in, std::ostream& err,
                     const RunOptions& options, const std::vector<std::string>& outputs,
                     const RunHooks& hooks, ResultSets& sets, bool& failed) {
    errno = 0;
    const std::unique_ptr<RdTxtLn> reader = OpenData(name, in);
    failed = reader->status != RdTxtLn::kReady;
    if (failed) {
        AddFailed(sets, name, FailureText({Failure::kOpenInput, errno}, name));
        return outputs.size();
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (IsOpenData(*reader, outputs[i])) return i;
    }
    Progress progress(err, platform::StandardErrorIsTerminal());
    Warnings warnings(err, name, &progress);
    // Read once, whatever the data is (Values.h: the values grow in place).
    const Outcome read = ReadAndCompute(*reader, name, std::string(), options, warnings,
                                        progress.Hooks(hooks), sets);
    progress.Erase();
    warnings.Finish();
    failed = read.failure != Failure::kNone;
    if (failed) AddFailed(sets, name, FailureText(read, name));
    return outputs.size();
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

int PrepareRunOutput(OutputFile& file, const std::string& name,
                     const std::vector<std::string>& dataNames, std::ostream& standard,
                     std::ostream& err, const RunOptions& options, bool binary) {
    if (!options.force && !IsStandardOutput(name) && !NamesData(name, dataNames) &&
        !MayReplace(name, Replaces::kProgramOutput)) {
        return FailOnStandardError(err, {Failure::kNotReport}, name, Replaces::kProgramOutput);
    }
    const Outcome prepared = file.Prepare(name, standard, binary);
    if (prepared.failure != Failure::kNone) {
        return FailOnStandardError(err, prepared, name, Replaces::kProgramOutput);
    }
    return kExitSuccess;
}

std::size_t ReadEveryFile(const std::vector<std::string>& dataNames, std::FILE* in,
                          std::ostream& err, const RunOptions& options,
                          const std::vector<std::string>& outputs, const RunHooks& hooks,
                          ResultSets& sets, bool& anyFailed) {
    anyFailed = false;
    for (const std::string& name : dataNames) {
        bool failed = false;
        const std::size_t clash = ReadSets(name, in, err, options, outputs, hooks, sets, failed);
        if (clash < outputs.size()) return clash;
        anyFailed = anyFailed || failed;
    }
    return outputs.size();
}

int RunMachine(const std::vector<std::string>& dataNames, std::FILE* in, std::ostream& out,
               std::ostream& err, const RunOptions& options, const RunHooks& hooks) {
    // The output is checked and prepared first; every file is read before
    // anything is written, so that an output that is one of the data files
    // is found before it is touched.
    const std::string output = options.output.empty() ? std::string("-") : options.output;
    OutputFile file;
    const int ready = PrepareRunOutput(file, output, dataNames, out, err, options, false);
    if (ready != kExitSuccess) return ready;
    // What needs no values in order is summed as it is read, in constant
    // memory.
    RunOptions reading = options;
    reading.data.keepValues = NeedsValues(options);
    ResultSets sets;
    bool anyFailed = false;
    if (ReadEveryFile(dataNames, in, err, reading, {output}, hooks, sets, anyFailed) == 0) {
        return FailOnStandardError(err, {Failure::kOutputIsInput}, output);
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
