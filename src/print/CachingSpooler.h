// The spooler as one snapshot of the printers sees it: the printer list and
// each printer's capabilities (papers, sources, resolutions, copies, default
// device mode, page geometry) are read from the spooler once and kept until the
// printer layer takes a new snapshot.  A print server is asked over the network
// for each of these, so start-up and every printer change read them only once.
// The default printer, details, ports, the state of printers and jobs are always
// asked anew (they are cheap, or must be current).
#pragma once

#include "print/Spooler.h"

#include <map>
#include <memory>
#include <optional>
#include <tuple>

namespace hoxa {

class CachingSpooler : public Spooler {
public:
    explicit CachingSpooler(std::shared_ptr<Spooler> inner);

    // The printer list as the spooler has it now, read past the snapshot.
    std::vector<PrinterEntry> ReadPrinters() { return inner_->EnumPrinters(); }
    // A new snapshot with `printers` as its list; everything read is forgotten,
    // here and in the spooler.
    void Renew(std::vector<PrinterEntry> printers);

    std::vector<PrinterEntry> EnumPrinters() override;
    std::string DefaultPrinter() override { return inner_->DefaultPrinter(); }
    std::vector<std::string> EnumPorts() override { return inner_->EnumPorts(); }
    std::optional<std::vector<PaperEntry>> Papers(const std::string& printer) override;
    std::optional<std::vector<BinEntry>> Bins(const std::string& printer) override;
    std::vector<Resolution> Resolutions(const std::string& printer) override;
    int MaxCopies(const std::string& printer) override;
    DevMode DefaultDevMode(const std::string& printer) override;
    PrinterDetails Details(const std::string& printer) override { return inner_->Details(printer); }
    std::optional<CustomPaperRange> CustomPaperSizes(const std::string& printer) override;
    PageGeometry Geometry(const std::string& printer, const DevMode& mode) override;
    PrinterStatus Status(const std::string& printer) override { return inner_->Status(printer); }
    void Forget() override;
    int SubmitJob(const std::string& printer, const std::string& title, const std::string& pdfPath,
                  const DevMode& mode) override
    {
        return inner_->SubmitJob(printer, title, pdfPath, mode);
    }
    std::vector<int> PendingJobs(const std::string& printer) override { return inner_->PendingJobs(printer); }
    JobStatus JobStatusOf(int id) override { return inner_->JobStatusOf(id); }
    std::string ServerName() override { return inner_->ServerName(); }

private:
    struct Known {
        std::optional<std::optional<std::vector<PaperEntry>>> papers;
        std::optional<std::optional<std::vector<BinEntry>>> bins;
        std::optional<std::vector<Resolution>> resolutions;
        std::optional<int> maxCopies;
        std::optional<DevMode> defaults;
        std::optional<std::optional<CustomPaperRange>> custom;
        // By paper number, orientation, which of them the mode holds and its
        // custom size.
        std::map<std::tuple<std::int16_t, std::int16_t, std::uint32_t, double, double, bool>, PageGeometry> pages;
    };

    std::shared_ptr<Spooler> inner_;
    std::optional<std::vector<PrinterEntry>> printers_;
    std::map<std::string, Known> known_;
};

}  // namespace hoxa
