#include "base/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace hoxa {

namespace {

std::atomic<unsigned> g_tempCounter{0};

// Marks of the two kinds of file a write leaves beside its target while it runs.
constexpr std::string_view kTempMark = ".tmp";
constexpr std::string_view kBackupMark = ".bak";

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

// Writes all of data to fd, resuming after interrupted or partial writes.
int WriteAll(int fd, std::string_view data) noexcept
{
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

// Makes the file behind to hold exactly the bytes of from (read from its start)
// and flushes it.
int OverwriteFrom(int from, int to) noexcept
{
    if (::lseek(from, 0, SEEK_SET) < 0 || ::lseek(to, 0, SEEK_SET) < 0) return errno;
    char buf[65536];
    off_t total = 0;
    for (;;) {
        const ssize_t n = ::read(from, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) break;
        if (const int err = WriteAll(to, std::string_view(buf, static_cast<std::size_t>(n)))) return err;
        total += n;
    }
    if (::ftruncate(to, total) != 0 || ::fsync(to) != 0) return errno;
    return 0;
}

// Replaces the bytes of the open file fd by data and flushes it.
int OverwriteWith(int fd, std::string_view data) noexcept
{
    if (::lseek(fd, 0, SEEK_SET) < 0) return errno;
    if (const int err = WriteAll(fd, data)) return err;
    if (::ftruncate(fd, static_cast<off_t>(data.size())) != 0 || ::fsync(fd) != 0) return errno;
    return 0;
}

// The folder part of a path: "." for a bare name, "/" for a name in the root.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void SyncFolder(const std::string& folder) noexcept
{
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return;
    ::fsync(dfd);  // best effort: some file systems refuse fsync on a folder
    ::close(dfd);
}

// A fresh name ".<name><mark><pid>-<n>" in folder.
std::string BesideName(const std::string& folder, const std::string& name, std::string_view mark)
{
    return PathIn(folder, "." + name) + std::string(mark) + std::to_string(::getpid()) + "-" +
           std::to_string(g_tempCounter++);
}

// Creates a file of a fresh name in folder for writing; path gets its name.
// Returns the descriptor, or -1 with errno set.
int CreateBeside(const std::string& folder, const std::string& name, std::string_view mark,
                 mode_t mode, std::string& path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = BesideName(folder, name, mark);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Renames from to a fresh name in folder without replacing any file there (a
// leftover of an ended writer with the same process id must stay for the clean-up).
int RenameBeside(const std::string& from, const std::string& folder, const std::string& name,
                 std::string_view mark, std::string& path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = BesideName(folder, name, mark);
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) return 0;
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) return errno;
        // A file system without the no-replace rename: look first.
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0) continue;
        return ::rename(from.c_str(), path.c_str()) == 0 ? 0 : errno;
    }
    return EEXIST;
}

// Extended attributes (an ACL among them) that a new file would not have.
bool HasExtendedAttributes(int fd) noexcept { return ::flistxattr(fd, nullptr, 0) > 0; }

