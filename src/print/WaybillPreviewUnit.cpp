#include "print/WaybillPreviewUnit.h"

#include "base/Codec.h"
#include "base/DialogKeys.h"
#include "base/MsgBox.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace hoxa {

namespace {

constexpr QSize kDefaultSize(760, 680);
constexpr QSize kSmallestSize(360, 280);
constexpr int kPageMargin = 12;  // grey around the paper, in screen pixels
constexpr double kZoomStep = 1.25;
constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 8.0;
constexpr double kMillimetresPerInch = 25.4;
constexpr double kLeastScreenDpi = 50;
constexpr double kMostScreenDpi = 600;
constexpr double kMostDpiMismatch = 1.2;  // across against down

}  // namespace

QPointF ActualSizePixelsPerInch(const QSizeF& physicalMm, const QSize& pixels, const QPointF& logicalDpi)
{
    if (physicalMm.width() <= 0 || physicalMm.height() <= 0 || pixels.isEmpty()) return logicalDpi;
    const QPointF dpi(pixels.width() * kMillimetresPerInch / physicalMm.width(),
                      pixels.height() * kMillimetresPerInch / physicalMm.height());
    const auto plausible = [](double d) { return d >= kLeastScreenDpi && d <= kMostScreenDpi; };
    const double ratio = std::max(dpi.x(), dpi.y()) / std::min(dpi.x(), dpi.y());
    return plausible(dpi.x()) && plausible(dpi.y()) && ratio <= kMostDpiMismatch ? dpi : logicalDpi;
}

// The paper at the dialog's zoom.
class TPreviewPage : public QWidget {
public:
    TPreviewPage(QWidget* parent, const WaybillPage& page) : QWidget(parent), page_(page)
    {
        setObjectName(QStringLiteral("PreviewPage"));
    }

    // Screen pixels per printer dot at `zoom`, across and down.
    QPointF PixelsPerDot(double zoom) const
    {
        const QPointF logical(logicalDpiX(), logicalDpiY());
        const QScreen* s = screen();
        const QPointF inch = s ? ActualSizePixelsPerInch(s->physicalSize(), s->geometry().size(), logical) : logical;
        return {zoom * inch.x() / page_.device.x, zoom * inch.y() / page_.device.y};
    }
    QSizeF ExtentPixels(double zoom) const
    {
        const QPointF s = PixelsPerDot(zoom);
        return {page_.extent.width * s.x(), page_.extent.height * s.y()};
    }
    void SetZoom(double zoom)
    {
        zoom_ = zoom;
        const QSizeF paper = ExtentPixels(zoom);
        setFixedSize(static_cast<int>(std::ceil(paper.width())) + 2 * kPageMargin,
                     static_cast<int>(std::ceil(paper.height())) + 2 * kPageMargin);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.translate(kPageMargin, kPageMargin);
        const QPointF s = PixelsPerDot(zoom_);
        p.scale(s.x(), s.y());
        p.translate(-page_.extent.x, -page_.extent.y);
        DrawWaybillPage(p, page_);
    }

private:
    const WaybillPage& page_;
    double zoom_ = 1.0;
};

