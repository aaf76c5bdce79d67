// A temporary copy of a stream's bytes, so that data piped in (the data file
// "-") can be read twice like any file. The copy is removed when the object
// goes, on every path.
#ifndef DESCSTAT_TEMPCOPY_H
#define DESCSTAT_TEMPCOPY_H

#include <istream>
#include <string>

namespace descstat {

class TempCopy {
public:
    TempCopy() = default;
    ~TempCopy();
    TempCopy(const TempCopy&) = delete;
    TempCopy& operator=(const TempCopy&) = delete;
    TempCopy(TempCopy&&) = delete;
    TempCopy& operator=(TempCopy&&) = delete;

    // Copies every byte of `in` into a new file in the temporary folder.
    // Returns 0, or the system's error number when the copy could not be
    // made whole; ReadFailed then tells whether reading `in` failed (rather
    // than making or writing the copy). A read error of standard input shows
    // only on the C stream beneath std::cin, which is asked too.
    int Fill(std::istream& in);

    // True when the last Fill stopped at a read error of its input.
    bool ReadFailed() const { return readFailed_; }

    // The copy's file name; empty before Fill made it.
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    bool readFailed_ = false;
};

}  // namespace descstat

#endif  // DESCSTAT_TEMPCOPY_H
