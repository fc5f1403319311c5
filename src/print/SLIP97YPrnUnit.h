// The print-position dialog "印字位置調整": the top and left margins of the
// current paper feed, in printer dots, typed into two numeric boxes and
// registered in hoxa_q310.ini.  The printer state it shows and changes belongs
// to the main window, which lends it through MarginDialogHost.
#pragma once

#include "print/WaybillLayout.h"

#include <QDialog>
#include <QMargins>

#include <string>

namespace Ui {
class TForm_SLIP97YPrn;
}

namespace hoxa {

// The main window's printer state as the margin dialog sees it.  The two margin
// texts stay the window's (its margin labels); the dialog reads them when it
// opens and writes them after a registration.
class MarginDialogHost {
public:
    virtual std::string WorkingDir() const = 0;
    virtual std::string FeedName() const = 0;          // the selected paper feed
    virtual std::string PrinterName() const = 0;       // the printer box's text
    virtual std::string PrinterIndexText() const = 0;  // the printer index, decimal text
    virtual std::string TopMargin() const = 0;
    virtual std::string LeftMargin() const = 0;
    virtual void SetMargins(const std::string& top, const std::string& left) = 0;
    // The waybill as the print would take it now (for the test sheet's texts).
    virtual WaybillRecord CurrentWaybill() const = 0;
    // Prints the test sheet of `rec` (its margins those typed) through the
    // print gate, asking over `dialog`.
    virtual void PrintTestSheet(const WaybillRecord& rec, QWidget* dialog) = 0;

protected:
    ~MarginDialogHost() = default;
};

class TForm_SLIP97YPrn : public QDialog {
    Q_OBJECT
public:
    // parent: the main window, so that the dialog centres on it; host: its
    // printer state, which must outlive the dialog.
    TForm_SLIP97YPrn(QWidget* parent, MarginDialogHost& host);
    ~TForm_SLIP97YPrn() override;

    ::Ui::TForm_SLIP97YPrn* ui() const { return ui_; }

    // On every showing: the outer size, the window's margins into the boxes, the
    // focus into the top box.
    void FormShow();
    // The register button: asks, writes the feed's section, updates the main
    // window's margins and closes.  A margin that is not an integer is refused
    // with a notice and the dialog stays open with the typed values.
    void BitBtn_MRGNClick();
    // The test sheet button: one page on the current printer with the margins
    // typed in the boxes (not registered), through the print gate's printer
    // questions.  A margin that is not an integer is refused as at
    // registration.  The dialog stays open.
    void BitBtn_TestPrintClick();
    // Keys in the two boxes (set *key to 0 to consume).
    void ObNumEdit_TOPKeyDown(int* key, Qt::KeyboardModifiers modifiers);
    void ObNumEdit_LEFTKeyDown(int* key, Qt::KeyboardModifiers modifiers);

protected:
    void showEvent(QShowEvent* e) override;
    bool event(QEvent* e) override;

private:
    // The first box whose text could not be registered, after its notice; null
    // when both can.
    QWidget* RefusedMargin();
    // What the window manager's frame adds around a window's client area (none
    // while the window has not been on the screen).
    static QMargins FrameMargins(const QWidget* window);
    // Sizes the client area so that the frame makes the outer size the dialog should have.
    void FitOuterSize(const QMargins& frame);

    ::Ui::TForm_SLIP97YPrn* ui_;
    MarginDialogHost& host_;
};

}  // namespace hoxa
