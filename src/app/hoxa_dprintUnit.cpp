// The main window: construction, the start and save sequences, exit.
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "app/CpEdit.h"
#include "app/Settings.h"
#include "base/AtomicFile.h"
#include "base/Codec.h"
#include "base/MsgBox.h"
#include "base/SaveLock.h"
#include "base/cp932.h"
#include "base/errors.h"
#include "journal/JournalRecorder.h"

#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QScreen>

namespace hoxa {

namespace {

// Client area of the main window.
constexpr QSize kClientSize(677, 646);

// A settings value into its control: a field's text, a label's text, or a list's
// selected index (a value outside the list selects nothing).
void ShowSetting(QWidget* control, const std::string& value)
{
    if (auto* edit = qobject_cast<TCpEdit*>(control)) {
        edit->SetText(value);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(ToQString(value));
    } else if (auto* box = qobject_cast<QComboBox*>(control)) {
        std::int32_t index = -1;
        if (!TryStrToInt(value, index) || index >= box->count()) index = -1;
        box->setCurrentIndex(index < 0 ? -1 : index);
    }
}

std::string ReadSetting(const QWidget* control)
{
    if (const auto* edit = qobject_cast<const TCpEdit*>(control)) return edit->Text();
    if (const auto* label = qobject_cast<const QLabel*>(control)) return FromQString(label->text());
    if (const auto* box = qobject_cast<const QComboBox*>(control)) return IntToStr(box->currentIndex());
    throw EAssertionFailed("TForm_Main: a settings control of an unknown kind");
}

}  // namespace

TForm_Main::TForm_Main(QWidget* parent) : QWidget(parent), ui_(new ::Ui::TForm_Main)
{
    // The window font first, so that the controls are created with it.
    QFont windowFont(ToQString("ＭＳ Ｐゴシック"));
    windowFont.setPixelSize(16);
    setFont(windowFont);
    ui_->setupUi(this);
    setFixedSize(kClientSize);
    SetupLook();
    SetupPictures();
    SetupFields();
    SetupKeyMap();
    ConnectHandlers();
    SetupPostalLookUp();
    SetupCheckMarks();
    SetupBatch();
    SetupJournal();
}

TForm_Main::~TForm_Main()
{
    FormDestroy();
    delete ui_;
}

void TForm_Main::ConnectHandlers()
{
    auto& u = *ui_;
    auto guard = [this](void (TForm_Main::*handler)()) {
        return [this, handler] { Guarded(this, [this, handler] { (this->*handler)(); }); };
    };
    connect(u.SpeedButton_F2, &QToolButton::clicked, this, guard(&TForm_Main::SpeedButton_F2Click));
    connect(u.SpeedButton_F10, &QToolButton::clicked, this, guard(&TForm_Main::SpeedButton_F10Click));
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

std::array<QWidget*, 12> TForm_Main::FunctionKeys() const
{
    auto& u = *ui_;
    return {u.SpeedButton_F1, u.SpeedButton_F2, u.SpeedButton_F3,  u.SpeedButton_F4,
            u.SpeedButton_F5, u.SpeedButton_F6, u.SpeedButton_F7,  u.SpeedButton_F8,
            u.SpeedButton_F9, u.SpeedButton_F10, u.SpeedButton_F11, u.SpeedButton_F12};
}

// The control that shows each settings entry, in the order of Setting.
std::vector<QWidget*> TForm_Main::SettingControls() const
{
    auto& u = *ui_;
    using S = Setting;
    const std::pair<Setting, QWidget*> pairs[] = {
        {S::PrinterIndex, u.Label_PrinterIndex}, {S::PrnTop, u.Label_Prn_Top},
        {S::PrnLeft, u.Label_Prn_Left},          {S::AddrFont, u.ComboBox_FontSize},
        {S::Zip, u.Edit_Zip},                    {S::Add1, u.Edit_Add1},
        {S::Add2, u.Edit_Add2},                  {S::Custo1, u.Edit_Custo1},
        {S::Tel, u.Edit_tel},                    {S::G1, u.Edit_G1},
        {S::G2, u.Edit_G2},                      {S::G3, u.Edit_G3},
        {S::My, u.Edit_My},                      {S::MyZip, u.Edit_MyZip},
        {S::MyAdd1, u.Edit_MyADD1},              {S::MyAdd2, u.Edit_MyADD2},
        {S::MyTel, u.Edit_MyTEL},                {S::PaperFeed, u.ComboBox_SEL},
    };
    std::vector<QWidget*> controls(kSettingCount, nullptr);
    for (const auto& [setting, control] : pairs) controls[static_cast<std::size_t>(setting)] = control;
    for (QWidget* c : controls) HOXA_ASSERT(c != nullptr, "TForm_Main: a settings entry without a control");
    return controls;
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
    // registered printer or an absent print server is worth more than that
    // field's hint.
    Guarded(this, [this] { ShowRegisteredPrinterState(); });
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
    OpenJournal();
    // What saves killed half-way left behind, unless another copy is saving now
    // (its next save, or the next start, clears it then).
    if (const SaveLock lock = SaveLock::IfFree(WorkingDir()); !lock.Busy())
        RemoveStaleTempFiles(WorkingDir(), OwnFileNames());
    u.Label_Prn_Top->clear();
    u.Label_Prn_Left->clear();
    // 5-7
    Edit_Cls();
    Edit_Cls_My();
    u.Memo1->clear();
    u.Memo2->clear();
    Memo1Change();
    // 8: the last entries
    std::string problem;
    const MainSettings s = LoadSettings(WorkingDir(), &problem);
    if (!problem.empty()) ShowAppError(this, problem);
    const std::vector<QWidget*> controls = SettingControls();
    for (const SettingKey& k : SettingKeys())
        ShowSetting(controls[static_cast<std::size_t>(k.setting)], s[k.setting]);
    // 9
    u.Edit_de_date1->clear();
    u.Edit_de_date2->clear();
    u.Edit_de_date3->clear();
    // 10: a printer failure (no printer at all, a broken index) is reported,
    // and the window is still made ready for work.
    std::string printerError;
    try {
        SpeedButton_PRNSETClick();
    } catch (const std::exception& e) {
        printerError = e.what();
        ShowAppError(this, printerError);
    }
    // 11, 12
    u.StatusBar1->showMessage(QStringLiteral("  "));
    const std::array<QWidget*, 12> keys = FunctionKeys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        auto* b = static_cast<QToolButton*>(keys[i]);
        b->setEnabled(false);
        b->setText(QStringLiteral("F%1").arg(i + 1));
    }
    u.SpeedButton_F2->setText(ToQString("中止"));
    u.SpeedButton_F2->setEnabled(true);
    u.SpeedButton_F8->setText(ToQString("履歴"));
    u.SpeedButton_F8->setEnabled(true);
    u.SpeedButton_F9->setText(ToQString("一括印刷"));
    u.SpeedButton_F9->setEnabled(true);
    u.SpeedButton_F10->setText(ToQString("プレビュー"));
    u.SpeedButton_F10->setEnabled(true);
    u.SpeedButton_F11->setText(ToQString("印刷"));
    u.SpeedButton_F11->setEnabled(true);
    // 13, 14
    try {
        ComboBox_SELChange();
    } catch (const std::exception& e) {
        if (printerError != e.what()) ShowAppError(this, e.what());
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
        MainSettings s;
        const std::vector<QWidget*> controls = SettingControls();
        for (const SettingKey& k : SettingKeys())
            if (k.written) s[k.setting] = ReadSetting(controls[static_cast<std::size_t>(k.setting)]);
        SaveSettings(WorkingDir(), s);
    });
}

void TForm_Main::SpeedButton_F2Click()
{
    if (AskYesNo(this, "終了しますか?")) {
        close();
        return;
    }
    ui_->Edit_Zip->setFocus(Qt::OtherFocusReason);
}

}  // namespace hoxa
