// From the confirmed "Yes" to the job handed to CUPS: effective resolution,
// BeginDoc, the waybills drawn on the canvas (1 page, and 200 as a batch
// prints them, one job), EndDoc rendering the PDF and submitting it.  Needs a
// print server with the queue named in HOXA_CUPS_DOT (tests/print/with_cupsd.sh
// provides one; `cupsdisable hoxa_dot` first keeps its filters from printing
// the 200-page jobs meanwhile).  Reports the submitted PDF's size.
#include "print/CupsSpooler.h"
#include "print/Vp_d97Y_DotUnit.h"
#include "print/VpPrinters.h"
#include "print/waybill_sample.h"

#include <QFileInfo>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace hoxa;

namespace {

// Forwards to CUPS and notes the size of every document handed over.
class MeasuringSpooler : public Spooler {
public:
    CupsSpooler cups;
    long long lastPdfBytes = 0;

    std::vector<PrinterEntry> EnumPrinters() override { return cups.EnumPrinters(); }
    std::string DefaultPrinter() override { return cups.DefaultPrinter(); }
    std::vector<std::string> EnumPorts() override { return cups.EnumPorts(); }
    std::optional<std::vector<PaperEntry>> Papers(const std::string& p) override { return cups.Papers(p); }
    std::optional<std::vector<BinEntry>> Bins(const std::string& p) override { return cups.Bins(p); }
    std::vector<Resolution> Resolutions(const std::string& p) override { return cups.Resolutions(p); }
    int MaxCopies(const std::string& p) override { return cups.MaxCopies(p); }
    DevMode DefaultDevMode(const std::string& p) override { return cups.DefaultDevMode(p); }
    PrinterDetails Details(const std::string& p) override { return cups.Details(p); }
    PageGeometry Geometry(const std::string& p, const DevMode& m) override { return cups.Geometry(p, m); }
    PrinterStatus Status(const std::string& p) override { return cups.Status(p); }
    void Forget() override { cups.Forget(); }
    int SubmitJob(const std::string& printer, const std::string& title, const std::string& pdfPath,
                  const DevMode& mode) override
    {
        lastPdfBytes = QFileInfo(QString::fromLocal8Bit(pdfPath.c_str())).size();
        return cups.SubmitJob(printer, title, pdfPath, mode);
    }
    std::vector<int> PendingJobs(const std::string& p) override { return cups.PendingJobs(p); }
    JobStatus JobStatusOf(int id) override { return cups.JobStatusOf(id); }
};

WaybillRecord Sample()
{
    WaybillRecord r = test::SampleWaybill();
    r.prnTop = "10";
    r.prnLeft = "-5";
    return r;
}

void BM_PrintJob(benchmark::State& state)
{
    const char* queue = std::getenv("HOXA_CUPS_DOT");
    if (!queue || !*queue) {
        state.SkipWithError("HOXA_CUPS_DOT not set: run through tests/print/with_cupsd.sh");
        return;
    }
    auto spooler = std::make_shared<MeasuringSpooler>();
    CreateVpPrinter(spooler);
    int index = -1;
    const auto& names = VpPrinter().GetPrinterNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == queue) index = static_cast<int>(i);
    if (index < 0) {
        state.SkipWithError("queue not found");
        DestroyVpPrinter();
        return;
    }
    VpPrinter().SetIndex(index);
    for (auto _ : state) {
        std::vector<WaybillRecord> recs(static_cast<std::size_t>(state.range(0)), Sample());
        PrintRecordsJob(recs, kWaybillJobTitle, {}, {});
    }
    state.counters["pdf_bytes"] = static_cast<double>(spooler->lastPdfBytes);
    DestroyVpPrinter();
}
BENCHMARK(BM_PrintJob)->Arg(1)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(4)->Repetitions(7);

}  // namespace
