// The print preview "印刷プレビュー": shows a WaybillPage, zoomed to fit the window
// or at actual size, the printer a print would use and the marks still
// standing, and prints through the main window's print gate.
#pragma once

#include "print/WaybillPage.h"

#include <QDialog>

#include <functional>
#include <string>

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

// The lines above the page (CP932): where a print would go and why, and the
// marks' reasons (empty: no marks, no line).
struct PreviewNotes {
    std::string printer;
    std::string marks;
};

class TForm_WaybillPreview : public QDialog {
    Q_OBJECT
public:
    // parent: the main window; print: prints the waybill through the print gate
    // with its questions over the dialog it is given, true when it was sent
    // (errors are shown here, and the window then stays open, as it does on
    // a No); size: the window size to open with, an empty size for the default.
    // The focus starts on 印刷, or on 閉じる while marks stand.
    TForm_WaybillPreview(QWidget* parent, WaybillPage page, PreviewNotes notes,
                         std::function<bool(QWidget* dialog)> print, QSize size);
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

    // "印刷": prints through the gate and closes once the job is sent.
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
    std::function<bool(QWidget*)> print_;
    double zoom_ = 1.0;
    bool fit_ = true;
    TPreviewPage* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* zoomLabel_ = nullptr;
};

}  // namespace hoxa
