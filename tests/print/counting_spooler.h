// Passes every question on to another spooler and counts it, by operation and
// printer ("Papers PDF", "EnumPrinters"), to show what reaches the spooler.
#pragma once

#include "print/Spooler.h"

#include <map>
#include <memory>
#include <string>

namespace hoxa::test {

class CountingSpooler : public Spooler {
public:
    explicit CountingSpooler(std::shared_ptr<Spooler> inner) : inner_(std::move(inner)) {}

    std::map<std::string, int> calls;
    // The most often one read was repeated.
    int MostCalls() const
    {
        int most = 0;
        for (const auto& [what, n] : calls) most = std::max(most, n);
        return most;
    }

    std::vector<PrinterEntry> EnumPrinters() override { return Count("EnumPrinters", ""), inner_->EnumPrinters(); }
    std::string DefaultPrinter() override { return inner_->DefaultPrinter(); }
    std::vector<std::string> EnumPorts() override { return Count("EnumPorts", ""), inner_->EnumPorts(); }
    std::optional<std::vector<PaperEntry>> Papers(const std::string& p) override { return Count("Papers", p), inner_->Papers(p); }
    std::optional<std::vector<BinEntry>> Bins(const std::string& p) override { return Count("Bins", p), inner_->Bins(p); }
    std::vector<Resolution> Resolutions(const std::string& p) override { return Count("Resolutions", p), inner_->Resolutions(p); }
    int MaxCopies(const std::string& p) override { return Count("MaxCopies", p), inner_->MaxCopies(p); }
    DevMode DefaultDevMode(const std::string& p) override { return Count("DefaultDevMode", p), inner_->DefaultDevMode(p); }
    PrinterDetails Details(const std::string& p) override { return inner_->Details(p); }
    PageGeometry Geometry(const std::string& p, const DevMode& m) override { return Count("Geometry", p), inner_->Geometry(p, m); }
    PrinterStatus Status(const std::string& p) override { return inner_->Status(p); }
    void Forget() override { inner_->Forget(); }
    int SubmitJob(const std::string& printer, const std::string& title, const std::string& pdfPath,
                  const DevMode& mode) override
    {
        return inner_->SubmitJob(printer, title, pdfPath, mode);
    }
    std::vector<int> PendingJobs(const std::string& p) override { return inner_->PendingJobs(p); }
    JobStatus JobStatusOf(int id) override { return inner_->JobStatusOf(id); }

private:
    void Count(const char* what, const std::string& printer)
    {
        ++calls[printer.empty() ? std::string(what) : std::string(what) + " " + printer];
    }
    std::shared_ptr<Spooler> inner_;
};

}  // namespace hoxa::test
