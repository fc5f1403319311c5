// The print-position dialog "印字位置調整": the top and left margins of the
// current paper feed, in printer dots, typed into two numeric boxes and
// registered in hoxa_q310.ini.  It reads and updates the main window's printer
// state by control name (ComboBox_SEL, ComboBox1, Label_PrinterIndex,
// Label_Prn_Top, Label_Prn_Left, Label_CurrentDir), so it needs no more of the
// main window than a QWidget.
#pragma once

#include <QDialog>

#include <string>

namespace Ui {
class TForm_SLIP97YPrn;
}

namespace hoxa {

class TObNumEdit;

class TForm_SLIP97YPrn : public QDialog {
    Q_OBJECT
public:
    // mainWindow: the window whose printer state the dialog shows and changes;
    // it is also the dialog's parent, so the dialog centres on it.
    explicit TForm_SLIP97YPrn(QWidget* mainWindow);
    ~TForm_SLIP97YPrn() override;

    ::Ui::TForm_SLIP97YPrn* ui() const { return ui_; }
    QWidget* MainWindow() const { return main_; }

    // On every showing: outer size 190 x 160, the margins of the main window
    // into the boxes, the focus into the top box.
    void FormShow();
    // The register button: asks, writes the feed's section, updates the main
    // window's margins and closes.  A margin that is not an integer is refused
    // with a notice and the dialog stays open with the typed values.
    void BitBtn_MRGNClick();
    // Keys in the two boxes (set *key to 0 to consume).
    void ObNumEdit_TOPKeyDown(int* key, Qt::KeyboardModifiers modifiers);
    void ObNumEdit_LEFTKeyDown(int* key, Qt::KeyboardModifiers modifiers);

protected:
    void showEvent(QShowEvent* e) override;

private:
    std::string MainText(const char* objectName) const;
    void SetMainText(const char* objectName, const std::string& text);
    std::string WorkingDir() const;

    ::Ui::TForm_SLIP97YPrn* ui_;
    QWidget* main_;
};

// The instance the program creates after the main window; null before.
extern TForm_SLIP97YPrn* Form_SLIP97YPrn;

}  // namespace hoxa
