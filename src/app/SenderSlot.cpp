#include "app/SenderSlot.h"

#include "base/AtomicFile.h"
#include "base/Profile.h"
#include "base/cp932.h"
#include "base/errors.h"

#include <tuple>

namespace hoxa {

namespace {

// A line holds at most what the settings file gives back to a field, so that a
// damaged slot cannot bring more into a field than a restart would leave there.
constexpr std::size_t kSlotLineBytes = kMaxProfileValueBytes;
// Five such lines with their CR LF: nothing beyond this is read.
constexpr std::size_t kSlotReadBytes = std::tuple_size_v<SenderLines> * (kSlotLineBytes + 2);

}  // namespace

std::string SlotPath(const std::string& dir, int k)
{
    HOXA_ASSERT(k >= 0 && k <= 9, "SenderSlot");
    return PathIn(dir, "my" + std::to_string(k) + ".txt");
}

SenderLines ReadSlot(const std::string& path)
{
    std::string text;
    if (const int err = ReadFileBytes(path, text, kSlotReadBytes)) throw EInOutError(FileErrorText(err));
    SenderLines lines;
    std::size_t n = 0;  // line being filled
    for (std::size_t i = 0; i < text.size() && n < lines.size(); ++i) {
        const char c = text[i];
        // LF or CR LF ends a line; any CR is left out of the line, so a lone CR is
        // dropped and CR LF counts as LF.
        if (c == '\n') ++n;
        else if (c != '\r') lines[n].push_back(c);
    }
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
    const int err = ReplaceFileAtomically(path, data);
    if (err != 0) throw EInOutError(FileErrorText(err));
}

}  // namespace hoxa
