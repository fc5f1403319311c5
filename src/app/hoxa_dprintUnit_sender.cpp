// The ten sender slots of the main window: my0.txt ... my9.txt behind the tabs.
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "app/CpEdit.h"
#include "app/SenderSlot.h"
#include "base/MsgBox.h"

namespace hoxa {

namespace {

const QColor kGrey(128, 128, 128);

}  // namespace

void TForm_Main::BitBtn_MyClick()
{
    auto& u = *ui_;
    if (!AskYesNo(this, "ご依頼主を登録しますか?")) {
        u.Edit_MyZip->setFocus(Qt::OtherFocusReason);
        return;
    }
    const SenderLines lines{u.Edit_MyZip->Text(), u.Edit_MyADD1->Text(), u.Edit_MyADD2->Text(), u.Edit_My->Text(),
                            u.Edit_MyTEL->Text()};
    WriteSlot(SlotPath(WorkingDir(), u.PageControl_My->currentIndex()), lines);
    ShowNotice(this, "ご依頼主を登録しました");
    SetGuidance("    ");
    u.Edit_MyZip->setFocus(Qt::OtherFocusReason);
}

void TForm_Main::SpeedButton_readMyClick()
{
    auto& u = *ui_;
    const SenderLines lines = ReadSlot(SlotPath(WorkingDir(), u.PageControl_My->currentIndex()));
    u.Edit_MyZip->SetText(lines[0]);
    u.Edit_MyADD1->SetText(lines[1]);
    u.Edit_MyADD2->SetText(lines[2]);
    u.Edit_My->SetText(lines[3]);
    u.Edit_MyTEL->SetText(lines[4]);
}

void TForm_Main::PageControl_MyChange() { SpeedButton_readMyClick(); }

void TForm_Main::CheckBox_MyClick()
{
    auto& u = *ui_;
    const QColor fill = u.CheckBox_My->isChecked() ? palette().color(QPalette::Base) : kGrey;
    for (TCpEdit* e : {u.Edit_MyZip, u.Edit_MyADD1, u.Edit_MyADD2, u.Edit_My, u.Edit_MyTEL}) SetFill(e, fill);
}

}  // namespace hoxa
