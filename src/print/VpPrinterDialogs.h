// The printer-setup and print dialogs of the printer layer: printer (with its
// status and location), paper size, paper source and orientation, OK and
// Cancel.  Confirming makes the chosen printer current with the chosen settings
// and calls VpPrinter().Refresh().
//
// Object names for tests: "printerCombo", "statusLabel", "locationLabel",
// "paperCombo", "sourceCombo", "portraitRadio", "landscapeRadio",
// "copiesSpin" (print dialog only), "buttonBox".  Execute() is modal; a test
// accepts it from a QTimer via QApplication::activeModalWidget().
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;
class QDialogButtonBox;

namespace hoxa {

// The dialog window itself (created and destroyed by Execute).
class PrinterSetupForm : public QDialog {
    Q_OBJECT
public:
    PrinterSetupForm(QWidget* parent, bool printDialog);
    // Writes the choices into the printer object (current printer and settings).
    void Apply();

private:
    void FillPrinter(int raw);
    QComboBox* printer_;
    QLabel* status_;
    QLabel* location_;
    QComboBox* paper_;
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
