#include "print/SLIP97YPrnUnit.h"

#include "ui_SLIP97YPrnUnit.h"

#include "base/Codec.h"
#include "base/MsgBox.h"
#include "print/CalibrationSheet.h"
#include "print/PrinterRegistration.h"
#include "widgets/ObNumEdit.h"

#include <QDateTime>
#include <QIcon>

namespace hoxa {

namespace {

// Outer size of the dialog, frame included (tall enough for the test sheet button).
constexpr QSize kOuterSize(190, 192);

void SetPixelFont(QWidget* w, int px)
{
    QFont f = w->font();
    f.setPixelSize(px);
    w->setFont(f);
}

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

}  // namespace

TForm_SLIP97YPrn::TForm_SLIP97YPrn(QWidget* parent, MarginDialogHost& host)
    : QDialog(parent), ui_(new ::Ui::TForm_SLIP97YPrn), host_(host)
{
    ui_->setupUi(this);
    setObjectName(QStringLiteral("Form_SLIP97YPrn"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setModal(true);
    setFixedSize(kOuterSize);

    SetPixelFont(ui_->GroupBox1, 12);
    SetPixelFont(ui_->Label_TOP, 13);
    SetPixelFont(ui_->Label_LEFT, 13);
    SetPixelFont(ui_->BitBtn_MRGN, 12);
    SetPixelFont(ui_->BitBtn_TestPrint, 12);
    ui_->ObNumEdit_TOP->SetErrorBeep(false);
    ui_->ObNumEdit_LEFT->SetErrorBeep(false);
    // Our own picture: reading the desktop's icon theme would slow the start.
    ui_->BitBtn_MRGN->setIcon(QIcon(QStringLiteral(":/print/margin-register.png")));

    connect(ui_->ObNumEdit_TOP, &TObNumEdit::keyDown, this, &TForm_SLIP97YPrn::ObNumEdit_TOPKeyDown);
    connect(ui_->ObNumEdit_LEFT, &TObNumEdit::keyDown, this, &TForm_SLIP97YPrn::ObNumEdit_LEFTKeyDown);
    connect(ui_->BitBtn_MRGN, &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { BitBtn_MRGNClick(); }); });
    connect(ui_->BitBtn_TestPrint, &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { BitBtn_TestPrintClick(); }); });
}

TForm_SLIP97YPrn::~TForm_SLIP97YPrn()
{
    delete ui_;
}

void TForm_SLIP97YPrn::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    Guarded(this, [this] { FormShow(); });
}

void TForm_SLIP97YPrn::FormShow()
{
    // Take off what the window frame adds to the outer size.
    const QSize frame = frameGeometry().size() - geometry().size();
    setFixedSize(kOuterSize - frame);
    ui_->ObNumEdit_TOP->SetText(host_.TopMargin());
    ui_->ObNumEdit_LEFT->SetText(host_.LeftMargin());
    ui_->ObNumEdit_TOP->setFocus(Qt::OtherFocusReason);
}

void TForm_SLIP97YPrn::BitBtn_MRGNClick()
{
    const std::string feed = host_.FeedName();
    if (RefusedMargin()) return;
    if (!AskYesNo(this, "印字位置調整の余白を登録しますか?")) return;

    const std::string top = ui_->ObNumEdit_TOP->Text();
    const std::string left = ui_->ObNumEdit_LEFT->Text();
    WriteFeedRegistration(host_.WorkingDir(), feed, {host_.PrinterName(), host_.PrinterIndexText(), top, left});
    host_.SetMargins(top, left);
    accept();
}

QWidget* TForm_SLIP97YPrn::RefusedMargin()
{
    TObNumEdit* boxes[] = {ui_->ObNumEdit_TOP, ui_->ObNumEdit_LEFT};
    for (TObNumEdit* box : boxes) {
        if (!IsRegistrableMargin(box->Text())) {
            ShowNotice(this, kMarginNotInteger);
            box->setFocus(Qt::OtherFocusReason);
            return box;
        }
    }
    return nullptr;
}

void TForm_SLIP97YPrn::BitBtn_TestPrintClick()
{
    if (RefusedMargin()) return;
    WaybillRecord rec = host_.CurrentWaybill();
    rec.prnTop = ui_->ObNumEdit_TOP->Text();
    rec.prnLeft = ui_->ObNumEdit_LEFT->Text();
    const std::string when = FromQString(QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm")));
    PrintCalibrationSheet(rec, host_.PrinterName(), host_.FeedName(), when);
}

void TForm_SLIP97YPrn::ObNumEdit_TOPKeyDown(int* key, Qt::KeyboardModifiers)
{
    if (IsEnter(*key)) {
        ui_->ObNumEdit_LEFT->setFocus(Qt::TabFocusReason);
        *key = 0;
    }
}

void TForm_SLIP97YPrn::ObNumEdit_LEFTKeyDown(int* key, Qt::KeyboardModifiers)
{
    if (IsEnter(*key)) {
        ui_->BitBtn_MRGN->setFocus(Qt::TabFocusReason);
        *key = 0;
    } else if (*key == Qt::Key_Up) {
        ui_->ObNumEdit_TOP->setFocus(Qt::BacktabFocusReason);
        *key = 0;
    }
}

}  // namespace hoxa