TForm_WaybillPreview::TForm_WaybillPreview(QWidget* parent, WaybillPage page, PreviewNotes notes,
                                           std::function<bool(QWidget*)> onPrint, QSize size)
    : QDialog(parent), page_(std::move(page)), print_(std::move(onPrint))
{
    setObjectName(QStringLiteral("Form_WaybillPreview"));
    setWindowTitle(ToQString("印刷プレビュー"));
    setModal(true);
    setSizeGripEnabled(true);
    setMinimumSize(kSmallestSize);

    auto* print = new QPushButton(ToQString("印刷"), this);
    print->setObjectName(QStringLiteral("BitBtn_Print"));
    auto* close = new QPushButton(ToQString("閉じる"), this);
    close->setObjectName(QStringLiteral("BitBtn_Close"));
    auto* fit = new QPushButton(ToQString("全体"), this);
    fit->setObjectName(QStringLiteral("BitBtn_Fit"));
    fit->setToolTip(ToQString("用紙全体をウィンドウに合わせて表示します"));
    auto* actual = new QPushButton(ToQString("実寸"), this);
    actual->setObjectName(QStringLiteral("BitBtn_ActualSize"));
    actual->setToolTip(ToQString("用紙を実際の大きさで表示します (拡大・縮小はマウスホイール、Ctrl+プラス／マイナス)"));
    for (QPushButton* b : {print, close, fit, actual}) b->setAutoDefault(false);
    zoomLabel_ = new QLabel(this);
    zoomLabel_->setObjectName(QStringLiteral("Label_Zoom"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print);
    buttons->addWidget(close);
    buttons->addSpacing(24);
    buttons->addWidget(fit);
    buttons->addWidget(actual);
    buttons->addWidget(zoomLabel_);
    buttons->addStretch(1);

    // Items the print would cut off.
    std::string outside;
    for (const PageRow& row : page_.rows) {
        if (!row.outside) continue;
        outside += outside.empty() ? "" : "、";
        outside += row.caption;
    }
    // Lines above the page: the printer, the marks (in the fields' amber),
    // what the print would cut off.
    const auto line = [this](const char* name, const std::string& text, const char* style) {
        auto* label = new QLabel(ToQString(text), this);
        label->setObjectName(QString::fromLatin1(name));
        label->setStyleSheet(QString::fromLatin1(style));
        label->setWordWrap(true);
        label->setVisible(!text.empty());
        return label;
    };
    QLabel* printerLine = line("Label_Printer", notes.printer, "");
    QLabel* marksLine = line("Label_Marks", notes.marks, "background: #ffecb3; padding: 2px;");
    QLabel* warning =
        line("Label_Outside", outside.empty() ? std::string() : "印刷範囲外の項目があります: " + outside, "color: #dc0000;");

    view_ = new TPreviewPage(this, page_);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("ScrollBox_Page"));
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->setWidget(view_);
    scroll_->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(printerLine);
    layout->addWidget(marksLine);
    layout->addWidget(warning);
    layout->addWidget(scroll_, 1);

    QSize want = size.isValid() && !size.isEmpty() ? size : kDefaultSize;
    if (const QScreen* s = parent ? parent->screen() : screen())
        want = want.boundedTo(s->availableGeometry().size());
    resize(want.expandedTo(kSmallestSize));

    connect(print, &QPushButton::clicked, this, &TForm_WaybillPreview::BitBtn_PrintClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(fit, &QPushButton::clicked, this, &TForm_WaybillPreview::ZoomToFit);
    connect(actual, &QPushButton::clicked, this, &TForm_WaybillPreview::ZoomActualSize);
    // Shown with its focus frame, as after a Tab.
    setAttribute(Qt::WA_KeyboardFocusChange);
    (notes.marks.empty() ? print : close)->setFocus(Qt::TabFocusReason);
    SetZoom(1.0, true);
}

TForm_WaybillPreview::~TForm_WaybillPreview() = default;

void TForm_WaybillPreview::BitBtn_PrintClick()
{
    Guarded(this, [this] {
        if (print_ && print_(this)) accept();
    });
}

double TForm_WaybillPreview::FitZoom() const
{
    const QSize room = scroll_->maximumViewportSize() - QSize(2 * kPageMargin, 2 * kPageMargin);
    const QSizeF actual = view_->ExtentPixels(1.0);
    if (room.width() <= 0 || room.height() <= 0 || actual.isEmpty()) return 1.0;
    return std::min(room.width() / actual.width(), room.height() / actual.height());
}

void TForm_WaybillPreview::SetZoom(double zoom, bool fit)
{
    fit_ = fit;
    zoom_ = std::clamp(fit ? FitZoom() : zoom, kMinZoom, kMaxZoom);
    view_->SetZoom(zoom_);
    zoomLabel_->setText(QStringLiteral("%1%").arg(std::lround(zoom_ * 100)));
}

void TForm_WaybillPreview::ZoomToFit() { SetZoom(1.0, true); }
void TForm_WaybillPreview::ZoomActualSize() { SetZoom(1.0, false); }
void TForm_WaybillPreview::ZoomIn() { SetZoom(zoom_ * kZoomStep, false); }
void TForm_WaybillPreview::ZoomOut() { SetZoom(zoom_ / kZoomStep, false); }

void TForm_WaybillPreview::keyPressEvent(QKeyEvent* e)
{
    if (e->modifiers() & Qt::ControlModifier) {
        switch (e->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:  // the plus key without Shift on many keyboards
        case Qt::Key_Semicolon:  // ; + on Japanese keyboards
            ZoomIn();
            return;
        case Qt::Key_Minus:
            ZoomOut();
            return;
        default:
            break;
        }
    }
    if (!PressFocusedButton(this, *e)) QDialog::keyPressEvent(e);  // Escape closes
}

bool TForm_WaybillPreview::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == scroll_->viewport() && e->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(e)->angleDelta().y();
        if (delta > 0) ZoomIn();
        else if (delta < 0) ZoomOut();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void TForm_WaybillPreview::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    if (fit_) SetZoom(1.0, true);
}

void TForm_WaybillPreview::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (fit_) SetZoom(1.0, true);
}

}  // namespace hoxa
