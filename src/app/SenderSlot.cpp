#include "app/SenderSlot.h"

#include "base/AtomicFile.h"
#include "base/errors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace hoxa {

std::string SlotPath(const std::string& dir, int k)
{
    HOXA_ASSERT(k >= 0 && k <= 9, "SenderSlot");
    const std::string name = "my" + std::to_string(k) + ".txt";
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

SenderLines ReadSlot(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EInOutError(FileErrorText(errno));

    SenderLines lines;
    std::size_t n = 0;  // line being filled
    char buf[65536];
    int err = 0;
    while (n < lines.size()) {
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        if (got == 0) break;
        for (ssize_t i = 0; i < got && n < lines.size(); ++i) {
            const char c = buf[i];
            // LF or CR LF ends a line; any CR is left out of the line, so a lone
            // CR is dropped and CR LF counts as LF.
            if (c == '\n') ++n;
            else if (c != '\r') lines[n].push_back(c);
        }
    }
    ::close(fd);
    if (err != 0) throw EInOutError(FileErrorText(err));
    return lines;
}

void WriteSlot(const std::string& path, const SenderLines& lines)
{
    std::string data;
    for (const std::string& l : lines) {
        // A line break inside a field would shift every later line of the slot.
        for (const char c : l) data.push_back(c == '\r' || c == '\n' ? ' ' : c);
        data.append("\r\n");
    }
    const int err = ReplaceFileAtomically(path, data);
    if (err != 0) throw EInOutError(FileErrorText(err));
}

}  // namespace hoxa
