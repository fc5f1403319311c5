#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "app/ButtonPictures.h"
#include "app/CpEdit.h"
#include "app/SenderSlot.h"
#include "app/Settings.h"
#include "base/Codec.h"
#include "base/MsgBox.h"
#include "transfer/HalfWidth.h"
#include "transfer/Transfer.h"

#include <QCloseEvent>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QUrl>


namespace hoxa {

namespace {

const QColor kGrey(128, 128, 128);
const QColor kSilver(192, 192, 192);
const QColor kNavy(0, 0, 128);

void SetLook(QWidget* w, int px, bool bold = false, const QColor& colour = QColor(),
             const QString& family = QString())
{
    QFont f = w->font();
    if (!family.isEmpty()) f.setFamily(family);
    f.setPixelSize(px);
    f.setBold(bold);
    w->setFont(f);
    if (colour.isValid()) {
        QPalette p = w->palette();
        p.setColor(QPalette::WindowText, colour);
        p.setColor(QPalette::Text, colour);
        p.setColor(QPalette::ButtonText, colour);
        w->setPalette(p);
    }
}

void SetBase(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colour);
    w->setPalette(p);
}

constexpr char kMemoGuidance[] = "テキストを貼り付けることができます　７行以内に収めてください";
constexpr char kLostSuffix[] = "に使えない文字があったため〓に置き換えました";

}  // namespace

QString WebHelpUrl() { return QStringLiteral("https://hoxa.example.jp/"); }

QString SupportMailUrl()
{
    // Subject, then empty copy fields, each key ending in "&"; the subject is
    // percent-encoded UTF-8, as mail links are read here.
    return QStringLiteral("mailto:support@hoxa.example.jp?subject=") +
           QString::fromLatin1(QUrl::toPercentEncoding(QStringLiteral(u"hoxaへの問い合わせ"))) +
           QStringLiteral("&cc=&bcc=&");
}

TForm_Main::TForm_Main(QWidget* parent) : QWidget(parent), ui_(new ::Ui::TForm_Main)
{
    // The window font first, so that the controls are created with it.
    QFont windowFont(ToQString("ＭＳ Ｐゴシック"));
    windowFont.setPixelSize(16);
    setFont(windowFont);
    ui_->setupUi(this);
    setFixedSize(677, 646);
    SetupLook();
    SetupFields();
    SetupKeyMap();
    SetupButtons();
}

TForm_Main::~TForm_Main()
{
    FormDestroy();
    delete ui_;
}

// ---------------------------------------------------------------- the form

