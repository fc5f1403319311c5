// The printer group when the registered printer is not there: the printer box
// names it as missing, the guidance panel says what to do, the change check
// brings it back without a new registration, and F11 asks before a print goes
// to another printer or into a stopped queue.
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

bool TForm_Main::RegisteredPrinterMissing()
{
    if (registeredPrinter_.empty()) return false;
    std::vector<std::string> names;
    try {
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
    if (RegisteredPrinterMissing()) {
        // The box names the registered printer, marked; the paper and bin
        // boxes show the printer a print would use instead (the question at
        // F11 names it).
        u.ComboBox1->addItem(ToQString(MissingPrinterBoxText(registeredPrinter_)));
        u.ComboBox1->setCurrentIndex(u.ComboBox1->count() - 1);
        printerGuidance_ = MissingPrinterGuidance(registeredPrinter_);
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
}

bool TForm_Main::ConfirmPrintTarget()
{
    TVpPrinter* layer = nullptr;
    try {
        layer = &VpPrinter();
    } catch (const EVpPrinter&) {
        return true;  // no printer layer: the print reports it
    }
    TVpPrinter& vp = *layer;
    // A printer removed or added since the last check counts already.  A
    // server that does not answer is reported below.
    try {
        if (vp.CheckForChanges()) VpPrinterChange();
    } catch (const EOSError&) {
    }
    std::string target;
    try {
        const std::vector<std::string> names = vp.GetPrinterNames();
        const int i = vp.GetIndex();
        if (i >= 0 && static_cast<std::size_t>(i) < names.size()) target = names[static_cast<std::size_t>(i)];
    } catch (const EVpPrinterNoPrinter&) {
        return true;  // the print reports that there is no printer
    }
    const auto no = [this] {
        ui_->Edit_G1->setFocus(Qt::OtherFocusReason);
        return false;
    };
    if (RegisteredPrinterMissing() &&
        !AskYesNo(this, MissingPrinterQuestion(registeredPrinter_, target), DefaultAnswer::No))
        return no();
    const PrinterStatus status = vp.GetStatus();
    if (const std::string trouble = PrinterTroubleMessage(target, status); !trouble.empty()) throw EPrinter(trouble);
    if (status.stopped && !AskYesNo(this, StoppedPrinterQuestion(target), DefaultAnswer::No)) return no();
    return true;
}

}  // namespace hoxa
