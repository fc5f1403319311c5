#include "app/ButtonPictures.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

#include <map>
#include <string>

namespace hoxa {

namespace {

// Every picture is drawn on a 32 x 32 grid and scaled to the pixmap.
QPixmap Draw(Picture picture, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    switch (picture) {
    case Picture::Transfer: {
        QPainterPath arrow;
        arrow.moveTo(12, 4);
        arrow.lineTo(20, 4);
        arrow.lineTo(20, 16);
        arrow.lineTo(26, 16);
        arrow.lineTo(16, 28);
        arrow.lineTo(6, 16);
        arrow.lineTo(12, 16);
        arrow.closeSubpath();
        p.setPen(QPen(QColor(0x1b, 0x5e, 0x20), 1.5));
        p.setBrush(QColor(0x2e, 0x7d, 0x32));
        p.drawPath(arrow);
        break;
    }
    case Picture::Clear:
        p.setPen(QPen(QColor(0x77, 0x77, 0x77), 2));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(5, 5, 22, 22), 3, 3);
        p.setPen(QPen(QColor(0xc6, 0x28, 0x28), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(22, 22));
        p.drawLine(QPointF(22, 10), QPointF(10, 22));
        break;
    case Picture::Save: {
        QPainterPath disk;
        disk.moveTo(4, 4);
        disk.lineTo(24, 4);
        disk.lineTo(28, 8);
        disk.lineTo(28, 28);
        disk.lineTo(4, 28);
        disk.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x15, 0x65, 0xc0));
        p.drawPath(disk);
        p.setBrush(QColor(0xe3, 0xf2, 0xfd));
        p.drawRect(QRectF(9, 4, 13, 8));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 17, 16, 11));
        break;
    }
    case Picture::Help: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x02, 0x77, 0xbd));
        p.drawEllipse(QRectF(3, 3, 26, 26));
        QPainterPath hook;
        hook.moveTo(11.5, 12);
        hook.arcTo(QRectF(11.5, 7.5, 9, 9), 180, -270);
        hook.lineTo(16, 19.5);
        p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(hook);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(16, 24.5), 1.8, 1.8);
        break;
    }
    case Picture::Mail:
        p.setPen(QPen(QColor(0x55, 0x55, 0x55), 2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2, 6, 28, 20));
        p.drawPolyline(QPolygonF({QPointF(2, 6), QPointF(16, 18), QPointF(30, 6)}));
        break;
    case Picture::Printer:
        p.setPen(QPen(QColor(0x33, 0x33, 0x33), 2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 2, 16, 10));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x60, 0x7d, 0x8b));
        p.drawRect(QRectF(2, 12, 28, 12));
        p.setPen(QPen(QColor(0x33, 0x33, 0x33), 2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 20, 16, 10));
        break;
    case Picture::Margin:
        p.setPen(QPen(QColor(0x33, 0x33, 0x33), 2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 2, 24, 28));
        p.setPen(QPen(QColor(0x15, 0x65, 0xc0), 2));
        for (int y : {8, 14, 20}) p.drawLine(QPointF(10, y), QPointF(22, y));
        p.setPen(QPen(QColor(0xc6, 0x28, 0x28), 2));
        p.drawLine(QPointF(4, 8), QPointF(8, 8));
        p.drawLine(QPointF(8, 2), QPointF(8, 6));
        break;
    case Picture::AppIcon:
        p.setPen(QPen(QColor(0x1d, 0x4f, 0x91), 1.5));
        p.setBrush(QColor(0xff, 0xfd, 0xf4));
        p.drawRoundedRect(QRectF(3, 5, 26, 22), 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1d, 0x4f, 0x91));
        p.drawRect(QRectF(3, 5, 26, 5));
        p.setPen(QPen(QColor(0xc0, 0x39, 0x2b), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8.5, 14), QPointF(23.5, 14));
        p.drawLine(QPointF(8.5, 18), QPointF(20, 18));
        p.drawLine(QPointF(8.5, 22), QPointF(22, 22));
        break;
    }
    return pm;
}

}  // namespace

namespace {

// Draws the picture at the size asked for, when it is first asked for: no
// icon theme is read and no size is drawn that is never shown.
class DrawnEngine : public QIconEngine {
public:
    DrawnEngine(Picture picture, QString name) : picture_(picture), name_(std::move(name)) {}

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return QSize(side, side);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = std::max(1, std::min(size.width(), size.height()));
        QPixmap& pm = drawn_[{side, mode == QIcon::Disabled}];
        if (pm.isNull()) {
            pm = Draw(picture_, side);
            if (mode == QIcon::Disabled) {
                QStyleOption option;
                option.palette = QApplication::palette();
                pm = QApplication::style()->generatedIconPixmap(QIcon::Disabled, pm, &option);
            }
        }
        return pm;
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QIconEngine* clone() const override { return new DrawnEngine(*this); }
    QString iconName() override { return name_; }
    QString key() const override { return QStringLiteral("hoxa-drawn"); }

private:
    Picture picture_;
    QString name_;
    std::map<std::pair<int, bool>, QPixmap> drawn_;
};

}  // namespace

QIcon DrawnPicture(Picture picture) { return QIcon(new DrawnEngine(picture, QString())); }

QIcon ButtonPicture(const char* name, Picture picture)
{
    static std::map<std::string, QIcon> cache;
    auto it = cache.find(name);
    if (it == cache.end()) it = cache.emplace(name, QIcon(new DrawnEngine(picture, QString::fromLatin1(name)))).first;
    return it->second;
}

}  // namespace hoxa
