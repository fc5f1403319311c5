// The spooler over libcups: printers and the default from the destination list,
// papers, paper sources, resolutions and custom page sizes from the printer's
// PPD (PageSize, InputSlot, Resolution, CustomPageSize) or, without a PPD, from
// its IPP attributes (CupsPrinterData).  CUPS has
// no hidden printers and no scale.  A server without printers is an empty
// list; a server that cannot be reached makes EnumPrinters and EnumPorts throw
// EOSError (so that a passing outage does not look like every printer gone).
#pragma once

#include "base/errors.h"
#include "print/Spooler.h"

#include <memory>

namespace hoxa {

class CupsSpooler : public Spooler {
public:
    CupsSpooler();
    ~CupsSpooler() override;

    std::vector<PrinterEntry> EnumPrinters() override;
    std::string DefaultPrinter() override;
    std::vector<std::string> EnumPorts() override;
    std::optional<std::vector<PaperEntry>> Papers(const std::string& printer) override;
    std::optional<std::vector<BinEntry>> Bins(const std::string& printer) override;
    std::vector<Resolution> Resolutions(const std::string& printer) override;
    int MaxCopies(const std::string& printer) override;
    DevMode DefaultDevMode(const std::string& printer) override;
    PrinterDetails Details(const std::string& printer) override;
    // The range of the PPD's custom page size; a printer without a PPD takes none.
    std::optional<CustomPaperRange> CustomPaperSizes(const std::string& printer) override;
    PageGeometry Geometry(const std::string& printer, const DevMode& mode) override;
    PrinterStatus Status(const std::string& printer) override;
    void Forget() override;
    // A refused job throws EPrinter in our words (see PrinterMessages.h).
    int SubmitJob(const std::string& printer, const std::string& title,
                  const std::string& pdfPath, const DevMode& mode) override;
    // The queue's and the jobs' state (CupsQueueState.cpp).
    std::vector<int> PendingJobs(const std::string& printer) override;
    JobStatus JobStatusOf(int id) override;
    // The host of the server libcups talks to; a local socket is "localhost".
    std::string ServerName() override;

    // Paper number of a PPD size name ("A4" -> 9); 0 when it is no standard size.
    static int StandardPaperNumber(const std::string& ppdName);
    // Bin number of an InputSlot keyword ("Tractor" -> 8); 0 when not standard.
    static int StandardBinNumber(const std::string& keyword);

private:
    // The printer's queue name on the server (UTF-8).
    std::string QueueName(const std::string& printer);

    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace hoxa
