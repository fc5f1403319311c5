#include "print/CalibrationSheet.h"

#include "base/Codec.h"
#include "base/cp932.h"
#include "print/PrinterRegistration.h"
#include "print/TPrinter.h"
#include "print/VpPrinters.h"
#include "print/Vp_d97Y_DotUnit.h"
#include "print/WaybillDraw.h"
#include "print/WaybillPage.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace hoxa {

namespace {

// The grid's numbers and the info line.
constexpr int kNumberPoints = 6;
constexpr int kInfoPoints = 9;
// The info line starts at the address column of the layout (1/160 inch).
constexpr int kInfoColumnUnits = 210;

// A dot-wide line along x = dot (or y = dot) from `from` to `to`, inking whole dots.
void FillColumn(QPainter& canvas, double x, double from, double to, double width = 1)
{
    canvas.fillRect(QRectF(x, from, width, to - from), Qt::black);
}
void FillRow(QPainter& canvas, double y, double from, double to, double height = 1)
{
    canvas.fillRect(QRectF(from, y, to - from, height), Qt::black);
}

std::string MarginText(const std::string& text) { return text.empty() ? std::string("0") : text; }

}  // namespace

CalibrationSheet ComputeCalibrationSheet(const WaybillRecord& rec, Resolution device, const PageGeometry& geometry,
                                         std::string_view printer, std::string_view feed, std::string_view when)
{
    WaybillRecord every = rec;
    every.printDate = every.printSender = true;
    // The preview's page gives the places and the sizes captions fit at.
    const WaybillPage page = ComputeWaybillPage(every, device, geometry);

    CalibrationSheet s;
    s.device = device;
    s.width = page.printable.width;
    s.height = page.printable.height;
    for (std::int64_t x = 0; x <= s.width; x += kGridStep) s.gridX.push_back(x);
    for (std::int64_t y = 0; y <= s.height; y += kGridStep) s.gridY.push_back(y);
    s.minorTick = std::max(3, device.y / 30);
    s.majorTick = 2 * s.minorTick;
    s.crossArm = std::max(6, device.x / 15);
    s.crossGap = std::max(2, device.x / 60);
    // Two dots at 180 dpi and below, as many more as the resolution is finer.
    s.crossThickness = {2 * std::max(1, device.x / 180), 2 * std::max(1, device.y / 180)};
    const std::int64_t gap = s.minorTick / 2;
    for (std::int64_t x : s.gridX) s.numbers.push_back({x, s.majorTick + gap, IntToStr(x)});
    for (std::int64_t y : s.gridY)
        if (y > 0) s.numbers.push_back({s.majorTick + gap, y, IntToStr(y)});

    double bottom = 0;
    for (std::size_t i = 0; i < page.items.size(); ++i) {
        WaybillItem item = page.items[i];
        const PageRow& row = page.rows[i];
        if (item.text.empty()) {
            item.text = row.caption;
            item.points = row.captionPoints;
        }
        bottom = std::max(bottom, row.box.Bottom());
        s.items.push_back(std::move(item));
    }

    const QFontMetricsF info(WaybillFont(WaybillFace::Mincho, kInfoPoints, device.x, device.y));
    s.info.x = UnitsToDots(ResolutionFactor(StrToInt(rec.dpix)), kInfoColumnUnits, 0);
    s.info.y = static_cast<std::int64_t>(bottom + info.height());
    s.info.text = "プリンタ: " + std::string(printer) + "  用紙: " + std::string(feed) + "  解像度: " + rec.dpix +
                  "x" + rec.dpiy + "dpi  余白: 上 " + MarginText(rec.prnTop) + " 左 " + MarginText(rec.prnLeft) +
                  "  " + std::string(when);
    return s;
}

void DrawCalibrationSheet(QPainter& canvas, const CalibrationSheet& s)
{
    canvas.save();
    canvas.setBackgroundMode(Qt::TransparentMode);
    canvas.setBrush(Qt::NoBrush);

    for (std::int64_t x : s.gridX) FillColumn(canvas, x, 0, s.height);
    for (std::int64_t y : s.gridY) FillRow(canvas, y, 0, s.width);
    for (std::int64_t x = 0; x <= s.width; x += kTickStep)
        FillColumn(canvas, x, 0, x % kGridStep == 0 ? s.majorTick : s.minorTick);
    for (std::int64_t y = 0; y <= s.height; y += kTickStep)
        FillRow(canvas, y, 0, y % kGridStep == 0 ? s.majorTick : s.minorTick);

    canvas.setPen(Qt::black);
    const QFont numberFont = WaybillFont(WaybillFace::Lucida, kNumberPoints, s.device.x, s.device.y);
    canvas.setFont(numberFont);
    const qreal ascent = QFontMetricsF(numberFont).ascent();
    for (const GridNumber& n : s.numbers)
        canvas.drawText(QPointF(n.x, n.y + ascent), ToQString(n.text));

    DrawWaybill(canvas, s.items, s.device.x, s.device.y);

    // Crosses over the texts, centred on the anchor: the arms' halves lie on
    // either side of the anchor's dot boundaries.
    const double halfX = s.crossThickness.x / 2.0, halfY = s.crossThickness.y / 2.0;
    for (const WaybillItem& item : s.items) {
        const double x = static_cast<double>(item.x), y = static_cast<double>(item.y);
        FillRow(canvas, y - halfY, x - s.crossArm, x - s.crossGap, s.crossThickness.y);
        FillRow(canvas, y - halfY, x + s.crossGap, x + s.crossArm, s.crossThickness.y);
        FillColumn(canvas, x - halfX, y - s.crossArm, y - s.crossGap, s.crossThickness.x);
        FillColumn(canvas, x - halfX, y + s.crossGap, y + s.crossArm, s.crossThickness.x);
    }

    const QFont infoFont = WaybillFont(WaybillFace::Mincho, kInfoPoints, s.device.x, s.device.y);
    canvas.setFont(infoFont);
    canvas.drawText(QPointF(s.info.x, s.info.y + QFontMetricsF(infoFont).ascent()), ToQString(s.info.text));
    canvas.restore();
}

int CalibrationForms(std::string_view feed)
{
    return feed == kFeedContinuous ? kContinuousCalibrationForms : 1;
}

PageDrawer CalibrationSheetDrawer(std::string_view printer, std::string_view feed, std::string_view when)
{
    return [printer = std::string(printer), feed = std::string(feed), when = std::string(when)](
               QPainter& canvas, const WaybillRecord& rec, Resolution device) {
        DrawCalibrationSheet(canvas, ComputeCalibrationSheet(rec, device, Printer().Page(), printer, feed, when));
    };
}

}  // namespace hoxa
