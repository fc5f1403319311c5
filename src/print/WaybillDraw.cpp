#include "print/WaybillDraw.h"

#include "base/Codec.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPointF>

#include <algorithm>

namespace hoxa {

namespace {

constexpr long long kPointsPerInch = 72;
// Qt refuses stretch factors outside 1..4000 (per cent).
constexpr long long kMaxStretch = 4000;

}  // namespace

QFont WaybillFont(WaybillFace face, int points, int dpiX, int dpiY)
{
    QFont font(ToQString(FaceName(face)));
    font.setStyleStrategy(QFont::PreferDefault);
    // Outlines as designed, as the print server's rasteriser draws them: a
    // screen's hinting would move and resize small glyphs by a dot or two.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    // Windows sizes a font in whole pixels of the device (MulDiv rounding).
    const long long px = (static_cast<long long>(points) * dpiY + kPointsPerInch / 2) / kPointsPerInch;
    font.setPixelSize(px > 0 ? static_cast<int>(px) : 1);
    if (dpiX > 0 && dpiY > 0 && dpiX != dpiY) {
        const long long stretch = (100LL * dpiX + dpiY / 2) / dpiY;
        font.setStretch(static_cast<int>(std::clamp(stretch, 1LL, kMaxStretch)));
    }
    return font;
}

void DrawWaybill(QPainter& painter, const std::vector<WaybillItem>& items)
{
    const QPaintDevice* dev = painter.device();
    DrawWaybill(painter, items, dev ? dev->logicalDpiX() : 72, dev ? dev->logicalDpiY() : 72);
}

void DrawWaybill(QPainter& painter, const std::vector<WaybillItem>& items, int dpiX, int dpiY)
{
    painter.save();
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.setBackground(Qt::white);
    painter.setBackgroundMode(Qt::OpaqueMode);
    for (const WaybillItem& item : items) {
        if (item.text.empty()) continue;
        const QFont font = WaybillFont(item.face, item.points, dpiX, dpiY);
        painter.setFont(font);
        // Position is the top-left of the character cell: baseline = top + ascent.
        const QFontMetricsF fm(font, painter.device());
        painter.drawText(QPointF(static_cast<qreal>(item.x),
                                 static_cast<qreal>(item.y) + fm.ascent()),
                         ToQString(item.text));
    }
    painter.restore();
}

}  // namespace hoxa