void TForm_Main::SetupLook()
{
    auto& u = *ui_;
    SetLook(u.Label_Dest, 16, true);
    for (QLabel* l : {u.Label_D1, u.Label_D2, u.Label_D3, u.Label_D4, u.Label_D5})
        SetLook(l, 16, false, Qt::black);
    SetLook(u.Label_Warning, 13, false, Qt::red);
    for (QLabel* l : {u.Label_BitBtn1, u.Label_MemoCLS, u.Label_CLS, u.Label_BitBtnMy}) SetLook(l, 11);
    SetLook(u.Memo1, 13);
    SetLook(u.Label_MemoUnder, 11, true, kGrey);

    // Sender panel: grey texts.
    SetLook(u.CheckBox_My, 15, false, kGrey);
    SetLook(u.PageControl_My, 12, false, kGrey);
    for (QLabel* l : {u.Label_M1, u.Label_M2, u.Label_M4, u.Label_M5}) SetLook(l, 15, false, kGrey);
    for (TCpEdit* e : {u.Edit_MyZip, u.Edit_MyADD1, u.Edit_MyADD2, u.Edit_My, u.Edit_MyTEL})
        SetLook(e, 15, false, kGrey);

    // Goods and printer region.
    SetLook(u.DateTimePicker_1, 13);
    SetLook(u.Label_DeDate, 13);
    for (TCpEdit* e : {u.Edit_de_date1, u.Edit_de_date2, u.Edit_de_date3}) SetLook(e, 13);
    SetLook(u.Label_Goods, 16, true);
    for (TCpEdit* e : {u.Edit_G1, u.Edit_G2, u.Edit_G3}) SetLook(e, 16, false, Qt::black);
    SetLook(u.GroupBox_Prn, 12);
    for (QComboBox* c : {u.ComboBox1, u.ComboBox2, u.ComboBox3}) {
        SetLook(c, 12);
        SetBase(c, palette().color(QPalette::Button));
        // Display boxes: the printer box's text is stored as the registered
        // printer's name and the printer is found again by it, so it must show
        // the chosen printer, never something typed into it.
        c->lineEdit()->setReadOnly(true);
    }
    SetLook(u.Label_SEL, 15);
    SetLook(u.ComboBox_SEL, 15, false, kNavy);
    SetLook(u.BitBtn_PrnSet, 12, false, kNavy);
    SetLook(u.BitBtn_PrnSet2, 12, false, kNavy);
    SetLook(u.Label_Prn_Top, 11, false, kNavy, QStringLiteral("Verdana"));
    SetLook(u.Label_Prn_Left, 11, false, kNavy, QStringLiteral("Verdana"));

    // Guidance panel in the tooltip fill colour.
    QPalette help = u.Panel_HelpMess->palette();
    help.setColor(QPalette::Window, help.color(QPalette::ToolTipBase));
    help.setColor(QPalette::WindowText, help.color(QPalette::ToolTipText));
    u.Panel_HelpMess->setPalette(help);

    // Function-key bar.
    for (int i = 1; i <= 12; ++i) {
        auto* b = Control<QToolButton>(QStringLiteral("SpeedButton_F%1").arg(i).toLatin1().constData());
        if (i == 2 || i == 11) SetLook(b, 15);
        else if (i == 6) SetLook(b, 12, false, Qt::black);
        else SetLook(b, 13);
    }
    u.StatusBar1->setSizeGripEnabled(false);

    // Sender tabs: only the strip is used.
    u.PageControl_My->setDrawBase(false);
    u.PageControl_My->setExpanding(false);
    u.PageControl_My->setUsesScrollButtons(true);  // ten tabs are wider than the strip
    for (int i = 1; i <= 10; ++i) {
        const int t = u.PageControl_My->addTab(QStringLiteral(u"依頼主%1").arg(i));
        u.PageControl_My->setTabTextColor(t, kGrey);
    }
    u.PageControl_My->setCurrentIndex(0);
    for (QToolButton* arrow : u.PageControl_My->findChildren<QToolButton*>()) arrow->setFocusPolicy(Qt::NoFocus);

    RequestImeMode(u.DateTimePicker_1, ImeMode::Disabled);
    for (QLineEdit* inner : u.DateTimePicker_1->findChildren<QLineEdit*>())
        RequestImeMode(inner, ImeMode::Disabled);
    u.DateTimePicker_1->setDate(QDate::currentDate());

    // Buttons that a click moves the focus to, as the keyboard reaches them too.
    u.BitBtn_My->setFocusPolicy(Qt::StrongFocus);
    u.BitBtn_SendMail->setFocusPolicy(Qt::StrongFocus);
}

