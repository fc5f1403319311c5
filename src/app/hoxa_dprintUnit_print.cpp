// The print command of the main window: the waybill record from the controls,
// the question, the job; and the print preview.
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "app/CpEdit.h"
#include "app/Settings.h"
#include "base/Codec.h"
#include "print/WaybillPage.h"
#include "print/WaybillPreviewUnit.h"
#include "print/WaybillPrintCommand.h"

namespace hoxa {

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

// F11 / "印刷": while fields marked by the check after a transfer remain, asks
// first whether to print anyway (No focuses the first of them); a missing
// registered printer or a stopped one is asked about next.  Then asks
// "印刷しますか?"; No puts the focus into Edit_G1, Yes prints.  Errors reach the
// error box through the caller's guard.
void TForm_Main::SpeedButton_F11Click()
{
    if (!ConfirmMarkedFields()) return;
    if (!ConfirmPrintTarget()) return;
    if (!RunPrintCommand(this, [this] { PrintWaybillNow(); })) ui_->Edit_G1->setFocus(Qt::OtherFocusReason);
}

// The waybill as one page on the current printer; the effective resolution goes
// into Label_dpix / Label_dpiy.
void TForm_Main::PrintWaybillNow()
{
    WaybillRecord rec = CurrentWaybill();
    PrintWaybillJob(rec, [this](const std::string& x, const std::string& y) {
        ui_->Label_dpix->setText(ToQString(x));
        ui_->Label_dpiy->setText(ToQString(y));
    });
}

// F10 / "プレビュー": the page the print would draw now.  What would stop the print
// before it draws (no printer, a printer gone, a margin that is no integer) is
// raised here, and a missing registered printer or a stopped one asked about,
// before the window opens, so that its 印刷 prints without asking again.  The
// window's size is kept for next time.
void TForm_Main::SpeedButton_F10Click()
{
    if (!ConfirmPrintTarget()) return;
    const WaybillPage page = PreviewOfPrint(CurrentWaybill());
    const PreviewSize stored = LoadPreviewSize(WorkingDir());
    TForm_WaybillPreview preview(this, page, [this] { PrintWaybillNow(); }, QSize(stored.width, stored.height));
    preview.exec();
    SavePreviewSize(WorkingDir(), {preview.width(), preview.height()});
}

}  // namespace hoxa
