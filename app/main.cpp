// descstat: descriptive statistics of the numbers in a text data file.
//
// With no operands the program asks for its files on the console (the
// dialogue); with a data file named on the command line it runs without
// questions, for scripts. Options apply to both. This entry only reads the
// command line and hands the standard streams to the run it asks for.
#include <cstdio>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/ArgumentRun.h"
#include "app/CommandLine.h"
#include "app/CompareRun.h"
#include "app/Console.h"
#include "app/Dialogue.h"
#include "app/FrontEnd.h"
#include "app/MachineRun.h"
#include "app/Messages.h"
#include "app/Outputs.h"
#include "app/Platform.h"
#include "app/Shown.h"

namespace {

using descstat::kExitFailure;

// The dialogue on the console, then a check that everything it wrote reached
// the console: console text that did not arrive is a failure, whatever the
// run did.
int DialogueOnConsole(descstat::RunOptions options) {
    // The report file is the same wherever the dialogue runs.
    options.report = descstat::FileStyle(options.encoding, options.language);
    options.console =
        descstat::ConsoleStyle(descstat::ScreenStyle(options.language), options.language);
    int code = kExitFailure;
    try {
        code = descstat::RunDialogue(std::cin, std::cout, options);
    } catch (const std::bad_alloc&) {
        std::cout << descstat::kNoMemoryMessage << std::endl;
    }
    return descstat::ConsoleChecked(std::cout, std::cerr, code);
}

// A run on the command line's files, with the failure of an allocation the
// standard library reports as one line on standard error. Data read from
// standard input is read byte for byte, as a data file is; the reader's own
// line rules take CR LF as one line end.
template <typename Run>
int RunOnFiles(const std::vector<std::string>& data, Run run) {
    for (const std::string& name : data) {
        if (name == "-") descstat::platform::UseBinaryStandardInput();
    }
    try {
        return run();
    } catch (const std::bad_alloc&) {
        std::cerr << descstat::kProgramPrefix << descstat::kNoMemoryMessage << std::endl;
        return kExitFailure;
    }
}

// In a console window of its own, which closes as the program ends, the
// report or the failure stays readable until a key is pressed.
void WaitInOwnWindow(int code, const descstat::TextStyle& console) {
    namespace platform = descstat::platform;
    if (!descstat::ConsoleIsOwn(platform::ConsoleProcesses(),
                                static_cast<unsigned long>(platform::ProcessId()))) {
        return;
    }
    if (code == descstat::kExitSuccess) {
        descstat::WriteClosingLines(std::cout, console);
    } else {
        std::cout << descstat::kKeyRequest << std::endl;
    }
    std::string key;
    std::cin >> key;
}

// The style of a report on standard output: what the screen shows, or else
// the locale's character set, looked up only then (loading the locale costs
// a run that writes to a named file about 150 KiB).
descstat::TextStyle ScreenOrPipeStyle(const std::optional<descstat::TextStyle>& screen,
                                      descstat::Language language) {
    if (screen) return *screen;
    return descstat::PipeStyle(descstat::platform::PipeCharset(), language);
}

// The compare run over every operand, its report written for what reads it
// as the text report is.
int CompareOnConsole(const descstat::CommandLine& cl) {
    descstat::RunOptions options = cl.options;
    const bool onStandardOutput = options.output.empty() || options.output == "-";
    const std::optional<descstat::TextStyle> screen = descstat::ScreenStyle(options.language);
    options.report = onStandardOutput && !options.encodingGiven
                         ? ScreenOrPipeStyle(screen, options.language)
                         : descstat::FileStyle(options.encoding, options.language);
    options.console = descstat::ConsoleStyle(screen, options.language);
    return RunOnFiles(cl.operands, [&] {
        return descstat::RunCompare(cl.operands, stdin, std::cout, std::cerr, options);
    });
}

// A machine format runs over every operand, without the window's wait (its
// rows are for scripts). The text report on standard output is written for
// what reads it, unless an encoding was asked for: a screen in what it shows,
// a pipe or a file in the locale's character set; a named report gets the
// program's own bytes.
int ArgumentsOnConsole(const descstat::CommandLine& cl) {
    if (cl.options.compare) return CompareOnConsole(cl);
    if (cl.options.format != descstat::Format::kReport) {
        return RunOnFiles(cl.operands, [&cl] {
            return descstat::RunMachine(cl.operands, stdin, std::cout, std::cerr, cl.options);
        });
    }
    const std::string& data = cl.operands[0];
    const std::string report = cl.operands.size() > 1 ? cl.operands[1] : "-";
    descstat::RunOptions options = cl.options;
    const std::optional<descstat::TextStyle> screen = descstat::ScreenStyle(options.language);
    options.report = report == "-" && !options.encodingGiven
                         ? ScreenOrPipeStyle(screen, options.language)
                         : descstat::FileStyle(options.encoding, options.language);
    // A table of several result sets wraps at the terminal's width.
    const int columns = descstat::platform::TerminalColumns();
    if (report == "-" && columns > 0) options.reportColumns = columns;
    options.console = descstat::ConsoleStyle(screen, options.language);
    const int code = RunOnFiles({data}, [&] {
        return descstat::RunWithNames(data, report, stdin, std::cout, std::cerr, options);
    });
    WaitInOwnWindow(code, options.console);
    return code;
}

// What the outputs of the command line cannot be, found by looking at the
// files they name before anything is read or written: two outputs that are
// one file however named (a link, another spelling, standard output
// redirected to it), or the chart on standard output when that is taken by
// the report or the dialogue's console. Empty when they are apart.
std::string OutputsClash(const descstat::CommandLine& cl) {
    const std::string& plot = cl.options.plot;
    if (plot.empty()) return {};
    if (cl.options.compare) {
        const std::string& output = cl.options.output.empty() ? "-" : cl.options.output;
        if (descstat::IsStandardOutput(plot) && descstat::IsStandardOutput(output)) {
            return "the chart and the comparison would both go to standard output (name an "
                   "--output)";
        }
        if (descstat::SameOutput(plot, output)) {
            return "the chart and the comparison would be the same file '" + plot + "'";
        }
        return {};
    }
    if (cl.options.format != descstat::Format::kReport) return {};
    if (cl.operands.empty()) {
        if (!descstat::IsStandardOutput(plot)) return {};
        return "the chart cannot go to standard output, which shows the dialogue";
    }
    const std::string report = cl.operands.size() > 1 ? cl.operands[1] : "-";
    if (descstat::IsStandardOutput(plot) && descstat::IsStandardOutput(report)) {
        return "the chart and the report would both go to standard output (name a REPORT)";
    }
    if (descstat::SameOutput(plot, report)) {
        return "the chart and the report would be the same file '" + plot + "'";
    }
    return {};
}

// The names of fields and groups as the user typed them, in UTF-8 where the
// system keeps the command line so (Windows: a name in Japanese reaches the
// program whole whatever the ANSI code page); file names stay as they are,
// for the system's file functions.
void TakeNamesInUtf8(std::size_t count, descstat::CommandLine& cl) {
    const std::vector<std::string> utf8 = descstat::platform::ArgumentsInUtf8();
    if (utf8.size() != count || !cl.error.empty()) return;
    const descstat::CommandLine again = descstat::ParseCommandLine(utf8);
    if (!again.error.empty()) return;
    cl.options.data.fields = again.options.data.fields;
    cl.options.data.groups = again.options.data.groups;
}

// Help or version on standard output; a failure to write it is a failure.
int Show(const char* text) {
    std::cout << text;
    return descstat::ConsoleChecked(std::cout, std::cerr, descstat::kExitSuccess);
}

}  // namespace

int main(int argc, char** argv) {
    descstat::platform::HoldStandardDescriptors();
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    descstat::CommandLine cl = descstat::ParseCommandLine(args);
    TakeNamesInUtf8(args.size(), cl);
    if (cl.error.empty() && !cl.help && !cl.version) cl.error = OutputsClash(cl);
    if (!cl.error.empty()) {
        std::cerr << descstat::kProgramPrefix << descstat::Shown(cl.error) << "\n"
                  << descstat::kTryHelp << std::endl;
        // Too many files dropped on the program, say: the window stays.
        const descstat::Language language = cl.options.language;
        WaitInOwnWindow(descstat::kExitUsage,
                        descstat::ConsoleStyle(descstat::ScreenStyle(language), language));
        return descstat::kExitUsage;
    }
    if (cl.help) {
        // The help is built once, from the option table: it may need memory.
        try {
            return Show(descstat::UsageText());
        } catch (const std::bad_alloc&) {
            std::cerr << descstat::kProgramPrefix << descstat::kNoMemoryMessage << std::endl;
            return kExitFailure;
        }
    }
    if (cl.version) return Show(descstat::VersionText());
    if (cl.operands.empty()) return DialogueOnConsole(cl.options);
    return ArgumentsOnConsole(cl);
}