void TForm_Main::SetupFields()
{
    auto& u = *ui_;
    struct Def {
        TCpEdit* edit;
        int maxBytes;
        ImeMode mode;
        void (TForm_Main::*enter)();
        const char* what;
    };
    const Def defs[] = {
        {u.Edit_Zip, 16, ImeMode::Disabled, &TForm_Main::Edit_ZipEnter, "お届け先の郵便番号"},
        {u.Edit_Add1, 0, ImeMode::Hiragana, &TForm_Main::Edit_Add1Enter, "お届け先のおところ①"},
        {u.Edit_Add2, 0, ImeMode::Hiragana, &TForm_Main::Edit_Add2Enter, "お届け先のおところ②"},
        {u.Edit_Custo1, 80, ImeMode::Hiragana, &TForm_Main::Edit_Custo1Enter, "お届け先のおなまえ"},
        {u.Edit_tel, 0, ImeMode::Disabled, &TForm_Main::Edit_telEnter, "お届け先のでんわ"},
        {u.Edit_MyZip, 8, ImeMode::Disabled, &TForm_Main::Edit_MyZipEnter, "ご依頼主の郵便番号"},
        {u.Edit_MyADD1, 0, ImeMode::Hiragana, &TForm_Main::Edit_MyADD1Enter, "ご依頼主のおところ①"},
        {u.Edit_MyADD2, 0, ImeMode::Hiragana, &TForm_Main::Edit_MyADD2Enter, "ご依頼主のおところ②"},
        {u.Edit_My, 80, ImeMode::Hiragana, &TForm_Main::Edit_MyEnter, "ご依頼主のおなまえ"},
        {u.Edit_MyTEL, 0, ImeMode::Disabled, &TForm_Main::Edit_MyTELEnter, "ご依頼主のでんわ"},
        {u.Edit_de_date1, 2, ImeMode::Disabled, nullptr, "ご希望お届け日（月）"},
        {u.Edit_de_date2, 2, ImeMode::Disabled, nullptr, "ご希望お届け日（日）"},
        {u.Edit_de_date3, 2, ImeMode::Hiragana, nullptr, "ご希望お届け日"},
        {u.Edit_G1, 30, ImeMode::Open, nullptr, "品名１"},
        {u.Edit_G2, 30, ImeMode::Open, nullptr, "品名２"},
        {u.Edit_G3, 30, ImeMode::Open, nullptr, "品名３"},
    };
    for (const Def& d : defs) {
        d.edit->SetMaxBytes(d.maxBytes);
        d.edit->SetImeMode(d.mode);
        std::function<void()> enter;
        if (d.enter) enter = [this, f = d.enter] { (this->*f)(); };
        fields_.push_back({d.edit, std::move(enter), d.what});
    }
    for (TCpEdit* goods : {u.Edit_G1, u.Edit_G2, u.Edit_G3})
        for (FieldInfo& f : fields_)
            if (f.edit == goods) f.enter = [this, goods] { Edit_G1Enter(goods); };
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        TCpEdit* edit = fields_[i].edit;
        connect(edit, &TCpEdit::entered, this, [this, i](Qt::FocusReason reason) {
            // Activating the window or closing a popup is no entering.
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
            if (fields_[i].enter) Guarded(this, fields_[i].enter);
        });
        connect(edit, &TCpEdit::charsReplaced, this, [this, i] {
            SetGuidance(std::string(fields_[i].what) + kLostSuffix);
        });
    }

    connect(u.Edit_Zip, &QLineEdit::textChanged, this, [this] { Guarded(this, [this] { Edit_ZipChange(); }); });
    connect(u.Edit_tel, &QLineEdit::textChanged, this, [this] { Guarded(this, [this] { Edit_telChange(); }); });
    connect(u.Memo1, &QPlainTextEdit::textChanged, this, [this] { Guarded(this, [this] { Memo1Change(); }); });
    u.Memo1->installEventFilter(this);
    Memo1Change();
}

