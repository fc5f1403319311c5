// Printer group of the main window: the printer registered for the current
// paper feed, its paper and bin lists with the feed's own source and paper, and
// the two margins.
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "base/Codec.h"
#include "base/MsgBox.h"
#include "base/cp932.h"
#include "print/PaperSize.h"
#include "print/PrinterMessages.h"
#include "print/PrinterRegistration.h"
#include "print/SLIP97YPrnUnit.h"
#include "print/VpPrinterDialogs.h"
#include "print/VpPrinters.h"

#include <QComboBox>
#include <QLabel>

namespace hoxa {

namespace {

void FillBox(QComboBox* box, const std::vector<std::string>& items)
{
    box->clear();
    for (const std::string& item : items) box->addItem(ToQString(item));
}

std::string Text(const QLabel* label) { return FromQString(label->text()); }

// Reads the feed's section into the printer index and margin labels and
// returns it.  When the stored index no longer names the printer stored by
// name, but that printer is still installed, its present index is used (the
// file keeps the old number until the next registration).
FeedRegistration LoadFeedRegistration(TForm_Main& w, const std::string& feed)
{
    auto& u = *w.ui();
    std::string problem;
    const FeedRegistration r = ReadFeedRegistration(w.WorkingDir(), feed, &problem);
    if (!problem.empty()) ShowAppError(&w, problem);
    std::string index = r.prnNoIndex;
    if (!Trim(r.prnName).empty()) {
        try {
            const std::vector<std::string> names = VpPrinter().GetPrinterNames();
            index = ResolvePrinterIndex(r.prnNoIndex, r.prnName, names);
        } catch (const EVpPrinter&) {
            // No printer: the refresh reports it.
        }
    }
    u.Label_PrinterIndex->setText(ToQString(index));
    u.Label_Prn_Top->setText(ToQString(r.top));
    u.Label_Prn_Left->setText(ToQString(r.left));
    return r;
}

}  // namespace

void TForm_Main::SpeedButton_PRNSETClick()
{
    auto& u = *ui_;
    TVpPrinter& vp = VpPrinter();
    // A text that is no integer raises the conversion error here.
    const int n = StrToInt(Text(u.Label_PrinterIndex));
    try {
        vp.SetIndex(n);
    } catch (const EVPPrinterRangeError&) {
        // The number names no printer now: the first one is used, and the
        // boxes show it, as they show whatever a print would use.
        vp.SetIndex(0);
    }
    // The feed's own source and paper, whichever feed or printer was in force.
    ApplyFeedPaper(feedPaper_);
    try {
        FillBox(u.ComboBox1, vp.GetPrinterNames());
        u.ComboBox1->setCurrentIndex(vp.GetIndex());
        ShowRegisteredPrinterState();
    } catch (const EVpPrinter&) {
        u.ComboBox1->setEnabled(false);
        return;
    }
    try {
        FillBox(u.ComboBox2, vp.GetPaperSizeNames());
        u.ComboBox2->setCurrentIndex(vp.GetPaperSizeIndex());
        if (const DevMode mode = vp.GetDevMode(); HasCustomPaper(mode)) {
            u.ComboBox2->addItem(ToQString(CustomPaperCaption(mode.customPaper)));
            u.ComboBox2->setCurrentIndex(u.ComboBox2->count() - 1);
        }
    } catch (const EVpPrinter&) {
        u.ComboBox2->setEnabled(false);
        return;
    }
    try {
        FillBox(u.ComboBox3, vp.GetBinNames());
        u.ComboBox3->setCurrentIndex(vp.GetBinIndex());
    } catch (const EVpPrinter&) {
        u.ComboBox3->setCurrentIndex(-1);
    }
    for (QComboBox* box : {u.ComboBox1, u.ComboBox2, u.ComboBox3}) box->repaint();
}

void TForm_Main::SpeedButton_PrnIdGetClick()
{
    const FeedRegistration r = LoadFeedRegistration(*this, FeedName());
    registeredPrinter_ = Trim(r.prnName);
    feedPaper_ = r.paper;
    SpeedButton_PRNSETClick();
}

void TForm_Main::ComboBox_SELChange()
{
    SpeedButton_PrnIdGetClick();
}

void TForm_Main::BitBtn_PrnSetClick()
{
    auto& u = *ui_;
    // 1: the feed's registration.  An index that is no integer is taken as 0
    // here, so that registering repairs a damaged file.
    const FeedRegistration r = LoadFeedRegistration(*this, FeedName());
    registeredPrinter_ = Trim(r.prnName);
    feedPaper_ = r.paper;
    std::int32_t stored = 0;
    if (!TryStrToInt(Text(u.Label_PrinterIndex), stored)) u.Label_PrinterIndex->setText(QStringLiteral("0"));
    SpeedButton_PRNSETClick();

    // 2: the dialog opens on the registered printer when it is selected.
    TVpPrinter& vp = VpPrinter();
    const int n = IndexOrZero(Text(u.Label_PrinterIndex));
    vp.SetIndex(n == vp.GetIndex() ? n : 0);

    // 3, 4: the chosen printer (the one selected before when cancelled).
    auto* dialog = findChild<TVpPrinterSetupDialog*>(QStringLiteral("VpPrinterSetupDialog1"));
    if (!dialog) {
        dialog = new TVpPrinterSetupDialog(this);
        dialog->setObjectName(QStringLiteral("VpPrinterSetupDialog1"));
    }
    const bool chosen = dialog->Execute();
    // A registered printer that is only missing stays registered when the
    // dialog is cancelled: the printer it opened on was not chosen.
    if (!chosen && RegisteredPrinterMissing()) {
        SpeedButton_PRNSETClick();
        return;
    }
    const int index = vp.GetIndex();
    u.Label_PrinterIndex->setText(ToQString(IntToStr(index)));
    const std::vector<std::string>& names = vp.GetPrinterNames();
    if (index >= 0 && static_cast<std::size_t>(index) < names.size())
        registeredPrinter_ = Trim(names[static_cast<std::size_t>(index)]);

    // The source and paper chosen in the dialog (or in force when it was
    // cancelled) become the feed's own.
    feedPaper_ = CurrentFeedPaper();

    // 5, 6
    const std::string feed = FeedName();
    SpeedButton_PRNSETClick();
    WriteFeedRegistration(WorkingDir(), feed, {PrinterName(), PrinterIndexText(), TopMargin(), LeftMargin(), feedPaper_},
                          true);
}

void TForm_Main::BitBtn_PrnSet2Click()
{
    // The program creates the dialog after this window; a window on its own
    // (tests) makes its own.
    auto* dialog = findChild<TForm_SLIP97YPrn*>(QString(), Qt::FindDirectChildrenOnly);
    if (!dialog) dialog = new TForm_SLIP97YPrn(this, PrinterState());
    dialog->exec();
}

// ------------------------------------------------- what the margin dialog sees

// The section name: the text of the selected paper feed.
std::string TForm_Main::FeedName() const { return FromQString(ui_->ComboBox_SEL->currentText()); }

// The printer box's text without the mark of a missing printer.
std::string TForm_Main::PrinterName() const { return PrinterNameOfBox(FromQString(ui_->ComboBox1->currentText())); }

std::string TForm_Main::PrinterIndexText() const { return Text(ui_->Label_PrinterIndex); }

std::string TForm_Main::TopMargin() const { return Text(ui_->Label_Prn_Top); }

std::string TForm_Main::LeftMargin() const { return Text(ui_->Label_Prn_Left); }

void TForm_Main::SetMargins(const std::string& top, const std::string& left)
{
    ui_->Label_Prn_Top->setText(ToQString(top));
    ui_->Label_Prn_Left->setText(ToQString(left));
}

}  // namespace hoxa
