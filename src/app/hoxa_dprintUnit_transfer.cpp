// The address text transfer of the main window: the paste area into the five
// destination fields.
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "app/CpEdit.h"
#include "base/Codec.h"
#include "base/MsgBox.h"
#include "transfer/Transfer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTextCursor>

namespace hoxa {

void TForm_Main::BitBtn_1Click()
{
    auto& u = *ui_;
    const Lines pasted = SplitMemoLines(FromQString(u.Memo1->toPlainText()));
    const TransferResult r = TransferText(pasted);
    QString memoText = ToQString(JoinMemoLines(r.memo));
    memoText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    u.Memo1->setPlainText(memoText);
    QTextCursor top = u.Memo1->textCursor();
    top.movePosition(QTextCursor::Start);
    u.Memo1->setTextCursor(top);
    u.Memo1->verticalScrollBar()->setValue(0);
    u.Memo1->horizontalScrollBar()->setValue(0);
    if (r.empty) {
        ShowNotice(this, "転送テキストがありません");
        Edit_Warning();
        return;
    }
    Edit_Cls();
    u.Edit_Zip->SetText(r.zip);
    u.Edit_Add1->SetText(r.add1);
    u.Edit_Add2->SetText(r.add2);
    u.Edit_Custo1->SetText(r.custo1);
    u.Edit_tel->SetText(r.tel);
    SpeedButton_ZIP2Click();
    SpeedButton_TEL2Click();
    u.Edit_Zip->setFocus(Qt::OtherFocusReason);
    Edit_Warning();
    MarkDoubtfulFields(pasted);
}

// Ctrl+Shift+V: the clipboard's text replaces the paste area's, and is
// transferred at once.
void TForm_Main::PasteAndTransfer()
{
    ui_->Memo1->setPlainText(QGuiApplication::clipboard()->text());
    BitBtn_1Click();
}

}  // namespace hoxa
