#include "print/VpPrinters.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace hoxa {

namespace {

constexpr const char* kUnit = "VpPrinters";

// dmFields flag of each capability number.
constexpr std::uint32_t kCapabilityFlags[17] = {
    DM_ORIENTATION, DM_PAPERSIZE, DM_PAPERLENGTH, DM_PAPERWIDTH, DM_SCALE,
    DM_COPIES, DM_DEFAULTSOURCE, DM_PRINTQUALITY, DM_COLOR, DM_DUPLEX,
    DM_YRESOLUTION, DM_TTOPTION, DM_COLLATE, DM_FORMNAME, DM_LOGPIXELS,
    DM_PANNINGWIDTH, DM_PANNINGHEIGHT,
};

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca != cb && std::tolower(ca) != std::tolower(cb)) return false;
    }
    return true;
}

}  // namespace

// --- snapshot ---------------------------------------------------------------

TVpAllPrintersInfo::TVpAllPrintersInfo(Spooler& spooler) : records_(spooler.EnumPrinters()) {}

TVpAllPrintersInfo::TVpAllPrintersInfo(std::vector<PrinterEntry> records)
    : records_(std::move(records)) {}

bool TVpAllPrintersInfo::IsSame(const TVpAllPrintersInfo& other) const {
    return records_ == other.records_;
}

// --- the current printer, opened ---------------------------------------------

struct TVpPrinter::OpenPrinter {
    std::string device, driver, port;
    DevModeHandle mode;

    OpenPrinter() {
        TPrinter& p = Printer();
        p.GetPrinter(device, driver, port, mode);
        if (!mode) {
            p.SetPrinterIndex(p.PrinterIndex());
            p.GetPrinter(device, driver, port, mode);
        }
        HOXA_ASSERT(mode != nullptr, kUnit);
    }
};

// --- TVpPrinter -----------------------------------------------------------------

TVpPrinter::TVpPrinter(CachingSpooler& spooler) : spooler_(spooler) {
    // A spooler that cannot be asked at start-up is treated as one without
    // printers; the change check picks the printers up once it answers.
    try {
        snapshot_ = std::make_unique<TVpAllPrintersInfo>(spooler);
    } catch (const EOSError&) {
        lastCheckFailed_ = true;
        spooler_.Renew({});
        snapshot_ = std::make_unique<TVpAllPrintersInfo>(std::vector<PrinterEntry>{});
    }
}

TVpPrinter::~TVpPrinter() = default;

void TVpPrinter::CheckNoPrinter() {
    for (std::uint32_t i = 0; i < snapshot_->Count(); ++i)
        if (!snapshot_->IsHidden(i)) return;
    cachedIndex_ = -1;
    throw EVpPrinterNoPrinter("TVpPrinter.CheckNoPrinter: No Printer");
}

const std::vector<std::string>& TVpPrinter::GetPrinterNames() {
    CheckNoPrinter();
    printerNames_.clear();
    for (std::uint32_t i = 0; i < snapshot_->Count(); ++i)
        if (!snapshot_->IsHidden(i)) printerNames_.push_back(snapshot_->GetName(i));
    return printerNames_;
}

int TVpPrinter::GetIndex() {
    CheckNoPrinter();
    const int raw = Printer().PrinterIndex();
    if (raw == -1) return -1;
    if (static_cast<std::uint32_t>(raw) < snapshot_->Count() &&
        snapshot_->IsHidden(static_cast<std::uint32_t>(raw)))
        throw EVpPrinterIllegalIndex("TVpPrinter.GetIndex: Printers.PrinterIndex is Illegal");
    int result = -1;
    {
        // Only the name is needed: the device mode is not loaded for it (that
        // would read the printer's capabilities from the spooler).
        std::string device, driver, port;
        DevModeHandle mode;
        Printer().GetPrinter(device, driver, port, mode);
        for (std::uint32_t i = 0; i < snapshot_->Count(); ++i) {
            if (snapshot_->GetName(i) == device) {
                result = static_cast<int>(i);
                break;
            }
        }
        HOXA_ASSERT(result >= 0, kUnit);
    }
    int visible = result;
    for (int i = 0; i < result; ++i)
        if (snapshot_->IsHidden(static_cast<std::uint32_t>(i))) --visible;
    return visible;
}

void TVpPrinter::SetIndex(int index) {
    CheckNoPrinter();
    if (index < -1) throw EVPPrinterRangeError("TVpPrinter.SetIndex: Index is out of Range");
    if (index == GetIndex()) return;
    int raw = -1;
    if (index >= 0) {
        int visible = 0;
        for (std::uint32_t i = 0; i < snapshot_->Count(); ++i) {
            if (snapshot_->IsHidden(i)) continue;
            if (visible == index) {
                raw = static_cast<int>(i);
                break;
            }
            ++visible;
        }
        if (raw < 0) throw EVPPrinterRangeError("TVpPrinter.SetIndex: Index is out of Range");
    }
    TPrinter& p = Printer();
    p.SetPrinterIndex(raw);
    std::string device, driver, port;
    DevModeHandle mode;
    p.GetPrinter(device, driver, port, mode);
    p.SetPrinter(device, driver, port, nullptr);
    cachedIndex_ = -1;
    UpdateInfo();
    DropDevModeCopy();
}

