// The single-line entry field of the main window: its text is CP932, its
// maximum length counts CP932 bytes, and it asks for an input-method mode when
// it gets the focus.
#pragma once

#include <QLineEdit>

class QKeyEvent;

#include <functional>
#include <string>
#include <string_view>

namespace hoxa {

// How a field wants the Japanese input method.
enum class ImeMode {
    Disabled,  // off, and cannot be switched on in this field
    Hiragana,  // switched on (hiragana) when the field gets the focus
    Open,      // switched on, keeping its conversion mode
};

// Asks the platform for the input-method mode of a widget.  Off Windows there is
// no per-field conversion mode to ask for: "disabled" turns the input method off
// for the widget, the other two turn it on and let the input method know.
void RequestImeMode(QWidget* widget, ImeMode mode);

// The month and day boxes of the desired delivery date: whether a key press is
// refused.  Typed digits 0 to 9, Backspace, Tab and keys that type nothing
// (caret movement) pass; every other typed character, the control characters
// of the editing shortcuts (Ctrl+V ...) included, is refused.
bool RefusesNonDigit(const QKeyEvent& e);

class TCpEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCpEdit(QWidget* parent = nullptr);

    // The text as CP932 bytes.
    std::string Text() const;
    // Sets the text as the program does: not limited by MaxBytes (neither is
    // QLineEdit::setText).
    void SetText(std::string_view cp932);

    // Maximum length in CP932 bytes for typing and pasting; 0 means none.  A
    // typed character that does not fit is refused; of a pasted text the part
    // that fits is kept, cut at a character boundary.
    void SetMaxBytes(int bytes);
    int MaxBytes() const { return maxBytes_; }

    // What the field makes of a pasted character before the limit is applied
    // (the half-width conversion of the postal code and telephone fields).
    void SetPasteConversion(std::function<std::string(std::string_view)> convert)
    {
        pasteConversion_ = std::move(convert);
    }

    // Pastes a text as Ctrl+V, Shift+Insert, the context menu and the middle
    // button do: replaces the selection by the part that fits.
    void PasteText(const QString& pasted);

    void SetImeMode(ImeMode mode);
    ImeMode Mode() const { return imeMode_; }

signals:
    // The field got the focus (after QLineEdit's own handling), for whatever
    // reason; the window decides whether that is an entering.
    void entered(Qt::FocusReason reason);
    // A typed or pasted character that CP932 cannot hold was replaced by 〓.
    void charsReplaced();

protected:
    void focusInEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void ReplaceLostChars();

    int maxBytes_ = 0;
    std::size_t acceptedBytes_ = 0;  // CP932 bytes of the current text
    ImeMode imeMode_ = ImeMode::Open;
    std::function<std::string(std::string_view)> pasteConversion_;
};

}  // namespace hoxa
