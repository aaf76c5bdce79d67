// The values of a data file in memory, in file order: one array of doubles
// that never moves. It is made at its final size when the count is known
// (a file read twice: Reserve), or grows in place as values arrive (data read once):
// address space is reserved up front, as much as the system allows up to the
// largest count, and committed as it fills, so that growing never copies and
// the values cost 8 bytes each, with no second copy at any time. One of a
// table's many samples may start from a smaller reservation; past it, its
// values move once to one twice as large.
#ifndef DESCSTAT_VALUES_H
#define DESCSTAT_VALUES_H

#include <cstddef>
#include <cstdint>

namespace descstat {

class Values {
public:
    Values() = default;
    // Values that grow from a smaller reservation of address space (`bytes`),
    // for one of many samples: past it they move once to a reservation twice
    // as large.
    explicit Values(std::size_t reserveBytes) : reserveHint_(reserveBytes) {}
    ~Values();
    Values(const Values&) = delete;
    Values& operator=(const Values&) = delete;
    Values(Values&& other) noexcept;
    Values& operator=(Values&& other) noexcept;

    // Makes room for exactly `count` values (the lines a counting pass
    // found), so that appending that many never fails; no values yet. False
    // when there is not enough memory.
    bool Reserve(std::int32_t count);

    // Keeps no values from now on, only their count, for a run that needs
    // none in order (its sums are kept as they are read): any number of
    // values then costs no memory. Only before the first value.
    void CountOnly() { countOnly_ = count_ == 0 && data_ == nullptr; }

    // Adds a value at the end (or counts it); false when there is no memory
    // for it.
    bool Append(double value);

    // Room for n more values at the end, which the caller writes there at
    // once (values that are kept, not only counted); null, with nothing
    // changed, when there is no memory for them.
    double* AppendRoom(std::int32_t n);

    // True when values are only counted (CountOnly).
    bool CountsOnly() const { return countOnly_; }

    // Counts n more values, for values only counted (CountOnly).
    void AddCounted(std::int32_t n) { count_ += n; }

    // The values in file order (null while there are none, and when they are
    // only counted), and how many.
    double* Data() { return data_; }
    const double* Data() const { return data_; }
    std::int32_t Count() const { return count_; }

private:
    void Release();
    bool Grow();

    double* data_ = nullptr;
    std::size_t reserveHint_ = 0;  // 0: as much as the largest count needs
    std::size_t reserved_ = 0;     // bytes of address space
    std::size_t committed_ = 0;    // bytes usable from data_ on
    std::int32_t count_ = 0;
    bool countOnly_ = false;
};

}  // namespace descstat

#endif  // DESCSTAT_VALUES_H
