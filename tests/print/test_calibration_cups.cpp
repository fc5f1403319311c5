// The test sheet and custom form sizes through the dot-matrix queue's own filter
// chain (run by with_cupsd.sh).  A queue with the dot-matrix queue's PPD, whose
// last step (the printer driver) is left out, writes the CUPS raster that driver
// would get: one bit per dot at 180 dpi, the printable area only.  Read back page
// by page: the number of forms, each page's size, and every cross's centre.
#include "cross_finder.h"
#include "cups_jobs.h"
#include "waybill_sample.h"

#include "base/Codec.h"
#include "print/CalibrationSheet.h"
#include "print/CupsSpooler.h"
#include "print/FeedPaper.h"
#include "print/PrinterRegistration.h"
#include "print/TPrinter.h"
#include "print/VpPrinters.h"

#include <QFile>
#include <QProcess>

#include <cups/raster.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <iostream>

using namespace hoxa;

namespace {

constexpr const char* kRasterQueue = "hoxa_dot_raster";

struct RasterPage {
    cups_page_header2_t header{};
    std::vector<unsigned char> bits;

    bool Ink(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= static_cast<int>(header.cupsWidth) || y >= static_cast<int>(header.cupsHeight))
            return false;
        const bool set = bits[y * header.cupsBytesPerLine + x / 8] & (0x80 >> (x % 8));
        return header.cupsColorSpace == CUPS_CSPACE_W ? !set : set;
    }
};

std::vector<RasterPage> ReadRaster(const std::string& path)
{
    std::vector<RasterPage> pages;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return pages;
    cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_READ);
    RasterPage page;
    while (raster && cupsRasterReadHeader2(raster, &page.header)) {
        const unsigned line = page.header.cupsBytesPerLine;
        page.bits.assign(static_cast<std::size_t>(line) * page.header.cupsHeight, 0);
        for (unsigned y = 0; y < page.header.cupsHeight; ++y)
            if (cupsRasterReadPixels(raster, page.bits.data() + y * line, line) != line) break;
        pages.push_back(page);
    }
    if (raster) cupsRasterClose(raster);
    ::close(fd);
    return pages;
}

class CalibrationCups : public ::testing::Test {
protected:
    std::string out;

    void SetUp() override
    {
        const char* ppd = std::getenv("HOXA_CUPS_DOT_PPD");
        const char* dir = std::getenv("HOXA_CUPS_OUT");
        if (!ppd || !dir) GTEST_SKIP() << "run through tests/print/with_cupsd.sh";
        out = std::string(dir) + "/" + kRasterQueue + ".out";
        // The driver step passes the raster on unchanged.
        QFile in(QString::fromLocal8Bit(ppd));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QByteArray text = in.readAll();
        const qsizetype at = text.indexOf("*cupsFilter:");
        ASSERT_GE(at, 0);
        text.replace(at, text.indexOf('\n', at) - at, "*cupsFilter: \"application/vnd.cups-raster 0 -\"");
        const QString rasterPpd = QString::fromLocal8Bit(dir) + QStringLiteral("/raster.ppd");
        QFile copy(rasterPpd);
        ASSERT_TRUE(copy.open(QIODevice::WriteOnly) && copy.write(text) == text.size());
        copy.close();
        ASSERT_EQ(QProcess::execute(QStringLiteral("lpadmin"),
                                    {QStringLiteral("-p"), QString::fromLatin1(kRasterQueue), QStringLiteral("-E"),
                                     QStringLiteral("-v"), QStringLiteral("file://") + QString::fromStdString(out),
                                     QStringLiteral("-P"), rasterPpd, QStringLiteral("-o"),
                                     QStringLiteral("Resolution=180dpi")}),
                  0);
        CreateVpPrinter(std::make_shared<CupsSpooler>());
        const auto& names = VpPrinter().GetPrinterNames();
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == kRasterQueue) VpPrinter().SetIndex(static_cast<int>(i));
        ASSERT_EQ(Printer().Printers()[Printer().PrinterIndex()], kRasterQueue);
    }
    void TearDown() override { DestroyVpPrinter(); }
};

TEST_F(CalibrationCups, EveryFormOfTheJobIsTheFeedsSizeAndEveryCrossIsWithinOneDot)
{
    const struct {
        const char* feed;
        const char* paper;
        double width, height;  // points
        std::size_t forms;
    } cases[] = {
        {"連続(４インチ)", "Custom.254x101.6mm", 720, 288, kContinuousCalibrationForms},
        {"手差し", "Custom.8x5.5in", 576, 396, 1},
    };
    int lastJob = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paper);
        ApplyFeedPaper({"Tractor Feed", c.paper});
        WaybillRecord rec = test::SampleWaybill();
        rec.prnTop = "10";
        rec.prnLeft = "-5";
        PrintCalibrationSheet(rec, kRasterQueue, c.feed, "2026/11/07 10:00");
        const test::FinishedJob job = test::WaitForJob(kRasterQueue);
        ASSERT_GT(job.id, lastJob);
        lastJob = job.id;
        ASSERT_EQ(job.state, IPP_JSTATE_COMPLETED);
        EXPECT_EQ(test::JobAttribute(job.id, "PageSize"), c.paper);

        const std::vector<RasterPage> pages = ReadRaster(out);
        ASSERT_EQ(pages.size(), c.forms);
        rec.printDate = rec.printSender = true;
        const CalibrationSheet sheet =
            ComputeCalibrationSheet(rec, {180, 180}, Printer().Page(), kRasterQueue, c.feed, "");
        double worst = 0;
        for (std::size_t p = 0; p < pages.size(); ++p) {
            SCOPED_TRACE(p);
            const cups_page_header2_t& h = pages[p].header;
            EXPECT_NEAR(h.cupsPageSize[0], c.width, 0.01);
            EXPECT_NEAR(h.cupsPageSize[1], c.height, 0.01);
            EXPECT_EQ(h.HWResolution[0], 180u);
            EXPECT_EQ(h.HWResolution[1], 180u);
            EXPECT_EQ(h.cupsBitsPerPixel, 1u);
            const test::InkAt ink = [&](int x, int y) { return pages[p].Ink(x, y); };
            for (const WaybillItem& item : sheet.items) {
                SCOPED_TRACE(item.number);
                const auto centre = test::CrossCentre(ink, static_cast<int>(item.x), static_cast<int>(item.y),
                                                      static_cast<int>(sheet.crossArm),
                                                      static_cast<int>(sheet.crossGap), 4);
                ASSERT_TRUE(centre.has_value());
                const double dx = centre->x() - static_cast<double>(item.x);
                const double dy = centre->y() - static_cast<double>(item.y);
                EXPECT_LE(std::abs(dx), 1.0);
                EXPECT_LE(std::abs(dy), 1.0);
                worst = std::max({worst, std::abs(dx), std::abs(dy)});
            }
            // Solid grid lines: the whole 50-dot column inked from top to bottom.
            int gaps = 0;
            for (int y = 0; y < static_cast<int>(h.cupsHeight); ++y) gaps += pages[p].Ink(kGridStep, y) ? 0 : 1;
            EXPECT_EQ(gaps, 0);
        }
        std::cout << c.paper << ": " << pages.size() << " page(s), crosses within " << worst << " dot\n";
    }
}

}  // namespace
