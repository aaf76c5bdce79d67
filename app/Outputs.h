// The files a run writes (the report, the chart, a machine format's rows),
// each replaced whole or left alone, and the checks that keep them off what
// the user owns.
//
// A named output is written to a new file beside it and put in its place only
// when the whole run has succeeded: the outputs of one run are committed
// together, so a failed chart leaves the old report. Where no new file can be
// made beside it (a folder the user may not write), it is kept in memory and
// written in place only then, under a lock, so that two such runs leave one
// whole output; a write failure there is the one case that can leave a part
// of one. A full disk, a quota or a name too long is the write failure it is,
// never a reason to write in place. A name that is a link to an open
// descriptor (/dev/stdout, /dev/fd/N) is written through that descriptor, as
// standard output is, and never replaced. A device, a FIFO or a terminal is
// written in place. An output is never the data, never another output of the
// run, and never an existing file that holds something else than what this
// program writes, unless --force says so.
#ifndef DESCSTAT_OUTPUTS_H
#define DESCSTAT_OUTPUTS_H

#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/Messages.h"
#include "mylib/RdTxtLn.h"

namespace descstat {

// What an existing file named as an output must already hold to be replaced
// without --force: a report (its first line names the data file), or
// anything this program writes (a report, an SVG chart, tsv, csv or JSON
// rows).
enum class Replaces { kReport, kProgramOutput };

// True when the output named `name` may be replaced: it does not exist, is
// no regular file, is empty, or holds what `replaces` allows.
bool MayReplace(const std::string& name, Replaces replaces);

// True when the name stands for standard output: "-", or a link to
// descriptor 1 such as /dev/stdout.
bool IsStandardOutput(const std::string& name);

// True when the two outputs would be one file (or both standard output),
// compared by what each is or would be when opened, never by name. Devices,
// FIFOs and terminals are never one file in this sense: they hold nothing
// that a second output could overwrite.
bool SameOutput(const std::string& a, const std::string& b);

// True when the output named `output` is the data file `data` ("-":
// standard input) by identity, as far as the names tell before either is
// opened.
bool IsDataFile(const std::string& output, const std::string& data);

// One output of a run.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    OutputFile(OutputFile&&) = delete;
    OutputFile& operator=(OutputFile&&) = delete;

    // Decides where the output named `name` goes and makes what must exist
    // before the data is read (a new file beside it); the named file itself
    // is neither opened nor changed. "-" and links to descriptor 1 go to
    // `standard`. `binary`: the same bytes on every system, line ends
    // included. kOpenOutput (with the system's reason) when it cannot be
    // made; kWriteOutput when the disk or the quota is full or the name too
    // long for a new file.
    Outcome Prepare(const std::string& name, std::ostream& standard, bool binary = false);

    // The stream the output is written to once prepared.
    std::ostream& Stream();

    // The name the output was prepared for, for messages.
    const std::string& Name() const { return name_; }

    // Finishes writing without putting anything in place: the new file is
    // closed, standard output flushed. kWriteOutput when anything of it could
    // not be written.
    Failure Finish();

    // Puts the finished output in place: renames the new file over the named
    // one, or writes what was kept in memory in place or through its
    // descriptor. kWriteOutput (errno set) when that fails.
    Failure Commit();

    // True when nothing written reaches the named output before Commit (a new
    // file beside it, or memory), so a failed run shows none of it.
    bool HeldUntilCommit() const {
        return way_ == Way::kReplace || way_ == Way::kDescriptor || way_ == Way::kInPlace;
    }

    // True when Commit puts a new file in place by renaming it.
    bool Renames() const { return way_ == Way::kReplace; }

private:
    enum class Way { kNone, kStandard, kDescriptor, kReplace, kDevice, kInPlace };
    void Discard();
    Outcome PrepareNamed(std::ios_base::openmode mode);

    Way way_ = Way::kNone;
    std::string name_;
    std::ostream* standard_ = nullptr;
    bool binary_ = false;
    int descriptor_ = -1;
    // Outlives the stream that uses it; not cleared, so that only the pages
    // written are ever touched.
    std::unique_ptr<char[]> buffer_;
    std::ofstream file_;
    std::ostringstream memory_;  // what is written in place or through a descriptor
    std::string target_;         // the file that gets the output
    std::string newFile_;        // the new file written first; empty when none
};

// Commits the outputs of one run together: each is finished first, and only
// when all were is any put in place; on a failure the others are left as
// they were. kNone, or the failure and the index of the output it concerns.
Outcome CommitOutputs(const std::vector<OutputFile*>& outputs, std::size_t& failed);

// How a front end's names are read: on the command line "-" (and a name
// of descriptor 1, such as /dev/stdout) is standard output; in the
// dialogue every answer is a file's name.
enum class Naming { kCommandLine, kDialogue };

// True when the output named `name` is the data `reader` has open, compared
// by the open file's identity; a device such as a terminal is read and
// written apart.
bool IsOpenData(const myLib::RdTxtLn& reader, const std::string& name,
                Naming naming = Naming::kCommandLine);

// Why the output named `name` may not be written, before anything is made
// for it: it has no name, it is the data `reader` has open (IsOpenData), or
// it exists and holds something `replaces` does not allow (unless
// `force`). kNone when it may.
Failure CheckOutput(const myLib::RdTxtLn& reader, const std::string& name, Replaces replaces,
                    bool force);

// The hint after a refusal to replace a file that holds no output of this
// program.
std::string NotReportHint(const std::string& name, Replaces replaces);

}  // namespace descstat

#endif  // DESCSTAT_OUTPUTS_H
