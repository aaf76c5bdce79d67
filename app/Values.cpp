#include "app/Values.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "app/Platform.h"

namespace descstat {

namespace {

// The most values a data section can hold, and so the most address space.
constexpr std::size_t kMaxBytes =
    static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) * sizeof(double);
// Growth commits this much at a time (a whole number of pages everywhere).
constexpr std::size_t kCommitStep = std::size_t{1} << 20;

}  // namespace

Values::~Values() { Release(); }

Values::Values(Values&& other) noexcept { *this = std::move(other); }

Values& Values::operator=(Values&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        reserved_ = std::exchange(other.reserved_, 0);
        committed_ = std::exchange(other.committed_, 0);
        count_ = std::exchange(other.count_, 0);
        countOnly_ = std::exchange(other.countOnly_, false);
        reserveHint_ = other.reserveHint_;
    }
    return *this;
}

void Values::Release() {
    if (data_ != nullptr) platform::ReleaseMemory(data_, reserved_);
    data_ = nullptr;
    reserved_ = committed_ = 0;
    count_ = 0;
}

bool Values::Reserve(std::int32_t count) {
    Release();
    if (count <= 0 || countOnly_) return true;
    const std::size_t bytes = static_cast<std::size_t>(count) * sizeof(double);
    std::size_t reserved = bytes;
    void* base = platform::ReserveMemory(reserved, bytes);
    if (base == nullptr) return false;
    if (!platform::CommitMemory(base, bytes)) {
        platform::ReleaseMemory(base, reserved);
        return false;
    }
    data_ = static_cast<double*>(base);
    reserved_ = reserved;
    committed_ = bytes;
    return true;
}

// Makes room for one more value: commits the next step of the reservation,
// or, when it is full (a smaller one was asked for), moves the values to one
// twice as large.
bool Values::Grow() {
    if (data_ == nullptr) {
        std::size_t reserved = reserveHint_ != 0 ? std::min(reserveHint_, kMaxBytes) : kMaxBytes;
        void* base = platform::ReserveMemory(reserved, kCommitStep);
        if (base == nullptr) return false;
        data_ = static_cast<double*>(base);
        reserved_ = reserved;
    }
    if (committed_ == reserved_) {
        if (reserved_ >= kMaxBytes) return false;
        std::size_t reserved = std::min(kMaxBytes, reserved_ * 2);
        void* base = platform::ReserveMemory(reserved, committed_ + kCommitStep);
        if (base == nullptr || !platform::CommitMemory(base, committed_)) {
            if (base != nullptr) platform::ReleaseMemory(base, reserved);
            return false;
        }
        std::copy(data_, data_ + count_, static_cast<double*>(base));
        platform::ReleaseMemory(data_, reserved_);
        data_ = static_cast<double*>(base);
        reserved_ = reserved;
    }
    const std::size_t step = std::min(kCommitStep, reserved_ - committed_);
    void* end = static_cast<char*>(static_cast<void*>(data_)) + committed_;
    if (step == 0 || !platform::CommitMemory(end, step)) return false;
    committed_ += step;
    return true;
}

bool Values::Append(double value) {
    if (countOnly_) {
        ++count_;
        return true;
    }
    const std::size_t needed = (static_cast<std::size_t>(count_) + 1) * sizeof(double);
    if (needed > committed_ && !Grow()) return false;
    data_[count_++] = value;
    return true;
}

double* Values::AppendRoom(std::int32_t n) {
    const std::size_t needed = (static_cast<std::size_t>(count_) + n) * sizeof(double);
    while (needed > committed_) {
        if (!Grow()) return nullptr;
    }
    double* room = data_ + count_;
    count_ += n;
    return room;
}

}  // namespace descstat
