// The print preview "印刷プレビュー": shows a WaybillPage, zoomed to fit the window
// or at actual size, and prints through the main window's print at once.
#pragma once

#include "print/WaybillPage.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QScrollArea;

namespace hoxa {

class TPreviewPage;

// Screen pixels per inch that make a printer inch one inch on the screen: the
// screen's physical density (its size in pixels over its physical size in
// millimetres) where the physical size is known and plausible (50 to 600 pixels
// per inch, alike across and down within a fifth), else the logical dots per inch.
QPointF ActualSizePixelsPerInch(const QSizeF& physicalMm, const QSize& pixels, const QPointF& logicalDpi);

class TForm_WaybillPreview : public QDialog {
    Q_OBJECT
public:
    // parent: the main window; printNow: prints the waybill as F11 does after
    // its questions (errors are shown here, and the window then stays open);
    // size: the window size to open with, an empty size for the default.
    TForm_WaybillPreview(QWidget* parent, WaybillPage page, std::function<void()> printNow, QSize size);
    ~TForm_WaybillPreview() override;

    const WaybillPage& Page() const { return page_; }

    // Zoom: 1 is actual size (one printer inch is one inch of the screen, see
    // ActualSizePixelsPerInch).  Fit follows the window's size until the user
    // zooms another way.
    double Zoom() const { return zoom_; }
    bool FitsWindow() const { return fit_; }
    void ZoomToFit();
    void ZoomActualSize();
    void ZoomIn();
    void ZoomOut();

    // "印刷": prints and closes.
    void BitBtn_PrintClick();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void SetZoom(double zoom, bool fit);
    double FitZoom() const;

    WaybillPage page_;
    std::function<void()> printNow_;
    double zoom_ = 1.0;
    bool fit_ = true;
    TPreviewPage* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* zoomLabel_ = nullptr;
};

}  // namespace hoxa
