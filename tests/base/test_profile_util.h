// Small helpers shared by the profile, settings and slot file tests: a private
// temporary folder, whole-file reads and writes, and a file-size limit that makes
// writes fail the way a full disk does.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <grp.h>
#include <iterator>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace hoxa::testutil {

class TempDir {
public:
    TempDir()
    {
        char tmpl[] = "/tmp/hoxa_test_XXXXXX";
        const char* d = ::mkdtemp(tmpl);
        if (d == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = d;
    }
    ~TempDir() { (void)std::system(("rm -rf '" + path_ + "'").c_str()); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

    // Names in the folder, sorted, "." and ".." left out.
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        if (DIR* d = ::opendir(path_.c_str())) {
            while (const dirent* e = ::readdir(d)) {
                const std::string n = e->d_name;
                if (n != "." && n != "..") names.push_back(n);
            }
            ::closedir(d);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

inline ino_t Inode(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return st.st_ino;
}

inline mode_t Mode(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return st.st_mode & 07777;
}

// While alive, no file of this process may grow beyond limit bytes: a write past
// it fails with EFBIG, as on a full disk.  SIGXFSZ is ignored meanwhile.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = old_;
        r.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// The user that file permissions bind, where the tests run as root.
constexpr uid_t kNobody = 65534;

// Runs f in a child process as kNobody when this process is root (as this user
// otherwise) and returns the text f returned, or nothing when the child could not
// give up root or died.  The folders f works in must be reachable by that user.
inline std::optional<std::string> AsNonRoot(const std::function<std::string()>& f)
{
    int pipeFd[2];
    if (::pipe(pipeFd) != 0) return std::nullopt;
    const pid_t pid = ::fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) {
        ::close(pipeFd[0]);
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(2);
        std::string out;
        try {
            out = f();
        } catch (...) {
            ::_exit(3);
        }
        (void)!::write(pipeFd[1], out.data(), out.size());
        ::_exit(0);
    }
    ::close(pipeFd[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(pipeFd[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFd[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return out;
}

// The id of a process that has ended (a child that exited at once).
inline pid_t DeadPid()
{
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

inline uid_t Owner(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return static_cast<uid_t>(-1);
    return st.st_uid;
}

}  // namespace hoxa::testutil
