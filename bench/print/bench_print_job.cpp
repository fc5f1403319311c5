// From the confirmed "Yes" to the job handed to CUPS, through the print gate
// as a print of the batch window goes (its questions answered at once, its
// progress bar shown from 4 pages on): the printer looked at, the pages' fit,
// the effective resolution, BeginDoc, the waybills drawn on the canvas (1 page,
// and 200 different ones as one job), EndDoc rendering the PDF and submitting
// it.  Needs a print server with the queue named in HOXA_CUPS_DOT
// (tests/print/with_cupsd.sh provides one; `cupsdisable hoxa_dot` first keeps
// its filters from printing the 200-page jobs meanwhile).  Reports the
// submitted PDF's size per page and, by pdffonts, its font objects and the
// distinct fonts among them.
#include "app/PrintProgress.h"
#include "base/cp932.h"
#include "print/CupsSpooler.h"
#include "print/VpPrinters.h"
#include "print/gate_test_util.h"
#include "print/waybill_sample.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
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
        const QString pdf = QString::fromLocal8Bit(pdfPath.c_str());
        lastPdfBytes = QFileInfo(pdf).size();
        if (!keepAs.isEmpty()) QFile::copy(pdf, keepAs);
        return cups.SubmitJob(printer, title, pdfPath, mode);
    }
    QString keepAs;  // where a copy of the next document goes; empty: none
    std::vector<int> PendingJobs(const std::string& p) override { return cups.PendingJobs(p); }
    JobStatus JobStatusOf(int id) override { return cups.JobStatusOf(id); }
};

// The pages: the sample, each with a name, address and goods of its own.
std::vector<PrintPage> Pages(std::size_t n)
{
    static const char* const kNames[] = {"山田", "佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "中村"};
    std::vector<PrintPage> pages(n);
    for (std::size_t i = 0; i < n; ++i) {
        WaybillRecord& r = pages[i].record = test::SampleWaybill();
        r.prnTop = "10";
        r.prnLeft = "-5";
        const std::string no = IntToStr(static_cast<long long>(i + 1));
        r.custo1 = std::string(kNames[i % std::size(kNames)]) + no;
        r.add2 = "丸の内ビル" + no + "号";
        r.g1 = "衣料品×" + no;
    }
    return pages;
}

// Yes to every question; the batch window's progress bar while the pages are built.
class YesAsker : public ProgressAsker {
public:
    YesAsker() : ProgressAsker(nullptr) {}
    bool Ask(std::string_view, DefaultAnswer) override { return true; }
};

// pdffonts: the font objects of the document and the distinct fonts among them.
std::pair<int, int> Fonts(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdffonts"), {pdf});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {-1, -1};
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QSet<QString> names;
    for (qsizetype i = 2; i < lines.size(); ++i) names.insert(lines[i].section(u' ', 0, 0));
    return {static_cast<int>(lines.size() - 2), static_cast<int>(names.size())};
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
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const PrintRequest request = PrintRequest::For(n > 1 ? PrintOrigin::Batch : PrintOrigin::F11, Pages(n), queue);
    test::NotingHost host;
    const auto print = [&] {
        PrintGate gate(host);  // a gate of its own: no earlier job of these pages waits
        gate.SetFollowUp(0, 0);
        YesAsker yes;
        if (!gate.Run(request, yes).Sent()) state.SkipWithError("not sent");
    };
    for (auto _ : state) print();
    state.counters["pdf_bytes_per_page"] = static_cast<double>(spooler->lastPdfBytes) / static_cast<double>(n);
    // Once more, untimed, keeping the document for pdffonts.
    QTemporaryDir dir;
    spooler->keepAs = dir.filePath(QStringLiteral("job.pdf"));
    print();
    const auto [objects, fonts] = Fonts(spooler->keepAs);
    state.counters["font_objects"] = objects;
    state.counters["fonts"] = fonts;
    DestroyVpPrinter();
}
BENCHMARK(BM_PrintJob)->Arg(1)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(4)->Repetitions(7);

}  // namespace
