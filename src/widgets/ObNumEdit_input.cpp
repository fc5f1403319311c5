// TObNumEdit: keys and typed characters, the input method, mouse and focus.
#include "widgets/ObNumEdit.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "base/Codec.h"
#include "base/cp932.h"

namespace hoxa {

namespace {

// Double-byte codes of the input method that stand for digits, minus and point.
int MapWideCode(int code)
{
    if (code >= 0x824F && code <= 0x8258) return code - 0x821F;
    if (code == 0x817C) return '-';
    if (code == 0x8144) return '.';
    return code;
}

// Characters of a key or input-method text as CP932 codes: a single byte, or
// lead * 256 + trail for a double-byte character.
std::vector<int> CharCodes(const QString& text)
{
    std::vector<int> codes;
    const std::string bytes = FromQString(text);
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (CharLenAt(bytes, i) == 2) {
            codes.push_back(b * 256 + static_cast<unsigned char>(bytes[i + 1]));
            i += 2;
        } else {
            codes.push_back(b);
            ++i;
        }
    }
    return codes;
}

constexpr Qt::KeyboardModifiers kIgnoredModifiers = Qt::KeypadModifier | Qt::GroupSwitchModifier;

}  // namespace

// ---- Keys and characters ---------------------------------------------------------

bool TObNumEdit::IsTableKey(int key, Qt::KeyboardModifiers mods) const
{
    if (mods == Qt::ShiftModifier) return key == Qt::Key_Left || key == Qt::Key_Right;
    if (mods == Qt::ControlModifier)
        return key == Qt::Key_A || key == Qt::Key_C || key == Qt::Key_V || key == Qt::Key_X;
    if (mods == Qt::NoModifier) {
        switch (key) {
        case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_End: case Qt::Key_Home:
        case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
        case Qt::Key_Backspace: case Qt::Key_Delete:
            return true;
        default:
            return false;
        }
    }
    return false;
}

bool TObNumEdit::HandleKey(int key, Qt::KeyboardModifiers mods)
{
    if (!IsTableKey(key, mods)) return false;
    const bool ro = model_.ReadOnly();
    if (mods == Qt::ShiftModifier) {
        SelectAll();
    } else if (mods == Qt::ControlModifier) {
        if (key == Qt::Key_A) SelectAll();
        else if (key == Qt::Key_C) CopyToClipboard();
        else if (key == Qt::Key_V) { if (!ro) PasteFromClipboard(); }
        else if (key == Qt::Key_X) { if (!ro) CutToClipboard(); }
    } else if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
        if (!ro) model_.DeleteLastChar();
    } else {
        SelectNone();
        if (key == Qt::Key_Up && model_.ArrowFocusMove() && model_.Options().Contains(eoArrowUp)) MoveFocus(false);
        if (key == Qt::Key_Down && model_.ArrowFocusMove() && model_.Options().Contains(eoArrowDown)) MoveFocus(true);
    }
    return true;
}

void TObNumEdit::HandleChar(int ch)
{
    if (model_.ReadOnly()) return;
    ch = MapWideCode(ch);
    char c = static_cast<char>(ch);
    switch (ch) {
    case 1: case 3: case 8: case 22: case 24:
        return;
    case 13:
        if (model_.EnterFocusMove()) MoveFocus(true);
        else if (model_.ErrorBeep()) Beep();
        return;
    case '-':
        model_.ToggleMinus(c);
        return;
    case '.':
        model_.InsertDecimalPoint(c);
        return;
    default:
        if (ch >= '0' && ch <= '9') model_.InsertDigit(c);
        else if (model_.ErrorBeep()) Beep();
        return;
    }
}

void TObNumEdit::MoveFocus(bool next)
{
    // Posted, like a dialog's next-control message: the key finishes first.
    QMetaObject::invokeMethod(this, [this, next] { focusNextPrevChild(next); }, Qt::QueuedConnection);
}

void TObNumEdit::keyPressEvent(QKeyEvent* e)
{
    int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers() & ~kIgnoredModifiers;
    emit keyDown(&key, mods);
    if (key == 0) {
        e->accept();
        return;
    }
    if (HandleKey(key, mods)) {
        e->accept();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::NoModifier) {
        e->accept();
        HandleChar(13);
        return;
    }
    const QString t = e->text();
    const bool alt = (mods & Qt::AltModifier) && !(mods & Qt::ControlModifier);
    if (t.isEmpty() || alt || e->key() == Qt::Key_Escape || e->key() == Qt::Key_Tab ||
        e->key() == Qt::Key_Backtab) {
        // Not a character for the box: the form may use it (Escape closes a dialog).
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    for (int code : CharCodes(t)) HandleChar(code);
}

void TObNumEdit::inputMethodEvent(QInputMethodEvent* e)
{
    const QString commit = e->commitString();
    e->accept();
    if (commit.isEmpty()) return;
    for (int code : CharCodes(commit)) HandleChar(code);
}

bool TObNumEdit::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        const Qt::KeyboardModifiers mods = k->modifiers() & ~kIgnoredModifiers;
        const bool plainChar = !k->text().isEmpty() && !(mods & (Qt::ControlModifier | Qt::AltModifier)) &&
                               k->key() != Qt::Key_Escape;
        if (IsTableKey(k->key(), mods) || plainChar) {
            e->accept();
            return true;
        }
    }
    return QWidget::event(e);
}

// ---- Mouse -------------------------------------------------------------------------

void TObNumEdit::mousePressEvent(QMouseEvent* e)
{
    if (!hasFocus() && focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton) {
        if (!dblClick_) SelectNone();
        dblClick_ = false;
    }
    QWidget::mousePressEvent(e);
}

// The press that belongs to a double click may come before or instead of the
// double-click event; the flag protects the selection only until the button is up.
void TObNumEdit::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) dblClick_ = false;
    QWidget::mouseReleaseEvent(e);
}

void TObNumEdit::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        SelectAll();
        update();
        emit doubleClicked();
        dblClick_ = true;
    }
    e->accept();
}

void TObNumEdit::mouseMoveEvent(QMouseEvent* e)
{
    if (e->buttons() & Qt::LeftButton) {
        const QRect r = TextRect();
        const int x = e->position().toPoint().x();
        if (x >= r.left() && x <= r.left() + r.width()) {
            SelectAll();
            update();
        }
    }
    QWidget::mouseMoveEvent(e);
}

// ---- Focus ------------------------------------------------------------------------

void TObNumEdit::focusInEvent(QFocusEvent* e)
{
    CreateEditCaret();
    // Window activation and a closing menu give the focus back; they do not enter.
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason) {
        emit entered();
        if (autoSelect_) SelectAll();
    }
    QWidget::focusInEvent(e);
}

void TObNumEdit::focusOutEvent(QFocusEvent* e)
{
    DestroyEditCaret();
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason) {
        emit exited();
        model_.LeaveControl();
        if (model_.HideSelection()) SelectNone();
    }
    QWidget::focusOutEvent(e);
}

}  // namespace hoxa
