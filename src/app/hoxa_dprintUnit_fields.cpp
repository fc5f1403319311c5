// The entry fields of the main window: byte limits, input-method modes, the
// guidance texts, the address warning, the half-width conversion of postal code
// and telephone, the paste area, the clear buttons, web help and mail.
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "app/CpEdit.h"
#include "base/Codec.h"
#include "base/MsgBox.h"
#include "transfer/HalfWidth.h"

#include <QApplication>
#include <QDesktopServices>
#include <QTextCursor>
#include <QUrl>

namespace hoxa {

namespace {

const QColor kSilver(192, 192, 192);

// Byte length of おところ① above which the address warning shows.
constexpr std::size_t kAddressWarningBytes = 40;

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
    // The two fields that turn to half-width after every change take a pasted
    // text in half-width, so that the limit counts what the field will hold.
    for (TCpEdit* e : {u.Edit_Zip, u.Edit_tel})
        e->SetPasteConversion([](std::string_view s) { return ToHalfWidth(s); });
    for (TCpEdit* goods : {u.Edit_G1, u.Edit_G2, u.Edit_G3})
        for (FieldInfo& f : fields_)
            if (f.edit == goods) f.enter = [this, goods] { Edit_G1Enter(goods); };
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        TCpEdit* edit = fields_[i].edit;
        connect(edit, &TCpEdit::entered, this, [this, i](Qt::FocusReason reason) {
            if (fields_[i].enter && IsEntering(fields_[i].edit, reason)) Guarded(this, fields_[i].enter);
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

    // The control of this window that holds (or last held) the focus; updated
    // after the newly focused control has seen its focus-in.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now->window() == this) focusedControl_ = now;
    });
}

bool TForm_Main::IsEntering(const QWidget* control, Qt::FocusReason reason) const
{
    // A control is entered when it takes the focus over from another control of
    // this window: by the user, or by the program, also when the program moved
    // the focus while a message box was still up and the window only gets it
    // back when the box has gone.  The window coming back to the front with the
    // same control, a popup (context menu, calendar) closing, or the first
    // control the window picks for itself when it is first activated without
    // one, enters nothing.
    if (control == focusedControl_) return false;
    return focusedControl_ || reason != Qt::ActiveWindowFocusReason;
}

void TForm_Main::EnterField(TCpEdit* edit, std::string_view guidance)
{
    SetGuidance(pendingGuidance_.empty() ? guidance : std::string_view(pendingGuidance_));
    pendingGuidance_.clear();
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
    if (ui_->Edit_Add1->Text().size() > kAddressWarningBytes)
        ui_->Label_Warning->setText(ToQString("警告:おところ①の文字数が多すぎます。　おところ②へ分割してください"));
    else
        ui_->Label_Warning->clear();
}

void TForm_Main::Edit_Cls()
{
    auto& u = *ui_;
    u.Label_Warning->clear();
    for (TCpEdit* e : {u.Edit_Zip, u.Edit_Add1, u.Edit_Add2, u.Edit_Custo1, u.Edit_tel}) e->clear();
    ClearCheckMarks();
    recalled_ = {};
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
    SetFill(memo->viewport(), memo->document()->isEmpty() ? kSilver : palette().color(QPalette::Base));
    SetFill(memo, memo->document()->isEmpty() ? kSilver : palette().color(QPalette::Base));
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

}  // namespace hoxa
