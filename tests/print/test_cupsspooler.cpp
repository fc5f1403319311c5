// The CUPS spooler and the printer layer against a private cupsd started by
// with_cupsd.sh: printer names, the default, papers, sources, resolutions, a
// printed job whose output file appears, printers added and removed, and the
// test sheet on custom form sizes through the dot-matrix queue's filter chain.
#include <gtest/gtest.h>

#include <cups/cups.h>
#include <cups/raster.h>
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QPainter>
#include <QTest>

#include <chrono>
#include <set>
#include <cstdlib>
#include <string>
#include <thread>

#include "base/Codec.h"
#include "print/CalibrationSheet.h"
#include "print/CupsSpooler.h"
#include "print/FeedPaper.h"
#include "print/cross_finder.h"
#include "print/cups_jobs.h"
#include "print/waybill_sample.h"
#include "print/TPrinter.h"
#include "print/VpPrinters.h"

namespace hoxa {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// The pages of a CUPS raster file of one bit a dot (1: ink).
struct RasterPage {
    cups_page_header2_t h{};
    std::vector<unsigned char> bits;
    bool Ink(int x, int y) const {
        return x >= 0 && y >= 0 && x < static_cast<int>(h.cupsWidth) && y < static_cast<int>(h.cupsHeight) &&
               (bits[y * h.cupsBytesPerLine + x / 8] >> (7 - x % 8)) & 1;
    }
};
std::vector<RasterPage> ReadRaster(const std::string& path) {
    std::vector<RasterPage> pages;
    const int fd = ::open(path.c_str(), O_RDONLY);
    cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_READ);
    for (RasterPage p; raster && cupsRasterReadHeader2(raster, &p.h); pages.push_back(p)) {
        p.bits.resize(static_cast<std::size_t>(p.h.cupsBytesPerLine) * p.h.cupsHeight);
        cupsRasterReadPixels(raster, p.bits.data(), static_cast<unsigned>(p.bits.size()));
    }
    cupsRasterClose(raster);
    ::close(fd);
    return pages;
}

class CupsTest : public ::testing::Test {
protected:
    std::string out, pdfQueue, dotQueue;
    std::shared_ptr<CupsSpooler> spooler;

    void SetUp() override {
        out = Env("HOXA_CUPS_OUT");
        pdfQueue = Env("HOXA_CUPS_PDF");
        dotQueue = Env("HOXA_CUPS_DOT");
        ASSERT_FALSE(out.empty()) << "run through tests/print/with_cupsd.sh";
        ASSERT_NE(Env("CUPS_SERVER"), "");
        spooler = std::make_shared<CupsSpooler>();
    }
    void TearDown() override { DestroyVpPrinter(); }

    static QByteArray WaitForFile(const std::string& path) {
        for (int i = 0; i < 100; ++i) {
            QFile f(QString::fromStdString(path));
            if (f.open(QIODevice::ReadOnly) && f.size() > 0) return f.readAll();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return {};
    }
};

TEST_F(CupsTest, PrintersDefaultAndPorts) {
    const auto printers = spooler->EnumPrinters();
    ASSERT_EQ(printers.size(), 2u);
    EXPECT_EQ(printers[0].name, dotQueue);
    EXPECT_EQ(printers[1].name, pdfQueue);
    EXPECT_EQ(printers[0].attributes, 0u);
    EXPECT_EQ(spooler->DefaultPrinter(), pdfQueue);
    const auto ports = spooler->EnumPorts();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0], "file://" + out + "/hoxa_dot.out");
    const PrinterDetails d = spooler->Details(dotQueue);
    EXPECT_EQ(d.location, "Shop counter");
    EXPECT_EQ(d.status, "待機中");
    EXPECT_NE(d.driver.find("Epson 24-Pin"), std::string::npos) << d.driver;
}