void TForm_Main::SetupKeyMap()
{
    auto& u = *ui_;
    for (QWidget* w : std::initializer_list<QWidget*>{
             u.Edit_Add1, u.Edit_Add2, u.Edit_Custo1, u.Edit_tel, u.DateTimePicker_1, u.Edit_de_date3,
             u.Edit_G1, u.Edit_G2, u.Edit_MyZip, u.Edit_MyADD1, u.Edit_MyADD2, u.Edit_My, u.Edit_MyTEL})
        keyMaps_.push_back({w, &TForm_Main::FormKeyDown, &TForm_Main::FormKeyPress});
    keyMaps_.push_back({u.Edit_Zip, &TForm_Main::Edit_ZipKeyDown, &TForm_Main::FormKeyPress});
    keyMaps_.push_back({u.Edit_G3, &TForm_Main::Edit_G3KeyDown, &TForm_Main::FormKeyPress});
    keyMaps_.push_back({u.Edit_de_date1, &TForm_Main::FormKeyDown, &TForm_Main::Edit_de_dateKeyPress});
    keyMaps_.push_back({u.Edit_de_date2, &TForm_Main::FormKeyDown, &TForm_Main::Edit_de_dateKeyPress});
    for (const KeyHandlers& k : keyMaps_) k.control->installEventFilter(this);

    tabOrder_ = {u.Edit_Zip,       u.Edit_Add1,     u.Edit_Add2,        u.Edit_Custo1,     u.Edit_tel,
                 u.CheckBox_Date_1, u.DateTimePicker_1, u.Edit_de_date1, u.Edit_de_date2,   u.Edit_de_date3,
                 u.Edit_G1,        u.Edit_G2,       u.Edit_G3,          u.ComboBox_SEL,    u.BitBtn_SendMail,
                 u.PageControl_My, u.CheckBox_My,   u.Edit_MyZip,       u.Edit_MyADD1,     u.Edit_MyADD2,
                 u.Edit_My,        u.Edit_MyTEL,    u.BitBtn_My};
    for (std::size_t i = 0; i + 1 < tabOrder_.size(); ++i) setTabOrder(tabOrder_[i], tabOrder_[i + 1]);
}

void TForm_Main::SetupButtons()
{
    auto& u = *ui_;
    u.BitBtn_1->setIcon(ButtonPicture("go-down", Picture::Transfer));
    u.BitBtn_1->setIconSize(QSize(32, 32));
    u.BitBtn_MemoCLS->setIcon(ButtonPicture("edit-clear", Picture::Clear));
    u.BitBtn_CLS->setIcon(ButtonPicture("edit-clear", Picture::Clear));
    u.BitBtn_CLS->setIconSize(QSize(28, 28));
    u.BitBtn_My->setIcon(ButtonPicture("document-save", Picture::Save));
    u.BitBtn_My->setIconSize(QSize(28, 28));
    u.BitBtn_WebHelp->setIcon(ButtonPicture("help-browser", Picture::Help));
    u.BitBtn_WebHelp->setIconSize(QSize(28, 28));
    u.BitBtn_SendMail->setIcon(ButtonPicture("mail-message-new", Picture::Mail));
    u.BitBtn_SendMail->setIconSize(QSize(14, 14));
    SetLook(u.BitBtn_SendMail, 12);
    u.BitBtn_PrnSet->setIcon(ButtonPicture("printer", Picture::Printer));
    u.BitBtn_PrnSet2->setIcon(ButtonPicture("transform-move", Picture::Margin));

    auto guard = [this](void (TForm_Main::*handler)()) {
        return [this, handler] { Guarded(this, [this, handler] { (this->*handler)(); }); };
    };
    connect(u.SpeedButton_F2, &QToolButton::clicked, this, guard(&TForm_Main::SpeedButton_F2Click));
    connect(u.SpeedButton_F11, &QToolButton::clicked, this, guard(&TForm_Main::SpeedButton_F11Click));
    connect(u.BitBtn_1, &QToolButton::clicked, this, guard(&TForm_Main::BitBtn_1Click));
    connect(u.BitBtn_MemoCLS, &QToolButton::clicked, this, guard(&TForm_Main::BitBtn_MemoCLSClick));
    connect(u.BitBtn_CLS, &QToolButton::clicked, this, guard(&TForm_Main::BitBtn_CLSClick));
    connect(u.BitBtn_WebHelp, &QToolButton::clicked, this, guard(&TForm_Main::BitBtn_WebHelpClick));
    connect(u.BitBtn_SendMail, &QToolButton::clicked, this, guard(&TForm_Main::BitBtn_SendMailClick));
    connect(u.BitBtn_My, &QToolButton::clicked, this, guard(&TForm_Main::BitBtn_MyClick));
    connect(u.SpeedButton_readMy, &QToolButton::clicked, this, guard(&TForm_Main::SpeedButton_readMyClick));
    connect(u.SpeedButton_ZIP2, &QToolButton::clicked, this, guard(&TForm_Main::SpeedButton_ZIP2Click));
    connect(u.SpeedButton_TEL2, &QToolButton::clicked, this, guard(&TForm_Main::SpeedButton_TEL2Click));
    connect(u.PageControl_My, &QTabBar::currentChanged, this, guard(&TForm_Main::PageControl_MyChange));
    connect(u.CheckBox_My, &QCheckBox::toggled, this, guard(&TForm_Main::CheckBox_MyClick));
    connect(u.ComboBox_SEL, &QComboBox::activated, this, guard(&TForm_Main::ComboBox_SELChange));
    connect(u.BitBtn_PrnSet, &QToolButton::clicked, this, guard(&TForm_Main::BitBtn_PrnSetClick));
    connect(u.BitBtn_PrnSet2, &QToolButton::clicked, this, guard(&TForm_Main::BitBtn_PrnSet2Click));
}

