// Fuzz target: arbitrary bytes as the data file of a whole run, driven through
// in-memory console streams. The run must end with exit code 0 or 9; on 0 the
// console shows the closing messages and the report lists exactly the counted
// lines (a table's one sample's values), numbered from 1, followed by the
// five results; a table of several samples gets a table of results.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/DataFile.h"
#include "app/Dialogue.h"
#include "app/Table.h"
#include "fuzz/FuzzSupport.h"

namespace {

std::vector<std::string> ReportLines(const std::string& name) {
    std::ifstream in(name);  // text mode: the platform's line ends become "\n"
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// What a complete run's report must hold, found by the data file unit
// alone: a marker file's counted lines, or a table's samples (the listing of
// one, with its name line when it is named and its missing line when cells
// were missing; a table of several has no listing).
struct Expected {
    std::int32_t count = -1;  // the listing's lines; -1: the data cannot be read
    std::size_t sets = 1;
    bool nameLine = false;
    bool missingLine = false;
};

Expected ExpectedReport(const std::string& name) {
    myLib::RdTxtLn reader(name);
    descstat::Section section;
    Expected expected;
    if (descstat::CountValueLines(reader, {}, std::numeric_limits<std::int32_t>::max(), section)
            .failure != descstat::Failure::kNone) {
        return expected;
    }
    if (!section.table) {
        expected.count = section.count;
        return expected;
    }
    descstat::ValueSink silent;
    descstat::Columns columns;
    if (section.table->Finish(silent, columns).failure != descstat::Failure::kNone) return expected;
    expected.sets = columns.size();
    expected.count = columns.size() == 1 ? columns[0].values.Count() : 0;
    expected.nameLine = columns.size() == 1 && columns[0].named;
    expected.missingLine = columns.size() == 1 && (columns[0].named || columns[0].missing > 0);
    return expected;
}

void CheckReport(const std::string& dataName, const std::string& reportName) {
    const std::vector<std::string> lines = ReportLines(reportName);
    const Expected expected = ExpectedReport(dataName);
    fuzz::Check(expected.count >= 0 && lines.size() >= 3, "a complete run's data can be read");
    fuzz::Check(lines[0] == "Input data file = " + dataName && lines[1].empty(),
                "the report starts with the header");
    if (expected.sets > 1) {
        fuzz::Check(lines.size() >= 3 + 7, "several result sets make a table");
        return;
    }
    const std::size_t named = expected.nameLine ? 1 : 0;
    const std::int32_t count = expected.count;
    fuzz::Check(lines.size() ==
                    static_cast<std::size_t>(count) + 10 + named + (expected.missingLine ? 1 : 0),
                "the report has the counted number of listing lines");
    for (std::int32_t k = 1; k <= count; ++k) {
        const std::string prefix = std::to_string(k) + ":  ";
        fuzz::Check(
            lines[static_cast<std::size_t>(k) + 2 + named].compare(0, prefix.size(), prefix) == 0,
            "listing lines are numbered from 1");
    }
    const std::size_t after = static_cast<std::size_t>(count) + 3 + named;
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
