#include "print/FeedPaper.h"

#include "print/PaperSize.h"
#include "print/TPrinter.h"
#include "print/VpPrinters.h"

namespace hoxa {

namespace {

// The name listed for `number`; empty when the list has none.
std::string NameOf(const std::optional<std::vector<PaperEntry>>& list, std::int16_t number)
{
    if (list)
        for (const PaperEntry& e : *list)
            if (e.number == static_cast<std::uint16_t>(number)) return e.name;
    return {};
}

// The number listed under `name`.
std::optional<std::int16_t> NumberOf(const std::optional<std::vector<PaperEntry>>& list, const std::string& name)
{
    if (list)
        for (const PaperEntry& e : *list)
            if (e.name == name) return static_cast<std::int16_t>(e.number);
    return std::nullopt;
}

}  // namespace

FeedPaper CurrentFeedPaper()
{
    const DevMode mode = VpPrinter().GetDevMode();
    Spooler& spooler = PrinterSpooler();
    FeedPaper f;
    if (mode.fields & DM_DEFAULTSOURCE) f.bin = NameOf(spooler.Bins(mode.deviceName), mode.defaultSource);
    if (HasCustomPaper(mode))
        f.paper = CustomPaperText(mode.customPaper);
    else if (mode.fields & DM_PAPERSIZE)
        f.paper = NameOf(spooler.Papers(mode.deviceName), mode.paperSize);
    return f;
}

void ApplyFeedPaper(const FeedPaper& paper)
{
    if (paper.bin.empty() && paper.paper.empty()) return;
    TVpPrinter& vp = VpPrinter();
    const DevMode before = vp.GetDevMode();
    DevMode mode = before;
    Spooler& spooler = PrinterSpooler();
    if (!paper.bin.empty() && (mode.fields & DM_DEFAULTSOURCE))
        if (const auto n = NumberOf(spooler.Bins(mode.deviceName), paper.bin)) mode.defaultSource = *n;
    if (const auto custom = ParseCustomPaperText(paper.paper)) {
        const auto range = spooler.CustomPaperSizes(mode.deviceName);
        if (range && InRange(*custom, *range)) SetCustomPaper(mode, *custom);
    } else if (!paper.paper.empty() && (mode.fields & DM_PAPERSIZE)) {
        if (const auto n = NumberOf(spooler.Papers(mode.deviceName), paper.paper)) {
            mode.paperSize = *n;
            ClearCustomPaper(mode);
        }
    }
    if (!(mode == before)) vp.SetDevMode(mode);
}

}  // namespace hoxa
