#include "base/AtomicFile.h"

#include "base/FileIo.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace hoxa {

using namespace fileio;

namespace {

std::atomic<unsigned> g_tempCounter{0};

// 0 for a regular file, else the error a read or write of it gives.
int NotRegular(const struct stat& st) { return S_ISREG(st.st_mode) ? 0 : S_ISDIR(st.st_mode) ? EISDIR : EACCES; }

// Hands what fd holds from its current offset to take, piece by piece.
int ReadLoop(int fd, const std::function<bool(std::string_view)>& take)
{
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0 || !take(std::string_view(buf, static_cast<std::size_t>(n)))) return 0;
    }
}

// A fresh name ".<name><mark><pid>-<n>" in folder.
std::string BesideName(const std::string& folder, const std::string& name, std::string_view mark)
{
    return PathIn(folder, "." + name) + std::string(mark) + std::to_string(::getpid()) + "-" +
           std::to_string(g_tempCounter++);
}

// Creates a file of a fresh name in folder for writing and takes its lock; path
// gets its name.  Returns the descriptor, or -1 with errno set.
int CreateLocked(const std::string& folder, const std::string& name, std::string_view mark, mode_t mode,
                 std::string& path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = BesideName(folder, name, mark);
        Fd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (!fd.ok()) {
            if (errno == EEXIST) continue;
            return -1;
        }
        // A clean-up that found the new file before its lock was taken may be
        // removing it: then it is left to that clean-up.  A file system that keeps
        // no locks is written all the same.
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) continue;
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0 || st.st_nlink == 0) continue;
        return fd.Release();
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

// The rewrite in place: fd is the file at path (described by st) open for writing.
int RewriteInPlace(int fd, const struct stat& st, const std::string& path, std::string_view data)
{
    const std::string folder = FolderOf(path), name = NameOf(path);
    std::string old;
    {
        Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        struct stat now {};
        if (!in.ok() || ::fstat(in.get(), &now) != 0) return errno;
        if (now.st_dev != st.st_dev || now.st_ino != st.st_ino) return EBUSY;  // replaced meanwhile
        if (const int err = ReadAll(in.get(), old, old.max_size())) return err;
    }
    // The backup is written under a temporary name and renamed only when it is
    // complete and flushed: a file of the backup kind is always whole.  Its lock
    // is held until it is removed.
    std::string temp, backup;
    Fd copy(CreateLocked(folder, name, kTempMark, 0600, temp));
    if (!copy.ok()) return errno;
    int err = WriteAll(copy.get(), BackupBytes(st, old, data));
    if (err == 0 && ::fsync(copy.get()) != 0) err = errno;
    if (err == 0) err = RenameBeside(temp, folder, name, kBackupMark, backup);
    if (err != 0) {
        ::unlink(temp.c_str());
        return err;
    }
    // The backup's name is on the disk before the file's bytes are touched.
    SyncFolder(folder);

    err = OverwriteWith(fd, data);
    if (err != 0) {
        // Put the old bytes back; if even that fails the backup stays for the clean-up.
        if (OverwriteWith(fd, old) == 0) ::unlink(backup.c_str());
        return err;
    }
    ::unlink(backup.c_str());
    SyncFolder(folder);
    return 0;
}

}  // namespace

namespace fileio {

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

int OverwriteWith(int fd, std::string_view data) noexcept
{
    if (::lseek(fd, 0, SEEK_SET) < 0) return errno;
    if (const int err = WriteAll(fd, data)) return err;
    if (::ftruncate(fd, static_cast<off_t>(data.size())) != 0 || ::fsync(fd) != 0) return errno;
    return 0;
}

int ReadAll(int fd, std::string& out, std::size_t maxBytes) noexcept
{
    try {
        out.clear();
        if (::lseek(fd, 0, SEEK_SET) < 0) return errno;
        return ReadLoop(fd, [&](std::string_view piece) {
            out.append(piece.substr(0, maxBytes - out.size()));
            return out.size() < maxBytes;
        });
    } catch (...) {
        return ENOMEM;
    }
}

void SyncFolder(const std::string& folder) noexcept
{
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return;
    ::fsync(dfd);  // best effort: some file systems refuse fsync on a folder
    ::close(dfd);
}

}  // namespace fileio

std::string PathIn(std::string_view dir, std::string_view name)
{
    std::string path(dir);
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

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

int ReplaceFileAtomically(const std::string& path, std::string_view data) noexcept
{
    try {
        if (path.empty()) return ENOENT;
        // The file itself, opened for writing: its own permission decides whether
        // it may be written, as for any other write.
        Fd file;
        bool inPlace = false;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0) {
            inPlace = S_ISLNK(st.st_mode);  // a link is written through, and stays
            if (::stat(path.c_str(), &st) != 0) return errno;
            if (const int err = NotRegular(st)) return err;
            file.Reset(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
            if (!file.ok() || ::fstat(file.get(), &st) != 0) return errno;
            if (const int err = NotRegular(st)) return err;
            inPlace = inPlace || st.st_nlink > 1 || HasExtendedAttributes(file.get());
        } else if (errno != ENOENT) {
            return errno;
        }

        if (!inPlace) {
            std::string temp;
            Fd fd(CreateLocked(FolderOf(path), NameOf(path), kTempMark, 0666, temp));
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
                if (err == 0) (void)file.Close();
                // Renamed while its lock is held: the temporary name is never
                // seen unlocked while it is in use.
                if (err == 0 && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
            }
            if (err != 0 || inPlace) ::unlink(temp.c_str());
            if (err != 0) return err;
            if (!inPlace) {
                SyncFolder(FolderOf(path));
                return 0;
            }
        }
        const int err = RewriteInPlace(file.get(), st, path, data);
        if (const int c = file.Close(); err == 0) return c;
        return err;
    } catch (...) {
        return ENOMEM;
    }
}

int ReadFileChunks(const std::string& path, const std::function<bool(std::string_view)>& take) noexcept
{
    try {
        // Only a regular file is opened: opening a FIFO could wait for ever, and
        // opening a device could act on it.  The open does not wait either, in
        // case the name changed kind in between.
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return errno;
        if (const int err = NotRegular(st)) return err;
        Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (!fd.ok() || ::fstat(fd.get(), &st) != 0) return errno;
        if (const int err = NotRegular(st)) return err;
        return ReadLoop(fd.get(), take);
    } catch (...) {
        return ENOMEM;
    }
}

int ReadFileBytes(const std::string& path, std::string& out, std::size_t maxBytes) noexcept
{
    out.clear();
    const int err = ReadFileChunks(path, [&](std::string_view piece) {
        out.append(piece.substr(0, maxBytes - out.size()));
        return out.size() < maxBytes;
    });
    if (err != 0) out.clear();
    return err;
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