// The rewrite in place: fd is the target open for writing.
int RewriteInPlace(int fd, const std::string& target, const std::string& folder, std::string_view data)
{
    // The copy is made under a temporary name and renamed only when it is complete
    // and flushed: a copy of the backup kind always holds the whole old file.
    std::string temp, backup;
    {
        Fd old(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (!old.ok()) return errno;
        // Only this user may read the copy: the file's own permission may be narrower
        // than the folder's default.
        Fd copy(CreateBeside(folder, NameOf(target), kTempMark, 0600, temp));
        if (!copy.ok()) return errno;
        int err = OverwriteFrom(old.get(), copy.get());
        if (const int c = copy.Close(); err == 0) err = c;
        if (err == 0) err = RenameBeside(temp, folder, NameOf(target), kBackupMark, backup);
        if (err != 0) {
            ::unlink(temp.c_str());
            return err;
        }
    }
    // The copy's name is on the disk before the file's bytes are touched.
    SyncFolder(folder);

    const int err = OverwriteWith(fd, data);
    if (err != 0) {
        // Put the old bytes back; if even that fails the copy stays for the next start.
        Fd copy(::open(backup.c_str(), O_RDONLY | O_CLOEXEC));
        if (copy.ok() && OverwriteFrom(copy.get(), fd) == 0) ::unlink(backup.c_str());
        return err;
    }
    ::unlink(backup.c_str());
    SyncFolder(folder);
    return 0;
}

// A leftover of a write: ".<target><mark><pid>-<n>", pid and n decimal as written.
struct Leftover {
    std::string target;
    bool backup = false;
    pid_t pid = 0;
};

// The decimal digits at the end of s (none with a leading zero but "0"), or npos.
std::size_t TrailingNumber(std::string_view s, unsigned long long& value)
{
    std::size_t i = s.size();
    while (i > 0 && s[i - 1] >= '0' && s[i - 1] <= '9') --i;
    const std::string_view digits = s.substr(i);
    if (digits.empty() || digits.size() > 10 || (digits.size() > 1 && digits[0] == '0'))
        return std::string_view::npos;
    value = 0;
    for (const char c : digits) value = value * 10 + static_cast<unsigned>(c - '0');
    return i;
}

bool ParseLeftover(std::string_view name, Leftover& out)
{
    const std::size_t dash = name.rfind('-');
    if (dash == std::string_view::npos) return false;
    unsigned long long counter = 0, pid = 0;
    const std::string_view tail = name.substr(dash + 1);
    if (TrailingNumber(tail, counter) != 0 || counter > UINT_MAX) return false;
    std::string_view head = name.substr(0, dash);
    const std::size_t pidAt = TrailingNumber(head, pid);
    if (pidAt == std::string_view::npos || pid == 0 || pid > INT_MAX) return false;
    head = head.substr(0, pidAt);
    if (head.size() < kTempMark.size() + 2 || head.front() != '.') return false;
    const std::string_view mark = head.substr(head.size() - kTempMark.size());
    if (mark != kTempMark && mark != kBackupMark) return false;
    const std::string_view target = head.substr(1, head.size() - 1 - mark.size());
    if (target.empty() || target == "." || target == "..") return false;
    out.target = std::string(target);
    out.backup = mark == kBackupMark;
    out.pid = static_cast<pid_t>(pid);
    return true;
}

// Writes the in-place copy at backup back over target.  A missing target needs
// nothing back: somebody removed it after the writer died.
bool RestoreBackup(const std::string& backup, const std::string& target)
{
    Fd to(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
    if (!to.ok()) return errno == ENOENT;
    struct stat st {};
    if (::fstat(to.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    Fd from(::open(backup.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    return from.ok() && OverwriteFrom(from.get(), to.get()) == 0 && to.Close() == 0;
}

}  // namespace

std::string PathIn(std::string_view dir, std::string_view name)
{
    std::string path(dir);
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

int ReplaceFileAtomically(const std::string& path, std::string_view data) noexcept
{
    try {
        if (path.empty()) return ENOENT;
        std::string target = path;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
            char* real = ::realpath(path.c_str(), nullptr);
            if (real == nullptr) return errno;
            target = real;
            std::free(real);
        }
        // The file itself, opened for writing: its own permission decides whether
        // it may be written, as for any other write.
        Fd file;
        if (::stat(target.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) return EISDIR;
            if (!S_ISREG(st.st_mode)) return EINVAL;
            file.Reset(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
            if (!file.ok() || ::fstat(file.get(), &st) != 0) return errno;
        } else if (errno != ENOENT) {
            return errno;
        }
        const std::string folder = FolderOf(target);
        bool inPlace = file.ok() && (st.st_nlink > 1 || HasExtendedAttributes(file.get()));

        if (!inPlace) {
            std::string temp;
            Fd fd(CreateBeside(folder, NameOf(target), kTempMark, 0666, temp));
            if (!fd.ok()) return errno;
            int err = 0;
            if (file.ok()) {
                // The old file's owner and group (a new file may get another group
                // from a set-group folder), then its permission bits, as changing
                // the owner clears set-id bits.  An owner that cannot be given
                // means the file is rewritten in place.
                struct stat made {};
                if (::fstat(fd.get(), &made) != 0) err = errno;
                else if ((made.st_uid != st.st_uid || made.st_gid != st.st_gid) &&
                         ::fchown(fd.get(), st.st_uid, st.st_gid) != 0)
                    inPlace = true;
                else if (::fchmod(fd.get(), st.st_mode & 07777) != 0)
                    err = errno;
            }
            if (!inPlace) {
                if (err == 0) err = WriteAll(fd.get(), data);
                if (err == 0 && ::fsync(fd.get()) != 0) err = errno;
                if (const int c = fd.Close(); err == 0) err = c;
                if (err == 0) (void)file.Close();
                if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
            }
            if (err != 0 || inPlace) ::unlink(temp.c_str());
            if (err != 0) return err;
            if (!inPlace) {
                SyncFolder(folder);
                return 0;
            }
        }
        const int err = RewriteInPlace(file.get(), target, folder, data);
        if (const int c = file.Close(); err == 0) return c;
        return err;
    } catch (...) {
        return ENOMEM;
    }
}

int RemoveStaleTempFiles(const std::string& dir) noexcept
{
    try {
        DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
        if (d == nullptr) return 0;
        std::vector<std::pair<std::string, Leftover>> found;
        while (const dirent* e = ::readdir(d)) {
            Leftover l;
            if (ParseLeftover(e->d_name, l)) found.emplace_back(e->d_name, std::move(l));
        }
        ::closedir(d);

        int removed = 0;
        for (const auto& [name, l] : found) {
            // Only a writer that is gone: a running one (ours included) still uses it.
            if (::kill(l.pid, 0) == 0 || errno != ESRCH) continue;
            const std::string path = PathIn(dir, name);
            struct stat st {};
            if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            if (l.backup && !RestoreBackup(path, PathIn(dir, l.target))) continue;
            if (::unlink(path.c_str()) == 0) ++removed;
        }
        if (removed > 0) SyncFolder(dir.empty() ? "." : dir);
        return removed;
    } catch (...) {
        return 0;
    }
}

int ReadFileBytes(const std::string& path, std::string& out, std::size_t maxBytes) noexcept
{
    try {
        out.clear();
        Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd.ok()) return errno;
        struct stat st {};
        if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
            out.reserve(std::min(static_cast<std::size_t>(st.st_size), maxBytes));
        char buf[65536];
        while (out.size() < maxBytes) {
            const ssize_t n = ::read(fd.get(), buf, std::min(sizeof buf, maxBytes - out.size()));
            if (n < 0) {
                if (errno == EINTR) continue;
                const int err = errno;
                out.clear();
                return err;
            }
            if (n == 0) break;
            out.append(buf, static_cast<std::size_t>(n));
        }
        return 0;
    } catch (...) {
        out.clear();
        return ENOMEM;
    }
}

std::string FileErrorText(int err)
{
    switch (err) {
    case ENOENT: return "File not found";
    case ENOTDIR: return "Path not found";
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY: return "File access denied";
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return "Disk full";
    case EMFILE:
    case ENFILE: return "Too many open files";
    case ENAMETOOLONG:
    case EINVAL: return "Invalid filename";
    default: return "I/O error " + std::to_string(err);
    }
}

}  // namespace hoxa
