#include "base/SaveLock.h"

#include "base/AtomicFile.h"
#include "base/Profile.h"
#include "base/errors.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace hoxa {

namespace {

constexpr std::chrono::milliseconds kStep(20);

// The lock file, made if missing; -1 where it cannot be had.  Never through a
// link, never a FIFO or device of that name.
int OpenLockFile(const std::string& dir)
{
    const std::string path = PathIn(dir, kSaveLockName);
    constexpr int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | flags, 0666);
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_RDONLY | flags);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        fd = -1;
    }
    return fd;
}

}  // namespace

SaveLock::SaveLock(const std::string& dir, std::chrono::milliseconds wait) : fd_(OpenLockFile(dir))
{
    const auto until = std::chrono::steady_clock::now() + wait;
    while (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        busy_ = errno == EWOULDBLOCK || errno == EINTR;
        if (!busy_ || std::chrono::steady_clock::now() >= until) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
        std::this_thread::sleep_for(kStep);
    }
    busy_ = false;
}

SaveLock::SaveLock(const std::string& dir, const std::string& file)
    : SaveLock(dir, std::chrono::milliseconds(kSaveLockWaitMs))
{
    if (busy_) throw EInOutError(SaveLockedMessage(file));
}

SaveLock SaveLock::IfFree(const std::string& dir) { return SaveLock(dir, std::chrono::milliseconds(0)); }

SaveLock::SaveLock(SaveLock&& other) noexcept : fd_(other.fd_), busy_(other.busy_) { other.fd_ = -1; }

SaveLock::~SaveLock()
{
    if (fd_ >= 0) ::close(fd_);  // the lock goes with the descriptor
}

std::string SaveLockedMessage(const std::string& file)
{
    return ShownPath(file) + " に保存できませんでした。ほかの hoxa が同じフォルダで保存を続けていて、" +
           std::to_string(kSaveLockWaitMs / 1000) + " 秒待っても終わりませんでした。";
}

}  // namespace hoxa
