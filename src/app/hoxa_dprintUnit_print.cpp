// The print command of the main window, the print preview and the test sheet:
// the waybill record from the controls, and the window's side of the print
// gate (questions as message boxes, the printer looked at again, the job's
// news in the guidance panel).
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "app/CpEdit.h"
#include "app/Settings.h"
#include "base/Codec.h"
#include "base/cp932.h"
#include "journal/JournalEntry.h"
#include "print/CalibrationSheet.h"
#include "print/WaybillPage.h"
#include "print/WaybillPreviewUnit.h"

#include <QDateTime>

namespace hoxa {

namespace {

// The gate's questions as message boxes over a window.
class BoxAsker : public PrintAsker {
public:
    explicit BoxAsker(QWidget* parent) : parent_(parent) {}
    bool Ask(std::string_view question, DefaultAnswer def) override { return AskYesNo(parent_, question, def); }

private:
    QWidget* parent_;
};

}  // namespace

WaybillRecord TForm_Main::CurrentWaybill() const
{
    const auto& u = *ui_;
    WaybillRecord r;
    r.zip = u.Edit_Zip->Text();
    r.add1 = u.Edit_Add1->Text();
    r.add2 = u.Edit_Add2->Text();
    r.custo1 = u.Edit_Custo1->Text();
    r.tel = u.Edit_tel->Text();
    r.myZip = u.Edit_MyZip->Text();
    r.myAdd1 = u.Edit_MyADD1->Text();
    r.myAdd2 = u.Edit_MyADD2->Text();
    r.my = u.Edit_My->Text();
    r.myTel = u.Edit_MyTEL->Text();
    r.printSender = u.CheckBox_My->isChecked();
    r.g1 = u.Edit_G1->Text();
    r.g2 = u.Edit_G2->Text();
    r.g3 = u.Edit_G3->Text();
    const QDate d = u.DateTimePicker_1->date();
    r.dateText = FormatWaybillDate(d.year(), d.month(), d.day());
    r.printDate = u.CheckBox_Date_1->isChecked();
    r.deDate1 = u.Edit_de_date1->Text();
    r.deDate2 = u.Edit_de_date2->Text();
    r.deDate3 = u.Edit_de_date3->Text();
    r.prnTop = FromQString(u.Label_Prn_Top->text());
    r.prnLeft = FromQString(u.Label_Prn_Left->text());
    r.dpix = FromQString(u.Label_dpix->text());
    r.dpiy = FromQString(u.Label_dpiy->text());
    return r;
}

PrintRequest TForm_Main::WaybillRequest(PrintOrigin origin) const
{
    PrintPage page;
    page.record = CurrentWaybill();
    page.marks = checkMarks_;
    page.order = recalled_.order;
    page.reprintOf = recalled_.uid;
    return PrintRequest::For(origin, {page}, registeredPrinter_);
}

bool TForm_Main::PrintThroughGate(PrintOrigin origin, QWidget* dialog)
{
    BoxAsker asker(dialog ? dialog : this);
    const GateResult r = gate_.Run(WaybillRequest(origin), asker);
    // The recalled waybill went out again; printing it once more is a double print like any other.
    if (r.Sent()) recalled_ = {};
    if (r.stop == GateStop::Marks && !dialog) FocusFirstMarkedField();
    else if (!r.Sent() && r.stop != GateStop::Busy && !dialog) ui_->Edit_G1->setFocus(Qt::OtherFocusReason);
    return r.Sent();
}

// F11 / "印刷": the gate's questions, then one page on the current printer.  No
// to the marks question focuses the first marked field, No to any other
// Edit_G1.  Errors reach the error box through the caller's guard.
void TForm_Main::SpeedButton_F11Click() { PrintThroughGate(PrintOrigin::F11, nullptr); }

// F10 / "プレビュー": the page the print would draw now, with the printer it would
// go to and the marks still standing; whatever the printer's state, it opens
// (only what keeps the page from being drawn, no printer at all or a margin
// that is no integer, is an error).  Its 印刷 asks the gate's questions but
// 「印刷しますか?」.  The window's size is kept for next time.
void TForm_Main::SpeedButton_F10Click()
{
    RefreshPrinters();
    const PrinterSituation situation = ReadPrinterSituation(registeredPrinter_);
    const WaybillPage page = PreviewOfPrint(CurrentWaybill());
    const PreviewNotes notes{DescribePrintTarget(situation), MarksLine(checkMarks_)};
    const PreviewSize stored = LoadPreviewSize(WorkingDir());
    TForm_WaybillPreview preview(
        this, page, notes, [this](QWidget* dialog) { return PrintThroughGate(PrintOrigin::Preview, dialog); },
        QSize(stored.width, stored.height));
    preview.exec();
    SavePreviewSize(WorkingDir(), {preview.width(), preview.height()});
}

void TForm_Main::PrintTestSheet(const WaybillRecord& rec, QWidget* dialog)
{
    // On the continuous feed the sheet takes several forms in a row, so that a
    // page that is not exactly one form long shows as creep.
    PrintPage page;
    page.record = rec;
    const std::vector<PrintPage> pages(static_cast<std::size_t>(CalibrationForms(FeedName())), page);
    PrintRequest request = PrintRequest::For(PrintOrigin::TestSheet, pages, registeredPrinter_);
    request.title = kCalibrationJobTitle;
    const std::string when = FromQString(QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm")));
    request.draw = CalibrationSheetDrawer(PrinterName(), FeedName(), when);
    BoxAsker asker(dialog);
    gate_.Run(request, asker);
}

bool TForm_Main::ReprintEntries(QWidget* parent, const std::vector<JournalEntry>& entries)
{
    if (entries.empty()) return false;
    const WaybillRecord now = CurrentWaybill();
    std::vector<PrintPage> pages;
    for (const JournalEntry& e : entries) {
        PrintPage& page = pages.emplace_back();
        page.record = e.waybill;
        // The forms go to the current feed's printer, at its margins.
        page.record.prnTop = now.prnTop;
        page.record.prnLeft = now.prnLeft;
        page.order = e.order;
        page.reprintOf = e.uid;
    }
    PrintRequest request = PrintRequest::For(PrintOrigin::Reprint, std::move(pages), registeredPrinter_);
    if (request.pages.size() > 1)
        request.finalQuestion = IntToStr(static_cast<long long>(request.pages.size())) + " 件の送り状を印刷しますか?";
    BoxAsker asker(parent);
    return gate_.Run(request, asker).Sent();
}

// ------------------------------------------------------ the gate's window side

void TForm_Main::ResolutionUsed(const std::string& dpix, const std::string& dpiy)
{
    ui_->Label_dpix->setText(ToQString(dpix));
    ui_->Label_dpiy->setText(ToQString(dpiy));
}

// "「waybill24」に送りました (ジョブ 12)" until the next entering; what became of
// the job replaces it while it still stands there.  A job that failed is an
// error box.
void TForm_Main::JobNews(const SentJob& job, News news, const std::string& text)
{
    if (news == News::Failed) {
        ShowAppError(this, text);
    } else if (news == News::Sent || (job.id == jobGuidance_.first && Guidance() == jobGuidance_.second)) {
        jobGuidance_ = {job.id, text};
        SetGuidance(text);
    }
    // The batch window covers the panel: its guidance line says that the job went.
    if (batch_ && news == News::Sent) batch_->ShowGuidance(text);
}

}  // namespace hoxa
