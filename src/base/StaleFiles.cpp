// What writers killed half-way leave beside the program's files, and how it is
// cleared: a writer holds the lock of its temporary file and its backup while it
// works, so a leftover whose lock can be taken is one nobody works on any more,
// whatever its name says about the process that made it.
#include "base/AtomicFile.h"

#include "base/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <initializer_list>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace hoxa {

using namespace fileio;

namespace {

constexpr std::string_view kBackupTag = "hoxa backup 1";

// FNV-1a, 64 bits: tells a whole backup from a damaged one.
std::uint64_t Hash(std::initializer_list<std::string_view> parts)
{
    std::uint64_t h = 14695981039346656037ull;
    for (const std::string_view s : parts)
        for (const char c : s) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h;
}

// A leftover of a write: ".<target><mark><pid>-<n>", pid and n decimal as written.
struct Leftover {
    std::string target;
    bool backup = false;
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
    out.target = std::string(head.substr(1, head.size() - 1 - mark.size()));
    out.backup = mark == kBackupMark;
    return true;
}

// Whether the file's bytes could stand half-way through writing one of the two
// over the other from the start: each byte is the one of either at its place,
// and the length lies between theirs.
bool IsMixture(std::string_view file, std::string_view a, std::string_view b)
{
    if (file.size() < std::min(a.size(), b.size()) || file.size() > std::max(a.size(), b.size())) return false;
    for (std::size_t i = 0; i < file.size(); ++i)
        if (!(i < a.size() && file[i] == a[i]) && !(i < b.size() && file[i] == b[i])) return false;
    return true;
}

int OpenToChange(const std::string& path, int flags)
{
    flags |= O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    const int fd = ::open(path.c_str(), O_RDWR | flags);
    return fd >= 0 || errno != EACCES ? fd : ::open(path.c_str(), O_RDONLY | flags);
}

// Makes the file of a dead rewrite whole again if need be; true when its backup
// (open as fd) may go.  The file is opened through a link, as the writer wrote it.
bool SettleBackup(int fd, const std::string& target)
{
    std::string bytes;
    BackupRecord r;
    if (ReadAll(fd, bytes, bytes.max_size()) != 0 || !ParseBackup(bytes, r)) return false;
    Fd file(OpenToChange(target, 0));
    if (!file.ok()) return errno == ENOENT;  // removed since: nothing to put back
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) return false;
    // Another file stands under the name now: it was replaced after the backup.
    if (st.st_dev != r.dev || st.st_ino != r.ino) return true;
    std::string now;
    if (ReadAll(file.get(), now, std::max(r.oldBytes.size(), r.newBytes.size()) + 1) != 0) return false;
    // The new bytes whole: the rewrite completed.  Neither old, new nor a mixture:
    // somebody wrote the file after the backup was made, and that stays.
    if (now == r.newBytes || now == r.oldBytes || !IsMixture(now, r.oldBytes, r.newBytes)) return true;
    return OverwriteWith(file.get(), r.oldBytes) == 0;
}

// Clears one leftover if its writer is gone; true when it was removed.
bool ClearLeftover(const std::string& path, const std::string& target, bool backup)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    Fd fd(OpenToChange(path, O_NOFOLLOW));
    // A lock that cannot be had: its writer is at work (or the file system keeps
    // no locks, and then nothing tells).
    if (!fd.ok() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return false;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink == 0) return false;
    if (backup && !SettleBackup(fd.get(), target)) return false;
    return ::unlink(path.c_str()) == 0;
}

}  // namespace

namespace fileio {

std::string BackupBytes(const struct stat& file, std::string_view oldBytes, std::string_view newBytes)
{
    char head[128];
    std::snprintf(head, sizeof head, "%.*s %ju %ju %zu %zu", static_cast<int>(kBackupTag.size()), kBackupTag.data(),
                  static_cast<std::uintmax_t>(file.st_dev), static_cast<std::uintmax_t>(file.st_ino), oldBytes.size(),
                  newBytes.size());
    char hash[24];
    std::snprintf(hash, sizeof hash, " %016" PRIx64 "\n", Hash({head, oldBytes, newBytes}));
    std::string out = head;
    out.reserve(out.size() + 18 + oldBytes.size() + newBytes.size());
    out.append(hash).append(oldBytes).append(newBytes);
    return out;
}

bool ParseBackup(std::string_view bytes, BackupRecord& out)
{
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos || end > 120 || bytes.substr(0, kBackupTag.size()) != kBackupTag) return false;
    const std::string line(bytes.substr(0, end));
    std::uintmax_t dev = 0, ino = 0;
    std::size_t oldSize = 0, newSize = 0;
    std::uint64_t hash = 0;
    int used = 0;
    if (std::sscanf(line.c_str() + kBackupTag.size(), " %ju %ju %zu %zu %" SCNx64 "%n", &dev, &ino, &oldSize,
                    &newSize, &hash, &used) != 5 ||
        kBackupTag.size() + static_cast<std::size_t>(used) != line.size())
        return false;
    const std::string_view body = bytes.substr(end + 1);
    if (oldSize > body.size() || body.size() - oldSize != newSize) return false;
    if (Hash({std::string_view(line).substr(0, line.rfind(' ')), body}) != hash) return false;
    out.dev = static_cast<dev_t>(dev);
    out.ino = static_cast<ino_t>(ino);
    out.oldBytes = std::string(body.substr(0, oldSize));
    out.newBytes = std::string(body.substr(oldSize));
    return true;
}

}  // namespace fileio

int RemoveStaleTempFiles(const std::string& dir, const std::vector<std::string>& names) noexcept
{
    try {
        const std::string folder = dir.empty() ? "." : dir;
        DIR* d = ::opendir(folder.c_str());
        if (d == nullptr) return 0;
        std::vector<std::pair<std::string, Leftover>> found;
        while (const dirent* e = ::readdir(d)) {
            Leftover l;
            if (ParseLeftover(e->d_name, l) && std::find(names.begin(), names.end(), l.target) != names.end())
                found.emplace_back(e->d_name, std::move(l));
        }
        ::closedir(d);

        int removed = 0;
        for (const auto& [name, l] : found)
            removed += ClearLeftover(PathIn(dir, name), PathIn(dir, l.target), l.backup);
        if (removed > 0) SyncFolder(folder);
        return removed;
    } catch (...) {
        return 0;
    }
}

int RecoverFile(const std::string& path) noexcept
{
    try {
        return RemoveStaleTempFiles(FolderOf(path), {NameOf(path)});
    } catch (...) {
        return 0;
    }
}

}  // namespace hoxa