TEST_F(CupsTest, DotMatrixPapersSourcesAndResolutions) {
    const auto papers = spooler->Papers(dotQueue);
    ASSERT_TRUE(papers);
    ASSERT_EQ(papers->size(), 5u);
    EXPECT_EQ((*papers)[0].number, DMPAPER_A4);
    EXPECT_EQ((*papers)[0].name, "A4");
    EXPECT_EQ((*papers)[1].number, DMPAPER_LETTER);
    EXPECT_EQ((*papers)[2].number, DMPAPER_LEGAL);
    EXPECT_EQ((*papers)[3].number, DMPAPER_FANFOLD_US);
    EXPECT_EQ((*papers)[4].number, DMPAPER_USER);
    EXPECT_EQ((*papers)[4].name, "Waybill 10 x 4 in");

    const auto bins = spooler->Bins(dotQueue);
    ASSERT_TRUE(bins);
    ASSERT_EQ(bins->size(), 2u);
    EXPECT_EQ((*bins)[0].number, DMBIN_TRACTOR);
    EXPECT_EQ((*bins)[0].name, "Tractor Feed");
    EXPECT_EQ((*bins)[1].number, DMBIN_MANUAL);

    const auto res = spooler->Resolutions(dotQueue);
    EXPECT_EQ(res, (std::vector<Resolution>{{60, 60}, {120, 60}, {180, 180}, {360, 180}, {360, 360}}));

    const DevMode m = spooler->DefaultDevMode(dotQueue);
    EXPECT_EQ(m.paperSize, DMPAPER_A4);
    EXPECT_EQ(m.defaultSource, DMBIN_TRACTOR);
    EXPECT_EQ(m.printQuality, 180) << "the queue's default, not the driver's 120x60";
    EXPECT_EQ(m.yResolution, 180);
    EXPECT_TRUE(m.fields & DM_DEFAULTSOURCE);
    EXPECT_FALSE(m.fields & DM_SCALE);

    DevMode waybill = m;
    waybill.paperSize = DMPAPER_USER;
    const PageGeometry g = spooler->Geometry(dotQueue, waybill);
    EXPECT_DOUBLE_EQ(g.width, 720);
    EXPECT_DOUBLE_EQ(g.height, 288);
    EXPECT_DOUBLE_EQ(g.left, 18);
    EXPECT_DOUBLE_EQ(g.top, 18);
    EXPECT_DOUBLE_EQ(g.printableWidth, 684);
    EXPECT_DOUBLE_EQ(g.printableHeight, 252);
}

TEST_F(CupsTest, PdfPrinterHasPapersButNoSources) {
    const auto papers = spooler->Papers(pdfQueue);
    ASSERT_TRUE(papers);
    ASSERT_GT(papers->size(), 4u);
    std::set<int> numbers;
    bool a4 = false;
    for (const auto& p : *papers) {
        EXPECT_TRUE(numbers.insert(p.number).second) << "paper numbers are unique: " << p.number;
        if (p.name == "A4") {
            EXPECT_EQ(p.number, DMPAPER_A4);
            a4 = true;
        }
    }
    EXPECT_TRUE(a4);
    EXPECT_FALSE(spooler->Bins(pdfQueue));
    EXPECT_FALSE(spooler->DefaultDevMode(pdfQueue).fields & DM_DEFAULTSOURCE);
}

TEST_F(CupsTest, LayerOverCups) {
    CreateVpPrinter(spooler);
    TVpPrinter& vp = VpPrinter();
    EXPECT_EQ(vp.GetPrinterNames(), (std::vector<std::string>{dotQueue, pdfQueue}));
    EXPECT_EQ(vp.GetIndex(), 1) << "the default printer";
    vp.SetIndex(0);
    EXPECT_EQ(vp.GetIndex(), 0);
    EXPECT_EQ(vp.GetPaperSizeNames().size(), 5u);
    EXPECT_EQ(vp.GetPaperSizeIndex(), 0);
    EXPECT_EQ(vp.GetBinNames(), (std::vector<std::string>{"Tractor Feed", "Manual Feed"}));
    EXPECT_EQ(vp.GetBinIndex(), 0);
    EXPECT_EQ(vp.GetPixelsPerInch(), (Resolution{180, 180}));
    EXPECT_EQ(vp.GetScale(), 100);
    EXPECT_THROW(vp.SetIndex(2), EVPPrinterRangeError);
    vp.SetIndex(1);
    EXPECT_THROW(vp.GetBinNames(), EVpPrinterNotSupported);
    EXPECT_GT(vp.GetMaxCopies(), 0);
}

TEST_F(CupsTest, PrintedJobReachesTheOutputFile) {
    CreateVpPrinter(spooler);
    TVpPrinter& vp = VpPrinter();
    vp.SetIndex(1);  // the PDF printer
    vp.BeginDoc("送り状 hoxa_NIVORA  ");
    QPainter* canvas = vp.GetCanvas();
    ASSERT_NE(canvas, nullptr);
    canvas->drawText(QPointF(100, 100), QStringLiteral("123-4567"));
    vp.EndDoc();

    const test::FinishedJob job = test::WaitForJob(pdfQueue);
    ASSERT_GT(job.id, 0);
    EXPECT_EQ(job.state, IPP_JSTATE_COMPLETED);
    EXPECT_EQ(job.title, std::string(reinterpret_cast<const char*>(u8"送り状 hoxa_NIVORA  ")));
    const QByteArray bytes = WaitForFile(out + "/hoxa_pdf.out");
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.contains("%PDF")) << bytes.left(64).toStdString();
}

