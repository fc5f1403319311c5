#include "print/WaybillPage.h"

#include "base/Codec.h"
#include "base/cp932.h"
#include "print/TPrinter.h"
#include "print/Vp_d97Y_DotUnit.h"
#include "print/WaybillDraw.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <limits>

namespace hoxa {

namespace {

constexpr double kPointsPerInch = 72.0;
// Space kept between a caption and the next item of its line, in dots.
constexpr double kCaptionGap = 2.0;

const QColor kBorderShade(214, 214, 214);
const QColor kPrintableEdge(150, 150, 150);
const QColor kCaptionInk(172, 172, 172);
const QColor kOutsideMark(220, 0, 0);

double Dots(double points, int dpi) { return points * dpi / kPointsPerInch; }

// Distance from row i to the nearest item to its right whose cell shares a
// line with row i's; 0 when there is none.
double RoomRight(const std::vector<PageRow>& rows, std::size_t i)
{
    const PageRow& r = rows[i];
    double room = std::numeric_limits<double>::max();
    for (std::size_t j = 0; j < rows.size(); ++j) {
        const PageRow& o = rows[j];
        if (j == i || o.x <= r.x) continue;
        const bool sameLine = o.box.y < r.box.Bottom() && r.box.y < o.box.Bottom();
        if (sameLine) room = std::min(room, static_cast<double>(o.x - r.x));
    }
    return room == std::numeric_limits<double>::max() ? 0 : room - kCaptionGap;
}

}  // namespace

DotRect TextCell(const std::string& text, WaybillFace face, int points, std::int64_t x, std::int64_t y,
                 Resolution device)
{
    const QFontMetricsF fm(WaybillFont(face, points, device.x, device.y));
    return DotRect{static_cast<double>(x), static_cast<double>(y), fm.horizontalAdvance(ToQString(text)),
                   fm.height()};
}

int FitPoints(const std::string& text, WaybillFace face, int points, double room, Resolution device)
{
    if (room <= 0) return points;
    int p = points;
    while (p > kSmallestCaptionPoints && TextCell(text, face, p, 0, 0, device).width > room) --p;
    return p;
}

WaybillPage ComputeWaybillPage(const WaybillRecord& rec, Resolution device, const PageGeometry& geometry)
{
    WaybillPage page;
    page.device = device;
    page.items = ComputeWaybillLayout(rec);  // raises before anything else is done

    // Every row's place, also of the items the check boxes leave out.
    WaybillRecord every = rec;
    every.printDate = every.printSender = true;
    const std::vector<WaybillItem> places = ComputeWaybillLayout(every);

    page.paper = DotRect{0, 0, Dots(geometry.width, device.x), Dots(geometry.height, device.y)};
    const double left = Dots(geometry.left, device.x);
    const double top = Dots(geometry.top, device.y);
    const double width = geometry.printableWidth > 0 ? Dots(geometry.printableWidth, device.x)
                                                     : page.paper.width - left;
    const double height = geometry.printableHeight > 0 ? Dots(geometry.printableHeight, device.y)
                                                       : page.paper.height - top;
    page.printable = DotRect{left, top, width, height};
    const DotRect area{0, 0, width, height};

    for (const WaybillItem& place : places) {
        PageRow row;
        row.number = place.number;
        row.caption = std::string(ItemCaption(place.number));
        row.x = place.x;
        row.y = place.y;
        row.face = place.face;
        row.captionPoints = place.points;
        const auto printed = std::find_if(page.items.begin(), page.items.end(),
                                          [&](const WaybillItem& it) { return it.number == place.number; });
        row.prints = printed != page.items.end() && !printed->text.empty();
        row.box = row.prints ? TextCell(printed->text, place.face, place.points, place.x, place.y, device)
                             : TextCell(row.caption, place.face, place.points, place.x, place.y, device);
        page.rows.push_back(std::move(row));
    }
    for (std::size_t i = 0; i < page.rows.size(); ++i) {
        PageRow& row = page.rows[i];
        const WaybillItem& place = places[i];
        if (row.prints) {
            row.outside = !area.Contains(row.box);
            continue;
        }
        row.captionPoints = FitPoints(row.caption, row.face, place.points, RoomRight(page.rows, i), device);
        row.box = TextCell(row.caption, row.face, row.captionPoints, row.x, row.y, device);
        row.outside = !area.Contains(DotRect{static_cast<double>(row.x), static_cast<double>(row.y), 0, 0});
    }
    // Rows the margins push off the paper are still shown, beside it.
    const double pad = device.x / 30.0;  // room for the outside marks
    double x0 = 0, y0 = 0, x1 = page.paper.width, y1 = page.paper.height;
    for (const PageRow& row : page.rows) {
        x0 = std::min(x0, left + row.box.x - pad);
        y0 = std::min(y0, top + row.box.y - pad);
        x1 = std::max(x1, left + row.box.Right() + pad);
        y1 = std::max(y1, top + row.box.Bottom() + pad);
    }
    page.extent = DotRect{x0, y0, x1 - x0, y1 - y0};
    return page;
}

WaybillPage PreviewOfPrint(WaybillRecord rec)
{
    // In the order the print meets them: resolution, page, layout.
    const JobResolution r = CurrentJobResolution();
    rec.dpix = IntToStr(r.effective.x);
    rec.dpiy = IntToStr(r.effective.y);
    const PageGeometry geometry = Printer().Page();
    return ComputeWaybillPage(rec, r.device, geometry);
}

void DrawWaybillPage(QPainter& painter, const WaybillPage& page)
{
    const QRectF paper(0, 0, page.paper.width, page.paper.height);
    const QRectF printable(page.printable.x, page.printable.y, page.printable.width, page.printable.height);
    painter.save();
    painter.fillRect(paper, Qt::white);
    QPainterPath border;
    border.setFillRule(Qt::OddEvenFill);
    border.addRect(paper);
    border.addRect(printable.intersected(paper));
    painter.fillPath(border, kBorderShade);
    painter.setPen(QPen(kPrintableEdge, 0, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(printable);

    // From here on the print's own coordinates: dots from the printable area's origin.
    painter.translate(page.printable.x, page.printable.y);
    painter.setBackgroundMode(Qt::TransparentMode);
    // Paper under what lies off it, so that it stays readable.
    for (const PageRow& row : page.rows)
        if (row.outside) painter.fillRect(QRectF(row.box.x, row.box.y, row.box.width, row.box.height), Qt::white);
    for (const PageRow& row : page.rows) {
        if (row.prints) continue;
        const QFont font = WaybillFont(row.face, row.captionPoints, page.device.x, page.device.y);
        painter.setFont(font);
        painter.setPen(QPen(kCaptionInk, 0));
        const QFontMetricsF fm(font);
        const QPointF at(static_cast<qreal>(row.x), static_cast<qreal>(row.y));
        painter.drawText(at + QPointF(0, fm.ascent()), ToQString(row.caption));
        // A corner at the cell's top-left: where the first character starts.
        const qreal arm = page.device.x / 30.0;
        painter.drawLine(at, at + QPointF(arm, 0));
        painter.drawLine(at, at + QPointF(0, arm));
    }

    DrawWaybill(painter, page.items, page.device.x, page.device.y);

    QPen mark(kOutsideMark, 2.0);
    mark.setCosmetic(true);  // as thick at every zoom
    painter.setPen(mark);
    painter.setBrush(Qt::NoBrush);
    for (const PageRow& row : page.rows) {
        if (!row.outside) continue;
        const qreal pad = page.device.x / 60.0;
        painter.drawRect(QRectF(row.box.x, row.box.y, std::max(row.box.width, 1.0), row.box.height)
                             .adjusted(-pad, -pad, pad, pad));
    }
    painter.restore();
}

}  // namespace hoxa
