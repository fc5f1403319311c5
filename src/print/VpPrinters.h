// The printer access layer: visible printer list (hidden printers left out),
// selection by visible index, papers, paper sources, resolution and scale of
// the current printer, the print job, and the reaction to a changed printer
// configuration.  There is one TVpPrinter in the process, VpPrinter().
#pragma once

#include "base/errors.h"
#include "print/CachingSpooler.h"
#include "print/Spooler.h"
#include "print/TPrinter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPainter;

namespace hoxa {

// Every error the layer raises itself is one of the seven subclasses below.
class EVpPrinter : public Exception {
public:
    using Exception::Exception;
};
// "TVpPrinter.CheckNoPrinter: No Printer"
class EVpPrinterNoPrinter : public EVpPrinter {
public:
    using EVpPrinter::EVpPrinter;
};
// The device mode lacks the field an operation reads.
class EVpPrinterNotSupported : public EVpPrinter {
public:
    using EVpPrinter::EVpPrinter;
};
// The driver gave no paper list or no bin list.
class EVpPrinterNoInfo : public EVpPrinter {
public:
    using EVpPrinter::EVpPrinter;
};
// "TVpPrinter.GetIndex: Printers.PrinterIndex is Illegal"
class EVpPrinterIllegalIndex : public EVpPrinter {
public:
    using EVpPrinter::EVpPrinter;
};
// "TVpPrinter.SetIndex: Index is out of Range"
class EVPPrinterRangeError : public EVpPrinter {
public:
    using EVpPrinter::EVpPrinter;
};
// "TVpPrinter.GetPaperSizeIndex: Cannot Get Paper Index"
class EVPPrinterPaperSizeError : public EVpPrinter {
public:
    using EVpPrinter::EVpPrinter;
};
// "TVpPrinter.GetBinIndex: Cannot Get Bin Index"
class EVpPrinterBinError : public EVpPrinter {
public:
    using EVpPrinter::EVpPrinter;
};

// Capability numbers (bit positions of GetCapabilities).
enum VpCapability : int {
    vpcOrientation = 0, vpcPaperSize = 1, vpcPaperLength = 2, vpcPaperWidth = 3,
    vpcScale = 4, vpcCopies = 5, vpcDefaultSource = 6, vpcPrintQuality = 7,
    vpcColor = 8, vpcDuplex = 9, vpcYResolution = 10, vpcTTOption = 11,
    vpcCollate = 12, vpcFormName = 13, vpcLogPixels = 14, vpcPanningWidth = 15,
    vpcPanningHeight = 16,
};

// A snapshot of the installed printers, taken once at construction.
class TVpAllPrintersInfo {
public:
    explicit TVpAllPrintersInfo(Spooler& spooler);
    explicit TVpAllPrintersInfo(std::vector<PrinterEntry> records);

    std::uint32_t Count() const { return static_cast<std::uint32_t>(records_.size()); }
    // Raw position i, 0-based; i must be below Count().
    const std::string& GetName(std::uint32_t i) const { return records_[i].name; }
    std::uint32_t GetAttributes(std::uint32_t i) const { return records_[i].attributes; }
    bool IsHidden(std::uint32_t i) const { return (records_[i].attributes & PRINTER_ATTRIBUTE_HIDDEN) != 0; }
    // Same count and, position by position, same name and attributes.
    bool IsSame(const TVpAllPrintersInfo& other) const;
    const std::vector<PrinterEntry>& Records() const { return records_; }

private:
    std::vector<PrinterEntry> records_;
};

class TVpPrinter {
public:
    // Takes the snapshot; the device information is stale until first needed.
    // A spooler that throws EOSError here counts as one without printers.
    // Everything the layer and the printer object read goes through `spooler`,
    // which keeps it for the snapshot.
    explicit TVpPrinter(CachingSpooler& spooler);
    ~TVpPrinter();
    TVpPrinter(const TVpPrinter&) = delete;
    TVpPrinter& operator=(const TVpPrinter&) = delete;

    void CheckNoPrinter();
    // The lists returned are owned here and replaced by the next call of the same kind.
    const std::vector<std::string>& GetPrinterNames();
    int GetIndex();
    void SetIndex(int index);

