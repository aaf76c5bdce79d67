// Fuzz target: arbitrary bytes as the data file of a whole run, driven through
// in-memory console streams. The run must end with exit code 0 or 9; on 0 the
// console shows the closing messages and the report lists exactly the counted
// lines, numbered from 1, followed by the five results.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/DataFile.h"
#include "app/Dialogue.h"
#include "fuzz/FuzzSupport.h"

namespace {

std::vector<std::string> ReportLines(const std::string& name) {
    std::ifstream in(name);  // text mode: the platform's line ends become "\n"
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::int32_t CountedLines(const std::string& name) {
    myLib::RdTxtLn reader(name);
    descstat::Section section;
    const descstat::Failure f =
        descstat::CountValueLines(reader, {}, std::numeric_limits<std::int32_t>::max(), section)
            .failure;
    return f == descstat::Failure::kNone ? section.count : -1;
}

void CheckReport(const std::string& dataName, const std::string& reportName) {
    const std::vector<std::string> lines = ReportLines(reportName);
    const std::int32_t count = CountedLines(dataName);
    fuzz::Check(count >= 0 && lines.size() == static_cast<std::size_t>(count) + 10,
                "the report has the counted number of listing lines");
    fuzz::Check(lines[0] == "Input data file = " + dataName && lines[1].empty(),
                "the report starts with the header");
    for (std::int32_t k = 1; k <= count; ++k) {
        const std::string prefix = std::to_string(k) + ":  ";
        fuzz::Check(lines[static_cast<std::size_t>(k) + 2].compare(0, prefix.size(), prefix) == 0,
                    "listing lines are numbered from 1");
    }
    const std::size_t after = static_cast<std::size_t>(count) + 3;
    fuzz::Check(lines[after].empty() && lines[after + 1].empty(), "two empty lines end the list");
    fuzz::Check(lines[after + 4].compare(0, 9, "SD     = ") == 0, "the results follow");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string dataName = fuzz::ScratchPath("run-data");
    static const std::string reportName = fuzz::ScratchPath("run-report");
    fuzz::WriteFile(dataName, data, size);
    std::istringstream in(dataName + "\n" + reportName + "\nx\n");
    std::ostringstream con;
    const int code = descstat::RunDialogue(in, con);
    fuzz::Check(code == descstat::kExitSuccess || code == descstat::kExitFailure,
                "the exit code is 0 or 9");
    if (code == descstat::kExitSuccess) {
        fuzz::Check(con.str().find("Press down") == std::string::npos,
                    "a complete run shows no failure");
        CheckReport(dataName, reportName);
    }
    return 0;
}
