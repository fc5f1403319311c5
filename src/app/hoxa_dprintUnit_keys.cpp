// The common key map of the main window and its whole-window tab order.
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "app/CpEdit.h"
#include "base/MsgBox.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

namespace hoxa {

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
    // Enter presses a focused push or picture button, as Space does.
    for (QAbstractButton* b : findChildren<QAbstractButton*>())
        if (qobject_cast<QToolButton*>(b) || qobject_cast<QPushButton*>(b)) b->installEventFilter(this);

    tabOrder_ = {u.Edit_Zip,       u.Edit_Add1,     u.Edit_Add2,        u.Edit_Custo1,     u.Edit_tel,
                 u.CheckBox_Date_1, u.DateTimePicker_1, u.Edit_de_date1, u.Edit_de_date2,   u.Edit_de_date3,
                 u.Edit_G1,        u.Edit_G2,       u.Edit_G3,          u.ComboBox_SEL,    u.BitBtn_SendMail,
                 u.PageControl_My, u.CheckBox_My,   u.Edit_MyZip,       u.Edit_MyADD1,     u.Edit_MyADD2,
                 u.Edit_My,        u.Edit_MyTEL,    u.BitBtn_My};
    for (std::size_t i = 0; i + 1 < tabOrder_.size(); ++i) setTabOrder(tabOrder_[i], tabOrder_[i + 1]);

    // The paste area and the transfer button are not in the tab order; these
    // keys reach them from anywhere in the window.
    const std::pair<QKeySequence, void (TForm_Main::*)()> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), &TForm_Main::PasteAndTransfer},
        {QKeySequence(Qt::ALT | Qt::Key_T), &TForm_Main::BitBtn_1Click},
    };
    for (const auto& [key, handler] : keys) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this,
                [this, handler] { Guarded(this, [this, handler] { (this->*handler)(); }); });
    }
}

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
        if (e->type() == QEvent::FocusIn && IsEntering(ui_->Memo1, static_cast<QFocusEvent*>(e)->reason()))
            Memo1Enter();
        return QWidget::eventFilter(watched, e);
    }
    if (e->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, e);
    const auto* key = static_cast<QKeyEvent*>(e);
    if (auto* button = qobject_cast<QAbstractButton*>(watched)) {
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return QWidget::eventFilter(watched, e);
        if (button->isEnabled()) button->click();
        return true;
    }
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
    case Qt::Key_F8:
        Guarded(this, [this] { SpeedButton_F8Click(); });
        return true;
    case Qt::Key_F9:
        Guarded(this, [this] { SpeedButton_F9Click(); });
        return true;
    case Qt::Key_F10:
        Guarded(this, [this] { SpeedButton_F10Click(); });
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

bool TForm_Main::Edit_de_dateKeyPress(const QKeyEvent& e) { return RefusesNonDigit(e); }

}  // namespace hoxa
