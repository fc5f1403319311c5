#include "print/CachingSpooler.h"

namespace hoxa {

namespace {
// Reads `slot` once through `read`.
template <class T, class Read>
const T& Once(std::optional<T>& slot, Read&& read)
{
    if (!slot) slot = read();
    return *slot;
}
}  // namespace

CachingSpooler::CachingSpooler(std::shared_ptr<Spooler> inner) : inner_(std::move(inner)) {}

void CachingSpooler::Renew(std::vector<PrinterEntry> printers)
{
    Forget();
    printers_ = std::move(printers);
}

void CachingSpooler::Forget()
{
    printers_.reset();
    known_.clear();
    inner_->Forget();
}

std::vector<PrinterEntry> CachingSpooler::EnumPrinters()
{
    return Once(printers_, [&] { return inner_->EnumPrinters(); });
}

std::optional<std::vector<PaperEntry>> CachingSpooler::Papers(const std::string& printer)
{
    return Once(known_[printer].papers, [&] { return inner_->Papers(printer); });
}

std::optional<std::vector<BinEntry>> CachingSpooler::Bins(const std::string& printer)
{
    return Once(known_[printer].bins, [&] { return inner_->Bins(printer); });
}

std::vector<Resolution> CachingSpooler::Resolutions(const std::string& printer)
{
    return Once(known_[printer].resolutions, [&] { return inner_->Resolutions(printer); });
}

int CachingSpooler::MaxCopies(const std::string& printer)
{
    return Once(known_[printer].maxCopies, [&] { return inner_->MaxCopies(printer); });
}

DevMode CachingSpooler::DefaultDevMode(const std::string& printer)
{
    return Once(known_[printer].defaults, [&] { return inner_->DefaultDevMode(printer); });
}

std::optional<CustomPaperRange> CachingSpooler::CustomPaperSizes(const std::string& printer)
{
    return Once(known_[printer].custom, [&] { return inner_->CustomPaperSizes(printer); });
}

PageGeometry CachingSpooler::Geometry(const std::string& printer, const DevMode& mode)
{
    auto& pages = known_[printer].pages;
    const std::uint32_t held = mode.fields & (DM_PAPERSIZE | DM_ORIENTATION | DM_PAPERWIDTH | DM_PAPERLENGTH);
    const auto key = std::make_tuple(mode.paperSize, mode.orientation, held, mode.customPaper.width,
                                     mode.customPaper.length, mode.customPaper.inches);
    auto it = pages.find(key);
    if (it == pages.end()) it = pages.emplace(key, inner_->Geometry(printer, mode)).first;
    return it->second;
}

}  // namespace hoxa