TEST_F(CupsTest, JobCarriesPaperSourceAndResolution) {
    CreateVpPrinter(spooler);
    TVpPrinter& vp = VpPrinter();
    vp.SetIndex(0);  // the dot-matrix printer
    auto mode = std::make_shared<DevMode>(spooler->DefaultDevMode(dotQueue));
    mode->paperSize = DMPAPER_USER;
    mode->defaultSource = DMBIN_MANUAL;
    Printer().SetPrinter(dotQueue, "", "", mode);
    vp.Refresh();
    EXPECT_EQ(vp.GetBinIndex(), 1);
    EXPECT_EQ(vp.GetPaperSizeIndex(), 4);
    vp.BeginDoc("dot job");
    vp.GetCanvas()->drawText(QPointF(10, 40), QStringLiteral("X"));
    vp.EndDoc();

    const test::FinishedJob job = test::WaitForJob(dotQueue);
    ASSERT_GT(job.id, 0);
    EXPECT_EQ(job.state, IPP_JSTATE_COMPLETED);
    EXPECT_EQ(test::JobAttribute(job.id, "InputSlot"), "Manual");
    EXPECT_EQ(test::JobAttribute(job.id, "media"), "Waybill4in");
    EXPECT_EQ(test::JobAttribute(job.id, "Resolution"), "180dpi");
    const QByteArray bytes = WaitForFile(out + "/hoxa_dot.out");
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.startsWith("\x1b@")) << "ESC/P output begins with a printer reset";
}

TEST_F(CupsTest, AddedAndRemovedQueuesAreNoticed) {
    CreateVpPrinter(spooler);
    TVpPrinter& vp = VpPrinter();
    ASSERT_EQ(vp.GetPrinterNames().size(), 2u);
    EXPECT_FALSE(vp.CheckForChanges());
    const std::string ppd = Env("HOXA_CUPS_PDF_PPD");
    ASSERT_FALSE(ppd.empty());
    const std::string add = "lpadmin -p hoxa_added -E -v file:///dev/null -P '" + ppd + "' 2>/dev/null";
    ASSERT_EQ(std::system(add.c_str()), 0);
    EXPECT_TRUE(vp.CheckForChanges());
    EXPECT_EQ(vp.GetPrinterNames(), (std::vector<std::string>{"hoxa_added", dotQueue, pdfQueue}));
    EXPECT_EQ(vp.GetIndex(), 2) << "still the default printer";
    EXPECT_FALSE(vp.CheckForChanges());
    ASSERT_EQ(std::system("lpadmin -x hoxa_added"), 0);
    EXPECT_TRUE(vp.CheckForChanges());
    EXPECT_EQ(vp.GetPrinterNames().size(), 2u);
    EXPECT_EQ(vp.GetIndex(), 1);
}

TEST_F(CupsTest, QueueWithoutDriverHasNoPaperOrSourceList) {
    ASSERT_EQ(std::system("lpadmin -p hoxa_raw -E -v file:///dev/null -m raw 2>/dev/null"), 0);
    struct Remove {
        ~Remove() { std::system("lpadmin -x hoxa_raw"); }
    } remove;
    auto cups = std::make_shared<CupsSpooler>();
    EXPECT_FALSE(cups->Papers("hoxa_raw"));
    EXPECT_FALSE(cups->Bins("hoxa_raw"));
    const DevMode m = cups->DefaultDevMode("hoxa_raw");
    EXPECT_FALSE(m.fields & DM_PAPERSIZE);
    EXPECT_FALSE(m.fields & DM_DEFAULTSOURCE);
    EXPECT_EQ(cups->MaxCopies("hoxa_raw"), 9999);

    CreateVpPrinter(cups);
    TVpPrinter& vp = VpPrinter();
    ASSERT_EQ(vp.GetPrinterNames().size(), 3u);
    vp.SetIndex(2);
    EXPECT_THROW(vp.GetPaperSizeNames(), EVpPrinterNotSupported);
    EXPECT_THROW(vp.GetBinIndex(), EVpPrinterNotSupported);
    EXPECT_EQ(vp.GetScale(), 100);
    const Resolution r = vp.GetPixelsPerInch();
    EXPECT_GT(r.x, 0);
    EXPECT_GT(r.y, 0);
    // It still takes a job.
    vp.BeginDoc("raw");
    vp.EndDoc();
    EXPECT_GT(test::WaitForJob("hoxa_raw").id, 0);
}

