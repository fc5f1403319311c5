// The printer group when the registered printer is not there or the print
// server does not answer: the printer box names it as missing, the guidance
// panel says what to do, the change check brings it back without a new
// registration.  The print gate asks before a print goes to another printer.
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "base/Codec.h"
#include "base/MsgBox.h"
#include "base/cp932.h"
#include "print/PrinterMessages.h"
#include "print/PrinterRegistration.h"
#include "print/PrinterWatcher.h"
#include "print/TPrinter.h"
#include "print/VpPrinters.h"

#include <QComboBox>
#include <QLabel>

#include <algorithm>

namespace hoxa {

namespace {

bool ServerAway()
{
    try {
        return VpPrinter().ServerAway();
    } catch (const EVpPrinter&) {
        return false;  // no printer layer
    }
}

}  // namespace

bool TForm_Main::RegisteredPrinterMissing()
{
    if (registeredPrinter_.empty()) return false;
    std::vector<std::string> names;
    try {
        if (VpPrinter().ServerAway()) return true;
        names = VpPrinter().GetPrinterNames();
    } catch (const EVpPrinter&) {
        return true;  // no printer at all
    }
    return std::none_of(names.begin(), names.end(),
                        [this](const std::string& n) { return Trim(n) == registeredPrinter_; });
}

void TForm_Main::ShowRegisteredPrinterState()
{
    auto& u = *ui_;
    const bool away = ServerAway();
    const bool missing = RegisteredPrinterMissing();
    if (missing) {
        // The box names the registered printer, marked; the paper and bin
        // boxes show the printer a print would use instead (the question at
        // F11 names it).
        const QString marked = ToQString(MissingPrinterBoxText(registeredPrinter_));
        if (u.ComboBox1->findText(marked) < 0) u.ComboBox1->addItem(marked);
        u.ComboBox1->setCurrentIndex(u.ComboBox1->findText(marked));
    }
    if (away || missing) {
        printerGuidance_ = away ? ServerAwayGuidance(VpPrinter().ServerName()) : MissingPrinterGuidance(registeredPrinter_);
        SetGuidance(printerGuidance_);
    } else if (!printerGuidance_.empty()) {
        if (Guidance() == printerGuidance_) SetGuidance("");
        printerGuidance_.clear();
    }
}

void TForm_Main::VpPrinterChange()
{
    if (!shown_) return;
    auto& u = *ui_;
    try {
        if (!registeredPrinter_.empty())
            u.Label_PrinterIndex->setText(ToQString(ResolvePrinterIndex(
                FromQString(u.Label_PrinterIndex->text()), registeredPrinter_, VpPrinter().GetPrinterNames())));
        SpeedButton_PRNSETClick();
    } catch (const EVpPrinter&) {
        // No printer left: the boxes show nothing to print on.
        for (QComboBox* box : {u.ComboBox1, u.ComboBox2, u.ComboBox3}) box->clear();
        ShowRegisteredPrinterState();
    }
}

void TForm_Main::WatchPrinters(PrinterWatcher& watcher)
{
    connect(&watcher, &PrinterWatcher::PrintersChanged, this,
            [this] { Guarded(this, [this] { VpPrinterChange(); }); });
    connect(&watcher, &PrinterWatcher::CheckFailed, this,
            [this] { Guarded(this, [this] { ShowRegisteredPrinterState(); }); });
}

void TForm_Main::RefreshPrinters()
{
    // A printer removed or added since the last check counts already.  A
    // server that does not answer is shown, and reported by the print.
    try {
        if (VpPrinter().CheckForChanges()) VpPrinterChange();
    } catch (const EOSError&) {
        ShowRegisteredPrinterState();
    } catch (const EVpPrinter&) {
        // No printer layer: the print reports it.
    }
}

}  // namespace hoxa