    std::int16_t GetPaperSizeNumber();
    const std::vector<std::string>& GetPaperSizeNames();
    int GetPaperSizeIndex();
    std::int16_t GetBinNumber();
    const std::vector<std::string>& GetBinNames();
    int GetBinIndex();

    std::uint32_t GetCapabilities();
    void CheckSupported(int capability, const std::string& message);
    Resolution GetPixelsPerInch();
    std::int16_t GetScale();
    const std::vector<std::string>& GetPortNames();

    // The current printer's settings, and replacing them (the paper, source
    // and custom size a paper feed keeps are put in force this way).
    DevMode GetDevMode();
    void SetDevMode(const DevMode& mode);

    // Drawing surface of the open job (see TPrinter::Canvas).
    QPainter* GetCanvas();
    void BeginDoc(const std::string& title);
    // The next page of the open job (see TPrinter::NewPage).
    void NewPage();
    // Returns the spooler's number of the job handed over (0: none given).
    int EndDoc();
    void Abort();

    void UpdateInfo();
    void Refresh();

    // What the spooler says about the current printer now (stopped, refusing
    // jobs, gone, or the spooler away).
    PrinterStatus GetStatus();

    // The change check: takes a new snapshot and, when the printers differ,
    // discards the printer object, adopts the new snapshot and drops the cached
    // information (what the spooler was asked included); when only the ports
    // differ raises OnChange.  A check that finds nothing changed changes
    // nothing, except after a check that failed (the spooler was away): then
    // everything is read anew, as what was read meanwhile may be incomplete.
    // Returns true when OnChange was (or, unset, would have been) raised.
    // While the printer is held (a print is being asked about or sent) the
    // check looks at nothing and returns false: the printer a question names
    // stays the current printer.
    bool CheckForChanges();
    std::function<void(TVpPrinter&)> OnChange;

    // Holds the current printer for as long as a PrinterHold lives.
    class PrinterHold {
    public:
        explicit PrinterHold(TVpPrinter& vp) : vp_(vp) { ++vp_.holds_; }
        ~PrinterHold() { --vp_.holds_; }
        PrinterHold(const PrinterHold&) = delete;
        PrinterHold& operator=(const PrinterHold&) = delete;

    private:
        TVpPrinter& vp_;
    };
    bool Held() const { return holds_ > 0; }

    // The print server did not answer at the start or at the last change check
    // (what the layer shows is then what it read before, or nothing).
    bool ServerAway() const { return lastCheckFailed_; }
    // The print server by name, for what the program says about it.
    std::string ServerName() { return spooler_.ServerName(); }

    // Read and kept, not used by the program itself.
    const std::vector<Resolution>& GetResolutions();
    int GetMaxCopies();  // 0 when the driver does not say

    const TVpAllPrintersInfo& Snapshot() const { return *snapshot_; }
    int CachedIndex() const { return cachedIndex_; }
    bool HasDevModeCopy() const { return devModeCopy_ != nullptr; }

private:
    struct OpenPrinter;
    void TakeDevModeCopy();
    void DropDevModeCopy() { devModeCopy_.reset(); }
    const DevMode& DevModeCopy();

    CachingSpooler& spooler_;
    std::unique_ptr<TVpAllPrintersInfo> snapshot_;
    bool lastCheckFailed_ = false;
    int holds_ = 0;
    std::vector<std::uint16_t> paperNumbers_;
    std::vector<std::string> paperNames_;
    std::vector<std::uint16_t> binNumbers_;
    std::vector<std::string> binNames_;
    std::vector<Resolution> resolutions_;
    std::vector<std::string> printerNames_;
    std::vector<std::string> portNames_;
    int maxCopies_ = 0;
    int cachedIndex_ = -1;
    bool paperValid_ = false, binValid_ = false, resolutionValid_ = false, copiesValid_ = false;
    bool portsRead_ = false;
    std::unique_ptr<DevMode> devModeCopy_;
};

// The single process-wide instance.  Throws EVpPrinter when not created.
TVpPrinter& VpPrinter();
// Start-up: installs the spooler for the printer object and creates VpPrinter
// (replacing an earlier one).  The program passes a CupsSpooler, tests a fake.
void CreateVpPrinter(std::shared_ptr<Spooler> spooler);
// Shut-down: destroys VpPrinter and the printer object.
void DestroyVpPrinter();

}  // namespace hoxa