TEST_F(CupsTest, TheUsersLpoptionsChooseTheDefaultAndTheDefaultSource) {
    const std::string dir = Env("HOME") + "/.cups";
    ASSERT_EQ(std::system(("mkdir -p " + dir).c_str()), 0);
    {
        QFile f(QString::fromStdString(dir + "/lpoptions"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("Dest " + pdfQueue + "/draft Resolution=60dpi\nDefault " + dotQueue + " InputSlot=Manual\n").c_str());
    }
    CupsSpooler cups;
    EXPECT_EQ(cups.DefaultPrinter(), dotQueue);
    EXPECT_EQ(cups.DefaultDevMode(dotQueue).defaultSource, DMBIN_MANUAL);
    EXPECT_EQ(cups.EnumPrinters().size(), 2u) << "an instance is no printer of its own";
    std::remove((dir + "/lpoptions").c_str());
    CupsSpooler plain;
    EXPECT_EQ(plain.DefaultPrinter(), pdfQueue);
    EXPECT_NE(plain.DefaultDevMode(dotQueue).defaultSource, DMBIN_MANUAL);
}

TEST_F(CupsTest, JobsThePrinterCannotTakeAreRefusedInOurWords) {
    const std::string pdf = out + "/../refused.pdf";
    {
        QFile f(QString::fromStdString(pdf));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("%PDF-1.4\n%%EOF\n");
    }
    // The message of the job refused, and what the state query said before.
    auto refusal = [&](const std::string& printer, PrinterStatus* status) {
        *status = spooler->Status(printer);
        try {
            spooler->SubmitJob(printer, "t", pdf, DevMode{});
        } catch (const EPrinter& e) {
            return std::string(e.what());
        }
        return std::string("sent");
    };
    PrinterStatus s;

    // A stopped queue takes the job.
    ASSERT_EQ(std::system(("cupsdisable -r 'paper jam' " + dotQueue).c_str()), 0);
    EXPECT_EQ(refusal(dotQueue, &s), "sent");
    EXPECT_TRUE(s.stopped && s.accepting && s.known && s.reachable);
    EXPECT_EQ(s.reason, "paper jam");
    ASSERT_EQ(std::system(("cancel -a " + dotQueue + " && cupsenable " + dotQueue).c_str()), 0);

    // A removed queue: our words, then the server's own reason.
    std::string m = refusal("hoxa_gone", &s);
    EXPECT_FALSE(s.known);
    EXPECT_EQ(m.rfind("プリンタ「hoxa_gone」が見つかりません。削除されたか、名前が変わったようです。\n印刷サーバーの応答は「", 0), 0u) << m;
    EXPECT_GT(m.size(), m.find("応答は「") + 14) << "the server's reason follows";

    // A queue that rejects jobs.
    ASSERT_EQ(std::system(("cupsreject -r 'out of forms' " + dotQueue).c_str()), 0);
    m = refusal(dotQueue, &s);
    ASSERT_EQ(std::system(("cupsaccept " + dotQueue).c_str()), 0);
    EXPECT_FALSE(s.accepting);
    EXPECT_EQ(m, "プリンタ「" + dotQueue + "」は印刷を受け付けない設定になっています。"
                 "プリンタの管理画面で受け付けを再開してください。\n印刷サーバーの応答は「out of forms」です。");

    // No print server: no reason of its own, and no socket error as the cause.
    cupsSetServer("127.0.0.1:1");
    m = refusal(dotQueue, &s);
    cupsSetServer(nullptr);
    EXPECT_FALSE(s.reachable);
    EXPECT_EQ(m, "印刷サーバー(CUPS)につながらないため、プリンタ「" + dotQueue +
                     "」に送れません。印刷サーバーが動いているか確かめてください。");
    for (const char* errnoText : {"No such file", "Bad file descriptor", "Connection refused"})
        EXPECT_EQ(m.find(errnoText), std::string::npos);
}

TEST_F(CupsTest, UnreachableServerIsAnErrorNotAnEmptyList) {
    CreateVpPrinter(spooler);
    TVpPrinter& vp = VpPrinter();
    vp.SetIndex(0);
    ASSERT_EQ(vp.GetPrinterNames().size(), 2u);

    cupsSetServer("127.0.0.1:1");  // nothing listens there
    auto fresh = std::make_shared<CupsSpooler>();
    EXPECT_THROW(fresh->EnumPrinters(), EOSError);
    EXPECT_THROW(spooler->EnumPrinters(), EOSError);
    // The change check keeps the printers it knows and the current one.
    EXPECT_THROW(vp.CheckForChanges(), EOSError);
    EXPECT_EQ(vp.GetPrinterNames().size(), 2u);
    EXPECT_EQ(vp.GetIndex(), 0);
    // Started while the server is away: no printers, no crash.
    CreateVpPrinter(fresh);
    EXPECT_THROW(VpPrinter().GetPrinterNames(), EVpPrinterNoPrinter);

    cupsSetServer(nullptr);  // back to CUPS_SERVER
    EXPECT_TRUE(VpPrinter().CheckForChanges());
    EXPECT_EQ(VpPrinter().GetPrinterNames(), (std::vector<std::string>{dotQueue, pdfQueue}));
}

TEST_F(CupsTest, TestSheetFormsAreTheFeedsSizeWithEveryCrossWithinOneDotInTheRaster) {
    // A queue with the dot-matrix PPD but no driver step writes the CUPS raster
    // the driver gets (180 dpi, the printable area): forms, sizes and crosses.
    const std::string queue = "dot_raster", file = out + "/raster.out";  // the first queue by name
    ASSERT_EQ(std::system(("sed 's|^\\*cupsFilter:.*|*cupsFilter: \"application/vnd.cups-raster 0 -\"|' "
                           "\"$HOXA_CUPS_DOT_PPD\" > " + out + "/raster.ppd && lpadmin -p " + queue + " -E -v file://" +
                           file + " -P " + out + "/raster.ppd -o Resolution=180dpi 2>/dev/null").c_str()), 0);
    CreateVpPrinter(spooler);
    VpPrinter().SetIndex(0);
    ASSERT_EQ(VpPrinter().GetPrinterNames()[0], queue);
    const struct {
        const char* feed;
        const char* paper;
        double width, length;  // points
        std::size_t forms;
    } cases[] = {{"連続(４インチ)", "Custom.254x101.6mm", 720, 288, kContinuousCalibrationForms},
                 {"手差し", "Custom.8x5.5in", 576, 396, 1}};
    for (const auto& c : cases) {
        ApplyFeedPaper({"", c.paper});
        WaybillRecord rec = test::SampleWaybill();
        rec.prnTop = "10";
        rec.prnLeft = "-5";
        std::vector<WaybillRecord> forms(static_cast<std::size_t>(CalibrationForms(c.feed)), rec);
        PrintRecordsJob(forms, kCalibrationJobTitle, CalibrationSheetDrawer(queue, c.feed, ""), {});
        const test::FinishedJob job = test::WaitForJob(queue);
        ASSERT_EQ(job.state, IPP_JSTATE_COMPLETED);
        EXPECT_EQ(test::JobAttribute(job.id, "PageSize"), c.paper);
        const std::vector<RasterPage> pages = ReadRaster(file);
        ASSERT_EQ(pages.size(), c.forms) << c.paper;
        const CalibrationSheet sheet = ComputeCalibrationSheet(rec, {180, 180}, Printer().Page(), "", "", "");
        for (const RasterPage& page : pages) {
            EXPECT_NEAR(page.h.cupsPageSize[0], c.width, 0.01) << c.paper;
            EXPECT_NEAR(page.h.cupsPageSize[1], c.length, 0.01) << c.paper;
            for (const WaybillItem& item : sheet.items) {
                const int x = static_cast<int>(item.x), y = static_cast<int>(item.y);
                const auto centre = test::CrossCentre([&](int px, int py) { return page.Ink(px, py); }, x, y,
                                                      static_cast<int>(sheet.crossArm), static_cast<int>(sheet.crossGap), 4);
                ASSERT_TRUE(centre.has_value()) << c.paper << " item " << item.number;
                EXPECT_NEAR(centre->x(), x, 1.0) << c.paper << " item " << item.number;
                EXPECT_NEAR(centre->y(), y, 1.0) << c.paper << " item " << item.number;
            }
            int gaps = 0;  // in a grid line, from top to bottom
            for (int y = 0; y < static_cast<int>(page.h.cupsHeight); ++y) gaps += !page.Ink(kGridStep, y);
            EXPECT_EQ(gaps, 0) << c.paper;
        }
    }
    ASSERT_EQ(std::system(("lpadmin -x " + queue).c_str()), 0);
}

}  // namespace
}  // namespace hoxa
