// The printer-setup and print dialogs of the printer layer: printer (with its
// status and location), paper size (where the driver takes custom sizes also
// one of the user's own, width × length in millimetres or inches), paper source
// and orientation, OK and Cancel.  Confirming makes the chosen printer current
// with the chosen settings and calls VpPrinter().Refresh().
//
// Object names for tests: "printerCombo", "statusLabel", "locationLabel",
// "paperCombo" (the custom size is its last entry, data kCustomPaperEntry),
// "customWidthSpin", "customLengthSpin", "customUnitCombo" ("mm", "inch"),
// "sourceCombo", "portraitRadio", "landscapeRadio", "copiesSpin" (print
// dialog only), "buttonBox".  Execute() is modal; a test
// accepts it from a QTimer via QApplication::activeModalWidget().
#pragma once

#include "print/Spooler.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QRadioButton;
class QSpinBox;
class QDialogButtonBox;

namespace hoxa {

// The paper box's data for the custom size (paper numbers are 0 or above).
inline constexpr int kCustomPaperEntry = -1;

// The dialog window itself (created and destroyed by Execute).
class PrinterSetupForm : public QDialog {
    Q_OBJECT
public:
    PrinterSetupForm(QWidget* parent, bool printDialog);
    // Writes the choices into the printer object (current printer and settings).
    void Apply();

private:
    void FillPrinter(int raw);
    // The custom size boxes: their range and decimals for the unit chosen, the
    // size shown, and the size they hold.
    void SetCustomUnit(bool inches);
    void ShowCustomPaper(const CustomPaper& paper);
    CustomPaper TypedCustomPaper() const;
    QComboBox* printer_;
    QLabel* status_;
    QLabel* location_;
    QComboBox* paper_;
    QDoubleSpinBox* customWidth_;
    QDoubleSpinBox* customLength_;
    QComboBox* customUnit_;
    QWidget* customRow_;
    CustomPaperRange customRange_;  // of the printer shown, in points
    QComboBox* source_;
    QRadioButton* portrait_;
    QRadioButton* landscape_;
    QSpinBox* copies_ = nullptr;
    QDialogButtonBox* buttons_;
};

class TVpPrinterSetupDialog : public QObject {
    Q_OBJECT
public:
    explicit TVpPrinterSetupDialog(QWidget* parent = nullptr);
    // Runs the dialog; on OK applies the choice and refreshes VpPrinter.
    // Returns true for OK.
    bool Execute();

protected:
    virtual bool IsPrintDialog() const { return false; }

private:
    QWidget* parent_;
};

class TVpPrintDialog : public TVpPrinterSetupDialog {
    Q_OBJECT
public:
    using TVpPrinterSetupDialog::TVpPrinterSetupDialog;

protected:
    bool IsPrintDialog() const override { return true; }
};

}  // namespace hoxa
