// One save at a time among the copies of the program that work in one folder
// (two displays, or two stations sharing the folder): an exclusive flock on the
// file hoxa_NIVORA.lock there, held for a whole save sequence, so that each
// copy's save is whole and the next one starts from it.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace hoxa {

inline constexpr std::string_view kSaveLockName = "hoxa_NIVORA.lock";
// How long a save waits for another copy's save to end.
inline constexpr int kSaveLockWaitMs = 5000;

class SaveLock {
public:
    // Waits for the lock of dir for up to kSaveLockWaitMs; when another copy holds
    // it longer, raises EInOutError saying that `file` was not saved (nothing has
    // been written then).  A folder where the lock file cannot be had (read-only,
    // or a file system without locks) is not waited for: the save goes ahead and
    // meets its own failure, if any.
    SaveLock(const std::string& dir, const std::string& file);
    // Takes the lock only if it is free now; Busy() tells whether another copy
    // held it.
    static SaveLock IfFree(const std::string& dir);
    ~SaveLock();
    SaveLock(SaveLock&& other) noexcept;
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;
    SaveLock& operator=(SaveLock&&) = delete;

    bool Busy() const { return busy_; }

private:
    SaveLock(const std::string& dir, std::chrono::milliseconds wait);
    int fd_ = -1;
    bool busy_ = false;
};

// The message of a save given up for another copy's lock.
std::string SaveLockedMessage(const std::string& file);

}  // namespace hoxa