void TVpPrinter::TakeDevModeCopy() {
    devModeCopy_.reset();
    OpenPrinter open;
    devModeCopy_ = std::make_unique<DevMode>(*open.mode);
}

const DevMode& TVpPrinter::DevModeCopy() {
    if (!devModeCopy_) TakeDevModeCopy();
    return *devModeCopy_;
}

std::uint32_t TVpPrinter::GetCapabilities() {
    CheckNoPrinter();
    const std::uint32_t fields = DevModeCopy().fields;
    std::uint32_t mask = 0;
    for (int n = 0; n < 17; ++n)
        if (fields & kCapabilityFlags[n]) mask |= 1u << n;
    return mask;
}

void TVpPrinter::CheckSupported(int capability, const std::string& message) {
    if ((GetCapabilities() & (1u << capability)) == 0) throw EVpPrinterNotSupported(message);
}

std::int16_t TVpPrinter::GetPaperSizeNumber() {
    CheckNoPrinter();
    CheckSupported(vpcPaperSize, "TVpPrinter.GetPaperSizeNumber: PaperSize is not Supported");
    return DevModeCopy().paperSize;
}

std::int16_t TVpPrinter::GetBinNumber() {
    CheckNoPrinter();
    CheckSupported(vpcDefaultSource, "TVpPrinter.GetBinNumber: Bin is not Supported");
    return DevModeCopy().defaultSource;
}

const std::vector<std::string>& TVpPrinter::GetPaperSizeNames() {
    CheckNoPrinter();
    CheckSupported(vpcPaperSize, "TVpPrinter.GetPaperSizeNames: PaperSize is not Supported");
    UpdateInfo();
    if (!paperValid_)
        throw EVpPrinterNoInfo("TVpPrinter.GetPaperSizeNames: No Papersize Info Available");
    return paperNames_;
}

const std::vector<std::string>& TVpPrinter::GetBinNames() {
    CheckNoPrinter();
    CheckSupported(vpcDefaultSource, "TVpPrinter.GetBinNames: Bin is not Supported");
    UpdateInfo();
    if (!binValid_) throw EVpPrinterNoInfo("TVpPrinter.GetBinNames: No Bin Info Available");
    return binNames_;
}

int TVpPrinter::GetPaperSizeIndex() {
    CheckNoPrinter();
    CheckSupported(vpcPaperSize, "TVpPrinter.GetPaperSizeIndex: PaperSize is not Supported");
    const int number = GetPaperSizeNumber();
    UpdateInfo();
    if (!paperValid_)
        throw EVpPrinterNoInfo("TVpPrinter.GetPaperSizeIndex: No Papersize Info Available");
    for (std::size_t i = 0; i < paperNumbers_.size(); ++i)
        if (static_cast<int>(paperNumbers_[i]) == number) return static_cast<int>(i);
    throw EVPPrinterPaperSizeError("TVpPrinter.GetPaperSizeIndex: Cannot Get Paper Index");
}

int TVpPrinter::GetBinIndex() {
    CheckNoPrinter();
    CheckSupported(vpcDefaultSource, "TVpPrinter.GetBinIndex: Bin is not Supported");
    const int number = GetBinNumber();
    UpdateInfo();
    if (!binValid_) throw EVpPrinterNoInfo("TVpPrinter.GetBinIndex: No Bin Info Available");
    // The last matching entry wins.
    int result = -1;
    for (std::size_t i = 0; i < binNumbers_.size(); ++i)
        if (static_cast<int>(binNumbers_[i]) == number) result = static_cast<int>(i);
    if (result < 0) throw EVpPrinterBinError("TVpPrinter.GetBinIndex: Cannot Get Bin Index");
    return result;
}

Resolution TVpPrinter::GetPixelsPerInch() {
    CheckNoPrinter();
    return Printer().DeviceResolution();
}

std::int16_t TVpPrinter::GetScale() {
    CheckNoPrinter();
    if ((GetCapabilities() & (1u << vpcScale)) == 0) return 100;
    return DevModeCopy().scale;
}

const std::vector<std::string>& TVpPrinter::GetPortNames() {
    portNames_.clear();
    for (const std::string& port : spooler_.EnumPorts()) {
        const bool known = std::any_of(portNames_.begin(), portNames_.end(),
                                       [&](const std::string& p) { return SameTextIgnoringCase(p, port); });
        if (!known) portNames_.push_back(port);
    }
    portsRead_ = true;
    return portNames_;
}

PrinterStatus TVpPrinter::GetStatus() {
    CheckNoPrinter();
    OpenPrinter open;
    return spooler_.Status(open.device);
}

DevMode TVpPrinter::GetDevMode() {
    CheckNoPrinter();
    OpenPrinter open;
    return *open.mode;
}

void TVpPrinter::SetDevMode(const DevMode& mode) {
    CheckNoPrinter();
    OpenPrinter open;
    Printer().SetPrinter(open.device, open.driver, open.port, std::make_shared<DevMode>(mode));
    DropDevModeCopy();
}

