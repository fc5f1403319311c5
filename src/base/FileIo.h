// What the file writer (AtomicFile.cpp) and the clean-up of its leftovers
// (StaleFiles.cpp) share: descriptors, whole writes, the leftover names and the
// backup record of a rewrite in place.  Not for use outside base/.
#pragma once

#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace hoxa::fileio {

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1) noexcept : fd_(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    void Reset(int fd) noexcept
    {
        Close();
        fd_ = fd;
    }
    int get() const noexcept { return fd_; }
    // Hands the descriptor over without closing it.
    int Release() noexcept
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    bool ok() const noexcept { return fd_ >= 0; }
    // Closes now; returns the errno value of a failing close, else 0.
    int Close() noexcept
    {
        if (fd_ < 0) return 0;
        const int r = ::close(fd_);
        fd_ = -1;
        return r == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Marks of the two kinds of file a write leaves beside its target while it runs:
// ".<name>.tmp<pid>-<n>" and ".<name>.bak<pid>-<n>".  The writer holds an
// exclusive flock on each for as long as it uses it: a leftover whose lock can be
// taken belongs to nobody.
inline constexpr std::string_view kTempMark = ".tmp";
inline constexpr std::string_view kBackupMark = ".bak";

// Writes all of data to fd, resuming after interrupted or partial writes.
int WriteAll(int fd, std::string_view data) noexcept;
// Replaces the bytes of the open file fd by data and flushes it.
int OverwriteWith(int fd, std::string_view data) noexcept;
// Reads the open file fd from its start into out, at most maxBytes.
int ReadAll(int fd, std::string& out, std::size_t maxBytes) noexcept;

// Flushes the folder's entries (best effort).
void SyncFolder(const std::string& folder) noexcept;

// The backup a rewrite in place leaves beside its file while it runs: one header
// line, the file's old bytes, then the new bytes the rewrite puts in.  With both
// at hand the clean-up tells a rewrite cut short (the file is a mixture of the
// two: the old bytes go back) from one that completed (the file is the new bytes)
// and from a later write by anybody else (neither: the file stays as it is).
struct BackupRecord {
    dev_t dev = 0;  // the file the backup was made of
    ino_t ino = 0;
    std::string oldBytes, newBytes;
};
std::string BackupBytes(const struct stat& file, std::string_view oldBytes, std::string_view newBytes);
// False for anything but a whole backup made by BackupBytes.
bool ParseBackup(std::string_view bytes, BackupRecord& out);

}  // namespace hoxa::fileio
