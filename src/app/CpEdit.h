// The single-line entry field of the main window: its text is CP932, its
// maximum length counts CP932 bytes, and it asks for an input-method mode when
// it gets the focus.
#pragma once

#include <QLineEdit>

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

class TCpEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCpEdit(QWidget* parent = nullptr);

    // The text as CP932 bytes.
    std::string Text() const;
    // Sets the text as the program does: not limited by MaxBytes (neither is
    // QLineEdit::setText).
    void SetText(std::string_view cp932);

    // Maximum length in CP932 bytes for typing and pasting; 0 means none.
    void SetMaxBytes(int bytes);
    int MaxBytes() const { return maxBytes_; }

    void SetImeMode(ImeMode mode);
    ImeMode Mode() const { return imeMode_; }

signals:
    // The field got the focus (after QLineEdit's own handling).
    void entered(Qt::FocusReason reason);
    // A typed or pasted character that CP932 cannot hold was replaced by 〓.
    void charsReplaced();

protected:
    void focusInEvent(QFocusEvent* e) override;

private:
    void ReplaceLostChars();

    int maxBytes_ = 0;
    std::size_t acceptedBytes_ = 0;  // CP932 bytes of the current text
    ImeMode imeMode_ = ImeMode::Open;
};

}  // namespace hoxa
