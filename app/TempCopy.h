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
    // made whole (a read error of `in` gives EIO).
    int Fill(std::istream& in);

    // The copy's file name; empty before Fill made it.
    const std::string& Name() const { return name_; }

private:
    std::string name_;
};

}  // namespace descstat

#endif  // DESCSTAT_TEMPCOPY_H
