#include "base/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hoxa {

namespace {

std::atomic<unsigned> g_tempCounter{0};

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

}  // namespace

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
        bool exists = false;
        if (::stat(target.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) return EISDIR;
            if (!S_ISREG(st.st_mode)) return EINVAL;
            exists = true;
        } else if (errno != ENOENT) {
            return errno;
        }

        const std::string folder = FolderOf(target);
        const std::string prefix = (folder == "/" ? std::string() : folder) + "/." + NameOf(target) + ".tmp";
        std::string temp;
        int fd = -1;
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            temp = prefix + std::to_string(::getpid()) + "-" + std::to_string(g_tempCounter++);
            fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST) return errno;
        }
        if (fd < 0) return EEXIST;

        int err = WriteAll(fd, data);
        if (err == 0 && exists) {
            // Keep the old file's owner (where allowed) and permission bits; the
            // owner first, as changing it clears set-id bits.
            if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
                (void)::fchown(fd, st.st_uid, st.st_gid);
            if (::fchmod(fd, st.st_mode & 07777) != 0) err = errno;
        }
        if (err == 0 && ::fsync(fd) != 0) err = errno;
        if (::close(fd) != 0 && err == 0) err = errno;
        if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
        if (err != 0) {
            ::unlink(temp.c_str());
            return err;
        }
        SyncFolder(folder);
        return 0;
    } catch (...) {
        return ENOMEM;
    }
}

int ReadFileBytes(const std::string& path, std::string& out) noexcept
{
    try {
        out.clear();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return errno;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
            out.reserve(static_cast<std::size_t>(st.st_size));
        char buf[65536];
        int err = 0;
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0) {
                if (errno == EINTR) continue;
                err = errno;
                break;
            }
            if (n == 0) break;
            out.append(buf, static_cast<std::size_t>(n));
        }
        ::close(fd);
        if (err != 0) out.clear();
        return err;
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
