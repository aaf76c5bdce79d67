// descstat: descriptive statistics of the numbers in a text data file.
//
// With no operands the program asks for its files on the console (the
// dialogue); with a data file named on the command line it runs without
// questions, for scripts. Options apply to both.
#include <iostream>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "app/CommandLine.h"
#include "app/Console.h"
#include "app/Driver.h"

namespace {

constexpr const char* kConsoleFailed = "To write to the console failed.";

// The dialogue, then a check that everything it wrote reached the console:
// console text that did not arrive is a failure, whatever the run did.
int RunDialogue(descstat::RunOptions options) {
    options.console = descstat::DetectConsoleText();
    int code = descstat::kExitFailure;
    try {
        code = descstat::Run(std::cin, std::cout, descstat::RunHooks(), options);
    } catch (const std::bad_alloc&) {
        std::cout << descstat::kNoMemoryMessage << std::endl;
    }
    std::cout.flush();
    if (std::cout.fail()) {
        std::cerr << kConsoleFailed << std::endl;
        code = descstat::kExitFailure;
    }
    return code;
}

int RunArguments(const descstat::CommandLine& cl) {
    const std::string& data = cl.operands[0];
    const std::string report = cl.operands.size() > 1 ? cl.operands[1] : "-";
#ifdef _WIN32
    // Data read from standard input is copied byte for byte, then read in
    // text mode like any data file; a report there is written in text mode.
    if (data == "-") (void)_setmode(_fileno(stdin), _O_BINARY);
#endif
    try {
        return descstat::RunWithNames(data, report, std::cin, std::cout, std::cerr, cl.options);
    } catch (const std::bad_alloc&) {
        std::cerr << "descstat: " << descstat::kNoMemoryMessage << std::endl;
        return descstat::kExitFailure;
    }
}

// Help or version on standard output; a failure to write it is a failure.
int Show(const char* text) {
    std::cout << text << std::flush;
    if (!std::cout.fail()) return descstat::kExitSuccess;
    std::cerr << kConsoleFailed << std::endl;
    return descstat::kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
    descstat::HoldStandardDescriptors();
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const descstat::CommandLine cl = descstat::ParseCommandLine(args);
    if (!cl.error.empty()) {
        std::cerr << "descstat: " << cl.error << "\n"
                  << "Try 'descstat --help' for more information." << std::endl;
        return descstat::kExitUsage;
    }
    if (cl.help) return Show(descstat::UsageText());
    if (cl.version) return Show(descstat::VersionText());
    if (cl.operands.empty()) return RunDialogue(cl.options);
    return RunArguments(cl);
}
