#include "app/Dialogue.h"

#include <fstream>
#include <string>

#include "app/Console.h"
#include "app/FrontEnd.h"
#include "app/MachineRun.h"
#include "app/Messages.h"
#include "app/Outputs.h"
#include "app/Plot.h"
#include "app/Run.h"
#include "mylib/StrFunc.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

// One white-space-delimited token; empty at the end of input.
std::string ReadToken(std::istream& in) {
    std::string token;
    in >> token;
    return token;
}

// A name typed at a prompt: one white-space-delimited token, or, when the
// answer begins with a double quote, everything up to the next double quote,
// blanks included (as Windows' "Copy as path" and a file dragged into a
// console window type it), or up to the line's end when no quote closes it.
// Empty at the end of input.
std::string ReadAnswer(std::istream& in) {
    in >> std::ws;
    if (in.peek() != '"') return ReadToken(in);
    in.get();
    std::string name;
    for (int c = in.get(); c != std::char_traits<char>::eof() && c != '"' && c != '\n';
         c = in.get()) {
        name += static_cast<char>(c);
    }
    if (!name.empty() && name.back() == '\r') name.pop_back();  // an unclosed quote before CR LF
    return name;
}

// True when the last answer could not be held: the stream swallows the
// allocation failure of an over-long token and marks itself bad, leaving a
// cut name that must not be used.
bool AnswerLost(const std::istream& in, std::ostream& con) {
    if (!in.bad()) return false;
    con << kNoMemoryMessage << std::endl;
    return true;
}

// Why the report may not be made under this name, before anything is made:
// it names the data file the reader has open or the chart's file (compared
// by what the names lead to), or it can name no file.
Failure CheckReportName(const RdTxtLn& reader, const std::string& reportName,
                        const std::string& plot) {
    if (IsOpenData(reader, reportName, Naming::kDialogue)) return Failure::kOutputIsInput;
    if (!myLib::IsFlNm(reportName)) return Failure::kOpenOutput;
    if (!plot.empty() && SameOutput(reportName, plot)) return Failure::kOutputIsChart;
    return Failure::kNone;
}

// The end of a failed run: the message (with what was looked for, after a
// field the header does not name), then (except after a failed reopen) the
// key request and its wait.
int Fail(std::istream& in, std::ostream& con, const Outcome& outcome) {
    const Failure f = outcome.failure;
    con << MessageWith(f, outcome.detail) << std::endl;
    if (f == Failure::kReopenInput) return kExitFailure;
    con << kKeyRequest << std::endl;
    ReadToken(in);
    return kExitFailure;
}

// The end of a complete run: the closing lines and the key wait.
int Finish(std::istream& in, std::ostream& con, const TextStyle& console) {
    WriteClosingLines(con, console);
    ReadToken(in);
    return kExitSuccess;
}

}  // namespace

int RunDialogue(std::istream& in, std::ostream& con, const RunOptions& options,
                const RunHooks& hooks) {
    con << kDataFileLabel;
    const std::string dataName = ReadAnswer(in);
    if (AnswerLost(in, con)) return kExitFailure;
    RdTxtLn reader(dataName);
    if (reader.status != RdTxtLn::kReady) {
        // A folder is named as such; any other failure keeps its plain message.
        const std::string why = reader.IsFldr() ? FolderDetail(dataName) : std::string();
        return Fail(in, con, {Failure::kOpenInput, 0, why});
    }

    con << kReportPrompt;
    const std::string reportName = ReadAnswer(in);
    if (AnswerLost(in, con)) return kExitFailure;
    const Failure f = CheckReportName(reader, reportName, options.plot);
    if (f != Failure::kNone) return Fail(in, con, {f});
    // The chart is written to a new file beside its own, made before the
    // report, and put in place once the report is complete.
    OutputFile chart;
    if (!options.plot.empty()) {
        const Outcome prepared = PrepareOutput(reader, options.plot, Replaces::kProgramOutput,
                                               options.force, con, true, chart);
        if (prepared.failure != Failure::kNone) return Fail(in, con, {prepared.failure});
    }
    // Unbuffered: every write of the report reaches the file at once, so that
    // it is readable up to its last line whatever happens to the run, and a
    // listing line (written whole) costs one system call.
    std::ofstream report;
    report.rdbuf()->pubsetbuf(nullptr, 0);
    report.open(reportName);
    if (!report.is_open()) return Fail(in, con, {Failure::kOpenOutput});

    ResultSets sets;
    Outcome outcome = options.format == Format::kReport
                          ? WriteReport(reader, dataName, dataName, report, options, hooks, sets)
                          : WriteMachineReport(reader, dataName, report, options, hooks);
    if (outcome.failure == Failure::kNone) {
        report.close();
        if (report.fail()) outcome = {Failure::kWriteOutput};
    }
    if (outcome.failure == Failure::kNone && !options.plot.empty() && !sets.empty()) {
        const std::string svg = PlotSetsSvg(sets.data(), sets.size(), options);
        chart.Stream().write(svg.data(), static_cast<std::streamsize>(svg.size()));
        std::size_t failed = 0;
        outcome = {CommitOutputs({&chart}, failed).failure};
    }
    if (outcome.failure != Failure::kNone) return Fail(in, con, outcome);
    return Finish(in, con, options.console);
}

}  // namespace descstat
