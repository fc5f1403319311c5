#include "print/SLIP97YPrnUnit.h"

#include "ui_SLIP97YPrnUnit.h"

#include "base/MsgBox.h"
#include "print/PrinterRegistration.h"
#include "widgets/ObNumEdit.h"

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

// How many integer digits the box shows whole after a minus sign, at its widest
// digit (at least one).
int DigitsInSight(const TObNumEdit* box)
{
    char widest = '0';
    for (char c = '1'; c <= '9'; ++c)
        if (box->TextWidth(std::string(1, c)) > box->TextWidth(std::string(1, widest))) widest = c;
    int n = 1;
    while (n < 9 && box->DisplayWidth("-" + std::string(n + 1, widest)) <= box->AvailableWidth()) ++n;
    return n;
}

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
    // Margins are whole printer dots.  A box takes no decimal part and no more
    // digits than it shows whole, so that a value it holds is never clipped on
    // the left, where its minus sign stands (three digits with the window font:
    // far more than any form is ever off).
    for (TObNumEdit* box : {ui_->ObNumEdit_TOP, ui_->ObNumEdit_LEFT}) {
        box->SetErrorBeep(false);
        box->SetDecimalLength(0);
        box->SetIntegerLength(DigitsInSight(box));
    }
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
    // Take off what the window frame adds to the outer size.  The window manager
    // tells the frame only once the dialog has been on the screen; before its
    // first showing the main window's frame stands in for it, and a frame that
    // turns out otherwise is taken into account when the dialog is activated.
    QMargins frame = FrameMargins(this);
    if (frame.isNull() && parentWidget()) frame = FrameMargins(parentWidget()->window());
    FitOuterSize(frame);
    ui_->ObNumEdit_TOP->SetText(host_.TopMargin());
    ui_->ObNumEdit_LEFT->SetText(host_.LeftMargin());
    ui_->ObNumEdit_TOP->setFocus(Qt::OtherFocusReason);
}

QMargins TForm_SLIP97YPrn::FrameMargins(const QWidget* window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

void TForm_SLIP97YPrn::FitOuterSize(const QMargins& frame)
{
    setFixedSize(kOuterSize - QSize(frame.left() + frame.right(), frame.top() + frame.bottom()));
}

bool TForm_SLIP97YPrn::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate) {
        const QMargins frame = FrameMargins(this);
        if (!frame.isNull() && frameGeometry().size() != kOuterSize) FitOuterSize(frame);
    }
    return QDialog::event(e);
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
    host_.PrintTestSheet(rec, this);
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
