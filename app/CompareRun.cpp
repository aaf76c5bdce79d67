#include "app/CompareRun.h"

#include <string>
#include <utility>

#include "app/FrontEnd.h"
#include "app/MachineRun.h"
#include "app/Messages.h"
#include "app/Outputs.h"
#include "app/Plot.h"
#include "app/Run.h"
#include "app/Shown.h"

namespace descstat {

namespace {

// What a comparison takes of a result set.
SampleMoments MomentsOf(const ResultSet& set) {
    return {set.count, set.exact.mean, set.exact.unbiasedVariance};
}

// True when the two sets' i-th values are pairs: as many, none missing.
bool Pairs(const ResultSet& sample, const ResultSet& baseline) {
    return sample.count == baseline.count && sample.missing == 0 && baseline.missing == 0 &&
           sample.inFileOrder.size() == static_cast<std::size_t>(sample.count) &&
           baseline.inFileOrder.size() == static_cast<std::size_t>(baseline.count);
}

ComparedSample CompareOne(const ResultSets& sets, std::size_t baseline, std::size_t k,
                          const RunOptions& options) {
    ComparedSample sample;
    sample.set = k;
    const ResultSet& base = sets[baseline];
    const ResultSet& set = sets[k];
    if (options.method != TestMethod::kPaired) {
        sample.result =
            Compare(MomentsOf(base), MomentsOf(set), options.method, options.confidence);
        return sample;
    }
    if (!Pairs(set, base)) {
        sample.unpaired = true;
        return sample;
    }
    const SampleMoments differences =
        PairedMoments(set.inFileOrder.data(), base.inFileOrder.data(), set.count);
    sample.result = Compare(MomentsOf(base), differences, TestMethod::kPaired, options.confidence);
    return sample;
}

// The messages of the files that failed and of the samples that could not
// be paired; true when there was any.
bool TellFailures(std::ostream& err, const ResultSets& sets, const Compared& compared,
                  const std::vector<std::string>& names) {
    bool any = false;
    for (const ResultSet& set : sets) {
        if (set.error.empty()) continue;
        err << kProgramPrefix << Shown(set.error) << std::endl;
        any = true;
    }
    for (const ComparedSample& sample : compared.samples) {
        if (!sample.unpaired) continue;
        const ResultSet& set = sets[sample.set];
        const ResultSet& base = sets[compared.baseline];
        err << kProgramPrefix << "cannot pair '" << Shown(names[sample.set]) << "' with '"
            << Shown(names[compared.baseline])
            << "': paired samples need as many values, none missing (counts " << set.count
            << " and " << base.count << ", missing cells " << set.missing << " and " << base.missing
            << ")" << std::endl;
        any = true;
    }
    return any;
}

}  // namespace

Compared CompareSets(const ResultSets& sets, const RunOptions& options) {
    Compared compared;
    std::size_t first = 0;
    while (first < sets.size() && !sets[first].error.empty()) ++first;
    compared.baseline = first;
    for (std::size_t k = first + 1; k < sets.size(); ++k) {
        if (sets[k].error.empty()) compared.samples.push_back(CompareOne(sets, first, k, options));
    }
    return compared;
}

int RunCompare(const std::vector<std::string>& dataNames, std::FILE* in, std::ostream& out,
               std::ostream& err, const RunOptions& options, const RunHooks& hooks) {
    // The outputs are checked and prepared first, and every file is read
    // before anything is written, as the machine run does.
    const std::string output = options.output.empty() ? std::string("-") : options.output;
    std::vector<std::string> outputs = {output};
    OutputFile file;
    OutputFile chart;
    int ready = PrepareRunOutput(file, output, dataNames, out, err, options, false);
    if (ready == kExitSuccess && !options.plot.empty()) {
        outputs.push_back(options.plot);
        ready = PrepareRunOutput(chart, options.plot, dataNames, out, err, options, true);
    }
    if (ready != kExitSuccess) return ready;
    // The table needs the median and the extremes of every sample.
    RunOptions reading = options;
    reading.summary = true;
    ResultSets sets;
    bool anyFailed = false;
    const std::size_t clash =
        ReadEveryFile(dataNames, in, err, reading, outputs, hooks, sets, anyFailed);
    if (clash < outputs.size()) {
        return FailOnStandardError(err, {Failure::kOutputIsInput}, outputs[clash]);
    }
    const Compared compared = CompareSets(sets, options);
    const std::vector<std::string> names = SampleNames(sets);
    const bool failures = TellFailures(err, sets, compared, names);
    if (compared.samples.empty()) {
        err << kProgramPrefix << "nothing to compare: --compare needs two samples or more"
            << std::endl;
        return kExitFailure;
    }
    if (options.format == Format::kReport) {
        WriteCompareReport(file.Stream(), dataNames, sets, compared, options);
    } else {
        WriteCompareRows(file.Stream(), sets, compared, options,
                         options.digitsGiven ? options.digits : kShortestDigits);
    }
    std::vector<OutputFile*> committing = {&file};
    if (!options.plot.empty()) {
        const std::string svg = CompareSvg(sets, compared, names, options);
        chart.Stream().write(svg.data(), static_cast<std::streamsize>(svg.size()));
        committing.push_back(&chart);
    }
    std::size_t failedOutput = 0;
    const Outcome committed = CommitOutputs(committing, failedOutput);
    if (committed.failure != Failure::kNone) {
        return FailOnStandardError(err, {committed.failure}, committing[failedOutput]->Name(),
                                   Replaces::kProgramOutput);
    }
    return failures || anyFailed ? kExitFailure : kExitSuccess;
}

}  // namespace descstat