std::string TForm_Main::WorkingDir() const
{
    QString dir = ui_->Label_CurrentDir->text();
    if (dir.isEmpty()) dir = QDir::currentPath();
    return QFile::encodeName(dir).toStdString();
}

void TForm_Main::SetGuidance(std::string_view text) { ui_->Panel_HelpMess->setText(ToQString(text)); }

std::string TForm_Main::Guidance() const { return FromQString(ui_->Panel_HelpMess->text()); }

void TForm_Main::BringToFront()
{
    if (isMinimized()) showNormal();
    else show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void TForm_Main::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (shown_) return;
    shown_ = true;
    if (const QScreen* s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
    Guarded(this, [this] { FormShow(); });
    // Entering the first field has just replaced the guidance: a missing
    // registered printer is worth more than that field's hint.
    if (!printerGuidance_.empty()) SetGuidance(printerGuidance_);
}

void TForm_Main::closeEvent(QCloseEvent* e)
{
    FormDestroy();
    e->accept();
}

// ------------------------------------------------------ start and save sequences

void TForm_Main::FormShow()
{
    auto& u = *ui_;
    shown_ = true;
    // 1-4
    setWindowTitle(ToQString("hoxa　送り状印刷　< ニボラ　> ver1.10"));
    u.DateTimePicker_1->setDate(QDate::currentDate());
    u.Label_CurrentDir->setText(QDir::currentPath());
    u.Label_Prn_Top->clear();
    u.Label_Prn_Left->clear();
    // 5-7
    Edit_Cls();
    Edit_Cls_My();
    u.Memo1->clear();
    u.Memo2->clear();
    Memo1Change();
    // 8: the last entries
    const MainSettings s = LoadSettings(WorkingDir());
    u.Label_PrinterIndex->setText(ToQString(s.PrinterIndex));
    u.Label_Prn_Top->setText(ToQString(s.PrnTop));
    u.Label_Prn_Left->setText(ToQString(s.PrnLeft));
    const auto selectIndex = [](QComboBox* box, int index) {
        box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
    };
    selectIndex(u.ComboBox_FontSize, s.AddrFont);
    u.Edit_My->SetText(s.My);
    u.Edit_MyZip->SetText(s.MyZip);
    u.Edit_MyADD1->SetText(s.MyADD1);
    u.Edit_MyADD2->SetText(s.MyADD2);
    u.Edit_MyTEL->SetText(s.MyTEL);
    u.Edit_Zip->SetText(s.Zip);
    u.Edit_Add1->SetText(s.Add1);
    u.Edit_Add2->SetText(s.Add2);
    u.Edit_Custo1->SetText(s.Custo1);
    u.Edit_tel->SetText(s.Tel);
    u.Edit_G1->SetText(s.G1);
    u.Edit_G2->SetText(s.G2);
    u.Edit_G3->SetText(s.G3);
    selectIndex(u.ComboBox_SEL, s.PaperFeed);
    // 9
    u.Edit_de_date1->clear();
    u.Edit_de_date2->clear();
    u.Edit_de_date3->clear();
    // 10: the printer of the stored index is not applied here: step 13 loads
    // the feed's own printer into the same boxes before anything is shown,
    // and reading a second printer's capabilities from the print server
    // would only slow the start.
    // 11, 12
    u.StatusBar1->showMessage(QStringLiteral("  "));
    for (int i = 1; i <= 12; ++i) {
        auto* b = Control<QToolButton>(QStringLiteral("SpeedButton_F%1").arg(i).toLatin1().constData());
        b->setEnabled(false);
        b->setText(QStringLiteral("F%1").arg(i));
    }
    u.SpeedButton_F2->setText(ToQString("中止"));
    u.SpeedButton_F2->setEnabled(true);
    u.SpeedButton_F11->setText(ToQString("印刷"));
    u.SpeedButton_F11->setEnabled(true);
    // 13, 14: a printer failure (no printer at all, a broken index) is
    // reported, and the window is still made ready for work.
    try {
        ComboBox_SELChange();
    } catch (const std::exception& e) {
        ShowAppError(this, e.what());
    }
    if (u.ComboBox_SEL->currentIndex() < 0) u.ComboBox_SEL->setCurrentIndex(0);
    // 15: the first sender slot; its failure is shown and leaves the focus alone.
    u.PageControl_My->setCurrentIndex(0);
    try {
        SpeedButton_readMyClick();
    } catch (const std::exception& e) {
        ShowAppError(this, e.what());
        return;
    }
    // 16
    u.Edit_Zip->setFocus(Qt::OtherFocusReason);
    Edit_ZipEnter();
}

void TForm_Main::FormDestroy()
{
    if (!shown_ || saved_) return;
    saved_ = true;
    Guarded(this, [this] {
        auto& u = *ui_;
        MainSettings s;
        s.AddrFont = u.ComboBox_FontSize->currentIndex();
        s.Zip = u.Edit_Zip->Text();
        s.Add1 = u.Edit_Add1->Text();
        s.Add2 = u.Edit_Add2->Text();
        s.Custo1 = u.Edit_Custo1->Text();
        s.Tel = u.Edit_tel->Text();
        s.G1 = u.Edit_G1->Text();
        s.G2 = u.Edit_G2->Text();
        s.G3 = u.Edit_G3->Text();
        s.My = u.Edit_My->Text();
        s.MyZip = u.Edit_MyZip->Text();
        s.MyADD1 = u.Edit_MyADD1->Text();
        s.MyADD2 = u.Edit_MyADD2->Text();
        s.MyTEL = u.Edit_MyTEL->Text();
        s.PaperFeed = u.ComboBox_SEL->currentIndex();
        SaveSettings(WorkingDir(), s);
    });
}

// ------------------------------------------------------------- keys and focus

void TForm_Main::SpeedButton_F2Click()
{
    if (AskYesNo(this, "終了しますか?")) {
        close();
        return;
    }
    ui_->Edit_Zip->setFocus(Qt::OtherFocusReason);
}

void TForm_Main::FocusNextControl(QWidget* from) { MoveFocus(from, +1); }

void TForm_Main::FocusPreviousControl(QWidget* from) { MoveFocus(from, -1); }

void TForm_Main::MoveFocus(QWidget* from, int step)
{
    const int n = static_cast<int>(tabOrder_.size());
    int i = -1;
    for (int k = 0; k < n; ++k)
        if (tabOrder_[k] == from || tabOrder_[k]->isAncestorOf(from)) i = k;
    if (i < 0) i = step > 0 ? n - 1 : 0;
    for (int tries = 0; tries < n; ++tries) {
        i = (i + step + n) % n;
        QWidget* w = tabOrder_[i];
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

bool TForm_Main::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == ui_->Memo1) {
        if (e->type() == QEvent::FocusIn) {
            const auto reason = static_cast<QFocusEvent*>(e)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) Memo1Enter();
        }
        return QWidget::eventFilter(watched, e);
    }
    if (e->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, e);
    const auto* key = static_cast<QKeyEvent*>(e);
    for (const KeyHandlers& k : keyMaps_) {
        if (k.control != watched) continue;
        auto* control = static_cast<QWidget*>(watched);
        // Tab leaves the date picker (Qt's date edit would step through its sections).
        if (control == ui_->DateTimePicker_1 && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            MoveFocus(control, key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier) ? +1 : -1);
            return true;
        }
        // One Qt key event is both the key going down and the character it types.
        return (this->*k.keyDown)(control, key->key()) || (this->*k.keyPress)(*key);
    }
    return QWidget::eventFilter(watched, e);
}