QPainter* TVpPrinter::GetCanvas() { return Printer().Canvas(); }

void TVpPrinter::BeginDoc(const std::string& title) {
    TPrinter& p = Printer();
    p.SetTitle(title);
    p.BeginDoc();
}

void TVpPrinter::NewPage() { Printer().NewPage(); }

int TVpPrinter::EndDoc() { return Printer().EndDoc(); }

void TVpPrinter::Abort() { Printer().Abort(); }

void TVpPrinter::UpdateInfo() {
    const int raw = Printer().PrinterIndex();
    if (raw == cachedIndex_) return;
    cachedIndex_ = raw;
    GetCapabilities();
    paperValid_ = binValid_ = resolutionValid_ = copiesValid_ = false;

    paperNumbers_.clear();
    paperNames_.clear();
    {
        OpenPrinter open;
        if (auto papers = spooler_.Papers(open.device); papers && !papers->empty()) {
            paperValid_ = true;
            for (const PaperEntry& e : *papers) {
                paperNumbers_.push_back(e.number);
                paperNames_.push_back(e.name);
            }
        }
    }
    binNumbers_.clear();
    binNames_.clear();
    {
        OpenPrinter open;
        if (auto bins = spooler_.Bins(open.device); bins && !bins->empty()) {
            binValid_ = true;
            for (const BinEntry& e : *bins) {
                binNumbers_.push_back(e.number);
                binNames_.push_back(e.name);
            }
        }
    }
    resolutions_.clear();
    {
        OpenPrinter open;
        resolutions_ = spooler_.Resolutions(open.device);
        resolutionValid_ = !resolutions_.empty();
    }
    {
        OpenPrinter open;
        const int n = spooler_.MaxCopies(open.device);
        if (n > 0) {
            copiesValid_ = true;
            maxCopies_ = n;
        }
    }
}

void TVpPrinter::Refresh() {
    DropDevModeCopy();
    cachedIndex_ = -1;
    UpdateInfo();
}

const std::vector<Resolution>& TVpPrinter::GetResolutions() {
    CheckNoPrinter();
    UpdateInfo();
    return resolutions_;
}

int TVpPrinter::GetMaxCopies() {
    CheckNoPrinter();
    UpdateInfo();
    return copiesValid_ ? maxCopies_ : 0;
}

bool TVpPrinter::CheckForChanges() {
    // A print being asked about or drawn keeps its printer; look again at the
    // next check.
    if (Held()) return false;
    if (TPrinter* p = PrinterIfCreated(); p && p->Printing()) return false;

    std::unique_ptr<TVpAllPrintersInfo> fresh;
    try {
        fresh = std::make_unique<TVpAllPrintersInfo>(spooler_.ReadPrinters());
    } catch (...) {
        lastCheckFailed_ = true;
        throw;
    }
    const bool afterFailure = std::exchange(lastCheckFailed_, false);
    if (snapshot_->IsSame(*fresh) && !afterFailure) {
        const bool baseline = !portsRead_;
        const std::vector<std::string> before = portNames_;
        const std::vector<std::string>& after = GetPortNames();
        // The first look at the ports only sets the baseline.
        if (baseline || before == after) return false;
        if (OnChange) OnChange(*this);
        return true;
    }

    // The printers changed.  Rebuild the printer object from the new list,
    // keeping the current printer and its settings when it still exists, so
    // that a printer added elsewhere does not redirect the next job.
    std::string device, driver, port;
    DevModeHandle mode;
    if (TPrinter* p = PrinterIfCreated()) p->GetPrinter(device, driver, port, mode);
    DiscardPrinter();
    spooler_.Renew(std::vector<PrinterEntry>(fresh->Records()));
    snapshot_ = std::move(fresh);
    cachedIndex_ = -1;
    DropDevModeCopy();
    if (!device.empty()) {
        TPrinter& p = Printer();
        const auto& names = p.Printers();
        if (std::find(names.begin(), names.end(), device) != names.end())
            p.SetPrinter(device, driver, port, mode);
    }
    // The ports that came with the new printers are the baseline of the next check.
    GetPortNames();
    if (OnChange) OnChange(*this);
    return true;
}

// --- the process-wide instance ---------------------------------------------------

namespace {
std::unique_ptr<TVpPrinter>& GlobalVpPrinter() {
    static std::unique_ptr<TVpPrinter> instance;
    return instance;
}
}  // namespace

TVpPrinter& VpPrinter() {
    auto& p = GlobalVpPrinter();
    if (!p) throw EVpPrinter("TVpPrinter: VpPrinter has not been created");
    return *p;
}

void CreateVpPrinter(std::shared_ptr<Spooler> spooler) {
    GlobalVpPrinter().reset();
    auto cache = std::make_shared<CachingSpooler>(std::move(spooler));
    SetPrinterSpooler(cache);
    GlobalVpPrinter() = std::make_unique<TVpPrinter>(*cache);
}

void DestroyVpPrinter() {
    GlobalVpPrinter().reset();
    SetPrinterSpooler(nullptr);
}

}  // namespace hoxa
