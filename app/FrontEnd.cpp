#include "app/FrontEnd.h"

namespace descstat {

std::unique_ptr<myLib::RdTxtLn> OpenData(const std::string& name, std::FILE* in) {
    if (name == "-") return std::make_unique<myLib::RdTxtLn>(in);
    return std::make_unique<myLib::RdTxtLn>(name);
}

Outcome PrepareOutput(const myLib::RdTxtLn& reader, const std::string& name, Replaces replaces,
                      bool force, std::ostream& out, bool binary, OutputFile& file) {
    const Failure checked = CheckOutput(reader, name, replaces, force);
    if (checked != Failure::kNone) return {checked};
    return file.Prepare(name, out, binary);
}

int FailOnStandardError(std::ostream& err, const Outcome& outcome, const std::string& name,
                        Replaces replaces) {
    err << kProgramPrefix << FailureText(outcome, name) << std::endl;
    if (outcome.failure == Failure::kNotReport) {
        err << kProgramPrefix << NotReportHint(name, replaces) << std::endl;
    }
    return kExitFailure;
}

int ConsoleChecked(std::ostream& out, std::ostream& err, int code) {
    out.flush();
    if (!out.fail()) return code;
    err << kConsoleFailed << std::endl;
    return kExitFailure;
}

}  // namespace descstat
