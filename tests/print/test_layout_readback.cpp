// Renders the waybill to PDF through the drawing function and reads every text
// position back with pdftotext: each item must land within one dot of its place.
#include "print/WaybillDraw.h"
#include "print/layout_readback.h"

#include "base/Codec.h"

#include <QFontInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hoxa;
using namespace hoxa::test;

namespace {

void RenderPdf(const QString& path, int dpi, const WaybillRecord& rec)
{
    QPdfWriter writer(path);
    writer.setResolution(dpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    DrawWaybill(painter, ComputeWaybillLayout(rec));
}

class LayoutReadBack : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(LayoutReadBack, EveryItemLandsWithinOneDot)
{
    const int dpi = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));

    for (const auto& [top, left] : {std::pair{"0", "0"}, std::pair{"10", "-5"}}) {
        SCOPED_TRACE(std::string("margins ") + top + " / " + left);
        WaybillRecord rec = SampleWaybill(std::to_string(dpi).c_str());
        rec.prnTop = top;
        rec.prnLeft = left;
        RenderPdf(pdf, dpi, rec);

        QString error;
        const auto pages = ReadPdfWords(pdf, &error);
        ASSERT_EQ(pages.size(), 1u) << error.toStdString();
        const auto items = ComputeWaybillLayout(rec);
        ASSERT_EQ(items.size(), 20u);
        const auto failures = CompareWithPage(items, pages[0], dpi, dpi, 1.0);
        for (const auto& f : failures) ADD_FAILURE() << f;
        // Nothing else on the page.
        EXPECT_EQ(pages[0].words.size(), 20u);
    }
}

INSTANTIATE_TEST_SUITE_P(Resolutions, LayoutReadBack, ::testing::Values(180, 360));

TEST(LayoutDrawing, FacesResolveToInstalledFontsAtDeviceSize)
{
    // The Windows names go through the program's substitutions, not to a default.
    const QFont mincho = WaybillFont(WaybillFace::Mincho, 10, 180, 180);
    EXPECT_EQ(QFontInfo(mincho).family(), QStringLiteral("IPAPMincho"));
    EXPECT_EQ(mincho.pixelSize(), 25);  // 10 pt at 180 dpi
    const QFont lucida = WaybillFont(WaybillFace::Lucida, 9, 180, 180);
    EXPECT_NE(QFontInfo(lucida).family(), QFontInfo(mincho).family());
    EXPECT_EQ(lucida.pixelSize(), 23);  // 22.5 rounds up
    EXPECT_EQ(WaybillFont(WaybillFace::Lucida, 14, 360, 360).pixelSize(), 70);
    EXPECT_EQ(mincho.stretch(), QFont::AnyStretch);
    // 360 x 180 dots: sized by the vertical resolution, widened by two.
    const QFont wide = WaybillFont(WaybillFace::Mincho, 10, 360, 180);
    EXPECT_EQ(wide.pixelSize(), 25);
    EXPECT_EQ(wide.stretch(), 200);
    EXPECT_FALSE(mincho.bold());
    EXPECT_FALSE(mincho.italic());
}

TEST(LayoutDrawing, BlackOnOpaqueWhiteAndEmptyTextsDrawNothing)
{
    // A grey canvas: the text cell must be painted white behind black glyphs.
    QImage img(1400, 700, QImage::Format_RGB32);
    img.setDotsPerMeterX(180 * 10000 / 254);
    img.setDotsPerMeterY(180 * 10000 / 254);
    img.fill(QColor(128, 128, 128));
    WaybillRecord rec = SampleWaybill("180");
    rec.g1.clear();  // item 12 empty: its place stays grey
    {
        QPainter p(&img);
        DrawWaybill(p, ComputeWaybillLayout(rec));
    }
    // Item 9 (address line 1) at (236, 101): white and black pixels in its cell.
    int white = 0, black = 0;
    for (int y = 101; y < 101 + 25; ++y)
        for (int x = 236; x < 236 + 200; ++x) {
            const QRgb c = img.pixel(x, y);
            if (c == qRgb(255, 255, 255)) ++white;
            if (qGray(c) < 40) ++black;
        }
    EXPECT_GT(white, 100);
    EXPECT_GT(black, 50);
    // Nothing above the cell's top-left corner was touched.
    EXPECT_EQ(img.pixel(236, 99), qRgb(128, 128, 128));
    // Item 12 at (810, 394) draws nothing.
    for (int y = 394; y < 394 + 25; ++y)
        for (int x = 810; x < 810 + 100; ++x) ASSERT_EQ(img.pixel(x, y), qRgb(128, 128, 128));
}
