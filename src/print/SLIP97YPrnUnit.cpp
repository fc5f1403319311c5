#include "print/SLIP97YPrnUnit.h"

#include "ui_SLIP97YPrnUnit.h"

#include "base/Codec.h"
#include "base/MsgBox.h"
#include "base/errors.h"
#include "print/PrinterMessages.h"
#include "print/PrinterRegistration.h"
#include "widgets/ObNumEdit.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace hoxa {

TForm_SLIP97YPrn* Form_SLIP97YPrn = nullptr;

namespace {

void SetPixelFont(QWidget* w, int px)
{
    QFont f = w->font();
    f.setPixelSize(px);
    w->setFont(f);
}

// A sheet with a cross-hair: the picture of the register button.
QIcon DrawnMarginIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(0, 0, 128));
    p.setBrush(Qt::white);
    p.drawRect(2, 1, 11, 13);
    p.setPen(QColor(192, 0, 0));
    p.drawLine(5, 5, 13, 5);
    p.drawLine(5, 5, 5, 14);
    p.drawLine(8, 8, 11, 11);
    p.end();
    return QIcon(pm);
}

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

}  // namespace

TForm_SLIP97YPrn::TForm_SLIP97YPrn(QWidget* mainWindow)
    : QDialog(mainWindow), ui_(new ::Ui::TForm_SLIP97YPrn), main_(mainWindow)
{
    ui_->setupUi(this);
    setObjectName(QStringLiteral("Form_SLIP97YPrn"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setModal(true);
    setFixedSize(190, 160);

    SetPixelFont(ui_->GroupBox1, 12);
    SetPixelFont(ui_->Label_TOP, 13);
    SetPixelFont(ui_->Label_LEFT, 13);
    SetPixelFont(ui_->BitBtn_MRGN, 12);
    ui_->ObNumEdit_TOP->SetErrorBeep(false);
    ui_->ObNumEdit_LEFT->SetErrorBeep(false);
    ui_->BitBtn_MRGN->setIcon(DrawnMarginIcon());  // no icon theme read at start

    connect(ui_->ObNumEdit_TOP, &TObNumEdit::keyDown, this, &TForm_SLIP97YPrn::ObNumEdit_TOPKeyDown);
    connect(ui_->ObNumEdit_LEFT, &TObNumEdit::keyDown, this, &TForm_SLIP97YPrn::ObNumEdit_LEFTKeyDown);
    connect(ui_->BitBtn_MRGN, &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { BitBtn_MRGNClick(); }); });

    if (!Form_SLIP97YPrn) Form_SLIP97YPrn = this;
}

TForm_SLIP97YPrn::~TForm_SLIP97YPrn()
{
    if (Form_SLIP97YPrn == this) Form_SLIP97YPrn = nullptr;
    delete ui_;
}

void TForm_SLIP97YPrn::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    Guarded(this, [this] { FormShow(); });
}

void TForm_SLIP97YPrn::FormShow()
{
    // The outer size is 190 x 160: take off what the window frame adds.
    const QSize frame = frameGeometry().size() - geometry().size();
    setFixedSize(QSize(190, 160) - frame);
    ui_->ObNumEdit_TOP->SetText(MainText("Label_Prn_Top"));
    ui_->ObNumEdit_LEFT->SetText(MainText("Label_Prn_Left"));
    ui_->ObNumEdit_TOP->setFocus(Qt::OtherFocusReason);
}

void TForm_SLIP97YPrn::BitBtn_MRGNClick()
{
    const std::string feed = MainText("ComboBox_SEL");
    TObNumEdit* boxes[] = {ui_->ObNumEdit_TOP, ui_->ObNumEdit_LEFT};
    for (TObNumEdit* box : boxes) {
        if (!IsRegistrableMargin(box->Text())) {
            ShowNotice(this, kMarginNotInteger);
            box->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    if (!AskYesNo(this, "印字位置調整の余白を登録しますか?")) return;

    const std::string top = ui_->ObNumEdit_TOP->Text();
    const std::string left = ui_->ObNumEdit_LEFT->Text();
    WriteFeedRegistration(WorkingDir(), feed,
                          {PrinterNameOfBox(MainText("ComboBox1")), MainText("Label_PrinterIndex"), top, left});
    SetMainText("Label_Prn_Top", top);
    SetMainText("Label_Prn_Left", left);
    accept();
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

std::string TForm_SLIP97YPrn::MainText(const char* objectName) const
{
    const QString name = QString::fromLatin1(objectName);
    if (const auto* label = main_ ? main_->findChild<QLabel*>(name) : nullptr)
        return FromQString(label->text());
    if (const auto* box = main_ ? main_->findChild<QComboBox*>(name) : nullptr)
        return FromQString(box->currentText());
    throw EAssertionFailed(std::string("TForm_SLIP97YPrn: the main window has no ") + objectName);
}

void TForm_SLIP97YPrn::SetMainText(const char* objectName, const std::string& text)
{
    auto* label = main_ ? main_->findChild<QLabel*>(QString::fromLatin1(objectName)) : nullptr;
    if (!label) throw EAssertionFailed(std::string("TForm_SLIP97YPrn: the main window has no ") + objectName);
    label->setText(ToQString(text));
}

std::string TForm_SLIP97YPrn::WorkingDir() const
{
    const auto* label = main_ ? main_->findChild<QLabel*>(QStringLiteral("Label_CurrentDir")) : nullptr;
    QString dir = label ? label->text() : QString();
    if (dir.isEmpty()) dir = QDir::currentPath();
    return QFile::encodeName(dir).toStdString();
}

}  // namespace hoxa