bool TForm_Main::FormKeyDown(QWidget* control, int key)
{
    switch (key) {
    case Qt::Key_F2:
        Guarded(this, [this] { SpeedButton_F2Click(); });
        return true;
    case Qt::Key_Up:
        MoveFocus(control, -1);
        return true;
    case Qt::Key_F11:
        Guarded(this, [this] { SpeedButton_F11Click(); });
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        MoveFocus(control, +1);
        return true;
    default:
        return false;
    }
}

bool TForm_Main::Edit_ZipKeyDown(QWidget* control, int key)
{
    if (key == Qt::Key_Up) return true;  // no way back from the first field
    return FormKeyDown(control, key);
}

bool TForm_Main::Edit_G3KeyDown(QWidget* control, int key)
{
    // The Enter chain of the goods lines ends here.
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    return FormKeyDown(control, key);
}

bool TForm_Main::FormKeyPress(const QKeyEvent& e)
{
    // A typed Enter (Ctrl+M types one too) inserts nothing.
    return e.text() == QStringLiteral("\r");
}

bool TForm_Main::Edit_de_dateKeyPress(const QKeyEvent& e)
{
    const int key = e.key();
    if (key == Qt::Key_Backspace || key == Qt::Key_Tab || key == Qt::Key_Backtab) return false;
    // Control characters of the editing shortcuts (Ctrl+V, Ctrl+X, ...).
    if ((e.modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) return true;
    const QString text = e.text();
    if (text.isEmpty()) return false;  // caret movement and the like
    return !(text.size() == 1 && text[0] >= u'0' && text[0] <= u'9');
}

void TForm_Main::EnterField(TCpEdit* edit, std::string_view guidance)
{
    SetGuidance(guidance);
    edit->deselect();
    edit->end(false);
}

void TForm_Main::Edit_ZipEnter() { EnterField(ui_->Edit_Zip, "お届け先の郵便番号を入力して下さい"); }

void TForm_Main::Edit_Add1Enter()
{
    Edit_Warning();
    EnterField(ui_->Edit_Add1, "お届け先のおところ①を入力して下さい");
}

void TForm_Main::Edit_Add2Enter()
{
    Edit_Warning();
    EnterField(ui_->Edit_Add2, "お届け先のおところ②を入力して下さい");
}

void TForm_Main::Edit_Custo1Enter() { EnterField(ui_->Edit_Custo1, "お届け先のおなまえを入力して下さい"); }

void TForm_Main::Edit_telEnter() { EnterField(ui_->Edit_tel, "お届け先のでんわを入力して下さい"); }

void TForm_Main::Edit_MyZipEnter() { EnterField(ui_->Edit_MyZip, "ご依頼主の郵便番号を入力して下さい"); }

void TForm_Main::Edit_MyADD1Enter() { EnterField(ui_->Edit_MyADD1, "ご依頼主のおところ①を入力して下さい"); }

void TForm_Main::Edit_MyADD2Enter() { EnterField(ui_->Edit_MyADD2, "ご依頼主のおところ②を入力して下さい"); }

void TForm_Main::Edit_MyEnter() { EnterField(ui_->Edit_My, "ご依頼主のおなまえを入力して下さい"); }

void TForm_Main::Edit_MyTELEnter() { EnterField(ui_->Edit_MyTEL, "ご依頼主のでんわを入力して下さい"); }

void TForm_Main::Edit_G1Enter(TCpEdit* sender) { EnterField(sender, "品名を入力して下さい"); }

void TForm_Main::Memo1Enter() { SetGuidance(kMemoGuidance); }

// ---------------------------------------------------------------- entry fields

void TForm_Main::Edit_Warning()
{
    if (ui_->Edit_Add1->Text().size() > 40)
        ui_->Label_Warning->setText(ToQString("警告:おところ①の文字数が多すぎます。　おところ②へ分割してください"));
    else
        ui_->Label_Warning->clear();
}

void TForm_Main::Edit_Cls()
{
    auto& u = *ui_;
    u.Label_Warning->clear();
    for (TCpEdit* e : {u.Edit_Zip, u.Edit_Add1, u.Edit_Add2, u.Edit_Custo1, u.Edit_tel}) e->clear();
}

void TForm_Main::Edit_Cls_My()
{
    auto& u = *ui_;
    for (TCpEdit* e : {u.Edit_MyZip, u.Edit_MyADD1, u.Edit_MyADD2, u.Edit_My, u.Edit_MyTEL}) e->clear();
}

void TForm_Main::ConvertHalfWidth(TCpEdit* edit)
{
    const std::string now = edit->Text();
    const std::string half = ToHalfWidth(now);
    if (half == now) return;  // nothing to write back: the chain ends here
    const QString before = edit->text().left(edit->cursorPosition());
    const int caret = ToQString(ToHalfWidth(FromQString(before))).size();
    edit->SetText(half);
    edit->setCursorPosition(caret);
}

void TForm_Main::SpeedButton_ZIP2Click() { ConvertHalfWidth(ui_->Edit_Zip); }

void TForm_Main::SpeedButton_TEL2Click() { ConvertHalfWidth(ui_->Edit_tel); }

void TForm_Main::Edit_ZipChange() { SpeedButton_ZIP2Click(); }

void TForm_Main::Edit_telChange() { SpeedButton_TEL2Click(); }

void TForm_Main::Memo1Change()
{
    QPlainTextEdit* memo = ui_->Memo1;
    if (!memoFixing_) {
        bool lost = false;
        const QString now = memo->toPlainText();
        const std::string bytes = FromQString(now, &lost);
        if (lost) {
            const int caret = ToQString(FromQString(now.left(memo->textCursor().position()))).size();
            memoFixing_ = true;
            memo->setPlainText(ToQString(bytes));
            QTextCursor c = memo->textCursor();
            c.setPosition(std::min(caret, static_cast<int>(memo->document()->characterCount() - 1)));
            memo->setTextCursor(c);
            memoFixing_ = false;
            SetGuidance(std::string("貼り付けテキスト") + kLostSuffix);
        }
    }
    SetBase(memo->viewport(), memo->document()->isEmpty() ? kSilver : palette().color(QPalette::Base));
    SetBase(memo, memo->document()->isEmpty() ? kSilver : palette().color(QPalette::Base));
}

void TForm_Main::BitBtn_CLSClick()
{
    if (AskYesNo(this, "お届け先をクリアますか?")) Edit_Cls();
}

void TForm_Main::BitBtn_MemoCLSClick()
{
    ui_->Memo1->clear();
    ui_->Memo2->clear();
    Memo1Change();
}

void TForm_Main::BitBtn_WebHelpClick() { QDesktopServices::openUrl(QUrl(WebHelpUrl())); }

void TForm_Main::BitBtn_SendMailClick() { QDesktopServices::openUrl(QUrl(SupportMailUrl(), QUrl::StrictMode)); }

// ---------------------------------------------------------------- sender slots

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
    for (TCpEdit* e : {u.Edit_MyZip, u.Edit_MyADD1, u.Edit_MyADD2, u.Edit_My, u.Edit_MyTEL}) SetBase(e, fill);
}

// ------------------------------------------------------- address text transfer

void TForm_Main::BitBtn_1Click()
{
    auto& u = *ui_;
    const TransferResult r = TransferText(SplitMemoLines(FromQString(u.Memo1->toPlainText())));
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
}

}  // namespace hoxa
