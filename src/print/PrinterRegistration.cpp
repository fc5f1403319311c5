#include "print/PrinterRegistration.h"

#include "base/AtomicFile.h"
#include "base/Profile.h"
#include "base/SaveLock.h"
#include "base/cp932.h"

#include <cstdint>

namespace hoxa {

std::string PrinterIniPath(std::string_view dir)
{
    return PathIn(dir, kPrinterIniName);
}

FeedRegistration ReadFeedRegistration(std::string_view dir, std::string_view feed, std::string* problem)
{
    const ProfileReader ini(PrinterIniPath(dir));
    if (problem) *problem = ini.Problem();
    FeedRegistration r;
    r.prnName = ini.ReadString(feed, kKeyPrnName, "");
    r.prnNoIndex = ini.ReadString(feed, kKeyPrnNoIndex, "0");
    r.top = ini.ReadString(feed, kKeyPrnTop, "0");
    r.left = ini.ReadString(feed, kKeyPrnLeft, "0");
    r.paper.bin = ini.ReadString(feed, kKeyPrnBin, "");
    r.paper.paper = ini.ReadString(feed, kKeyPrnPaper, "");
    return r;
}

void WriteFeedRegistration(std::string_view dir, std::string_view feed, const FeedRegistration& r, bool withPaper)
{
    const std::string path = PrinterIniPath(dir);
    const SaveLock lock(std::string(dir), path);
    std::vector<std::pair<std::string, std::string>> keys{{std::string(kKeyPrnName), Trim(r.prnName)},
                                                          {std::string(kKeyPrnNoIndex), r.prnNoIndex},
                                                          {std::string(kKeyPrnTop), r.top},
                                                          {std::string(kKeyPrnLeft), r.left}};
    if (withPaper) {
        keys.emplace_back(kKeyPrnBin, r.paper.bin);
        keys.emplace_back(kKeyPrnPaper, r.paper.paper);
    }
    ProfileFile(path).WriteStrings(feed, keys);
}

int IndexOrZero(std::string_view text)
{
    std::int32_t n = 0;
    return TryStrToInt(text, n) ? n : 0;
}

std::string ResolvePrinterIndex(std::string_view storedIndex, std::string_view prnName,
                                const std::vector<std::string>& visibleNames)
{
    std::int32_t n = 0;
    const std::string name = Trim(prnName);
    if (name.empty() || !TryStrToInt(storedIndex, n)) return std::string(storedIndex);
    if (n >= 0 && static_cast<std::size_t>(n) < visibleNames.size() && Trim(visibleNames[n]) == name)
        return std::string(storedIndex);
    for (std::size_t i = 0; i < visibleNames.size(); ++i)
        if (Trim(visibleNames[i]) == name) return IntToStr(static_cast<long long>(i));
    return std::string(storedIndex);
}

bool IsRegistrableMargin(std::string_view text)
{
    if (text.empty()) return true;
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    std::int32_t value = 0;
    return TryStrToInt(text, value);
}

}  // namespace hoxa
