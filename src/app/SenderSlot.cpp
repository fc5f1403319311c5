#include "app/SenderSlot.h"

#include "base/AtomicFile.h"
#include "base/Profile.h"
#include "base/SaveLock.h"
#include "base/cp932.h"
#include "base/errors.h"

namespace hoxa {

namespace {

// A line holds at most what the settings file gives back to a field, so that a
// damaged slot cannot bring more into a field than a restart would leave there.
constexpr std::size_t kSlotLineBytes = kMaxProfileValueBytes;

}  // namespace

std::string SlotPath(const std::string& dir, int k)
{
    HOXA_ASSERT(k >= 0 && k <= 9, "SenderSlot");
    return PathIn(dir, "my" + std::to_string(k) + ".txt");
}

SenderLines ReadSlot(const std::string& path)
{
    SenderLines lines;
    std::size_t n = 0;  // line being filled
    bool head = true;
    const int err = ReadFileChunks(path, [&](std::string_view piece) {
        if (head && piece.substr(0, kUtf8Bom.size()) == kUtf8Bom) piece.remove_prefix(kUtf8Bom.size());
        head = false;
        while (!piece.empty() && n < lines.size()) {
            // LF or CR LF ends a line; any CR is left out of the line, so a lone CR
            // is dropped and CR LF counts as LF.  A line takes one byte more than
            // it keeps (to be cut at a character boundary); the rest of it is
            // passed over.
            const std::size_t lf = piece.find('\n');
            std::string& line = lines[n];
            for (const char c : piece.substr(0, lf)) {
                if (line.size() > kSlotLineBytes) break;
                if (c != '\r') line.push_back(c);
            }
            if (lf == std::string_view::npos) break;
            piece.remove_prefix(lf + 1);
            ++n;
        }
        return n < lines.size();
    });
    if (err != 0) throw EInOutError(FileErrorText(err));
    for (std::string& l : lines) l.resize(CutAtBytes(l, kSlotLineBytes).size());
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
    const SaveLock lock(FolderOf(path), path);
    RecoverFile(path);
    const int err = ReplaceFileAtomically(path, data);
    if (err != 0) throw EInOutError(FileErrorText(err));
}

}  // namespace hoxa
