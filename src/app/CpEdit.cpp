#include "app/CpEdit.h"

#include "base/Codec.h"

#include "base/QtTexts.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QValidator>

#include <algorithm>
#include <cstdint>

namespace hoxa {

void RequestImeMode(QWidget* widget, ImeMode mode)
{
    if (!widget) return;
    const bool on = mode != ImeMode::Disabled;
    widget->setAttribute(Qt::WA_InputMethodEnabled, on);
    widget->setInputMethodHints(on ? Qt::ImhNone : (Qt::ImhLatinOnly | Qt::ImhNoPredictiveText));
    if (widget->hasFocus()) {
        QInputMethod* im = QGuiApplication::inputMethod();
        im->update(Qt::ImEnabled | Qt::ImHints);
        if (on) im->show();
        else im->reset();
    }
}

bool RefusesNonDigit(const QKeyEvent& e)
{
    const int key = e.key();
    if (key == Qt::Key_Backspace || key == Qt::Key_Tab || key == Qt::Key_Backtab) return false;
    // Control characters of the editing shortcuts (Ctrl+V, Ctrl+X, ...).
    if ((e.modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) return true;
    const QString text = e.text();
    if (text.isEmpty()) return false;  // caret movement and the like
    return !(text.size() == 1 && text[0] >= u'0' && text[0] <= u'9');
}

namespace {

// Refuses an edit that would make the text longer than the limit in CP932 bytes.
// An edit that does not lengthen the text is always accepted, so that a longer
// text set by the program can still be shortened; a text set by the program
// (setText leaves the field unmodified) is never refused.
class ByteLimitValidator : public QValidator {
public:
    ByteLimitValidator(QLineEdit* edit, const std::size_t* acceptedBytes, int maxBytes)
        : QValidator(edit), edit_(edit), acceptedBytes_(acceptedBytes), max_(static_cast<std::size_t>(maxBytes))
    {
    }
    State validate(QString& input, int&) const override
    {
        if (!edit_->isModified()) return Acceptable;
        const std::size_t n = FromQString(input).size();
        return n <= max_ || n <= *acceptedBytes_ ? Acceptable : Invalid;
    }

private:
    const QLineEdit* edit_;
    const std::size_t* acceptedBytes_;  // bytes of the text before this edit
    std::size_t max_;
};

}  // namespace

TCpEdit::TCpEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this](const QString& t) { acceptedBytes_ = FromQString(t).size(); });
    connect(this, &QLineEdit::textEdited, this, [this] { ReplaceLostChars(); });
}

std::string TCpEdit::Text() const { return FromQString(text()); }

void TCpEdit::SetText(std::string_view cp932)
{
    // Known before the text changes, so that the length check lets it through.
    acceptedBytes_ = std::max(acceptedBytes_, cp932.size());
    setText(ToQString(cp932));
}

void TCpEdit::SetMaxBytes(int bytes)
{
    maxBytes_ = bytes > 0 ? bytes : 0;
    const QValidator* old = validator();
    setValidator(maxBytes_ ? new ByteLimitValidator(this, &acceptedBytes_, maxBytes_) : nullptr);
    delete old;
}

void TCpEdit::SetImeMode(ImeMode mode)
{
    imeMode_ = mode;
    RequestImeMode(this, mode);
}

void TCpEdit::focusInEvent(QFocusEvent* e)
{
    QLineEdit::focusInEvent(e);
    RequestImeMode(this, imeMode_);
    emit entered(e->reason());
}

void TCpEdit::PasteText(const QString& pasted)
{
    if (isReadOnly()) return;
    if (maxBytes_ == 0 && !pasteConversion_) {
        insert(pasted);
        return;
    }
    const std::size_t kept = FromQString(text()).size() - FromQString(selectedText()).size();
    const std::size_t room = maxBytes_ == 0 ? SIZE_MAX
                             : kept < static_cast<std::size_t>(maxBytes_) ? maxBytes_ - kept : 0;
    QString fit;
    std::size_t used = 0;
    for (int i = 0; i < pasted.size(); ++i) {
        const int n = pasted[i].isHighSurrogate() && i + 1 < pasted.size() ? 2 : 1;
        QString ch = pasted.mid(i, n);
        i += n - 1;
        bool lost = false;
        const std::string bytes = FromQString(ch, &lost);
        // A character CP932 cannot hold stays as it is (it is replaced once inserted).
        if (pasteConversion_ && !lost) ch = ToQString(pasteConversion_(bytes));
        const std::size_t size = FromQString(ch).size();
        if (used + size > room) break;
        used += size;
        fit += ch;
    }
    if (fit.isEmpty() && !pasted.isEmpty()) return;  // nothing fits: the field stays as it is
    insert(fit);
}

void TCpEdit::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Paste)) {
        PasteText(QGuiApplication::clipboard()->text());
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void TCpEdit::mouseReleaseEvent(QMouseEvent* e)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (e->button() == Qt::MiddleButton && clipboard->supportsSelection() && !isReadOnly()) {
        deselect();
        PasteText(clipboard->text(QClipboard::Selection));
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}

void TCpEdit::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = createStandardContextMenu();
    if (!menu) return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Its paste item (captioned as Qt's translation has it) pastes what fits.
    for (QAction* a : menu->actions()) {
        if (a->text().section(u'\t', 0, 0) != QLineEdit::tr("&Paste")) continue;
        disconnect(a, &QAction::triggered, this, &QLineEdit::paste);
        connect(a, &QAction::triggered, this, [this] { PasteText(QGuiApplication::clipboard()->text()); });
    }
    WidenForCaptions(menu);
    menu->popup(e->globalPos());
    e->accept();
}

void TCpEdit::ReplaceLostChars()
{
    bool lost = false;
    const QString now = text();
    const std::string bytes = FromQString(now, &lost);
    if (!lost) return;
    const int caret = ToQString(FromQString(now.left(cursorPosition()))).size();
    SetText(bytes);
    setCursorPosition(caret);
    emit charsReplaced();
}

}  // namespace hoxa
