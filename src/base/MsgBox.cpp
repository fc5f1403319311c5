#include "base/MsgBox.h"

#include "base/Codec.h"
#include "base/cp932.h"

#include <QMessageBox>
#include <QPushButton>

namespace hoxa {

namespace {
MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

bool Show(QWidget* parent, BoxKind kind, std::string_view text)
{
    if (Hook()) return Hook()(kind, std::string(text));
    QMessageBox box(parent);
    box.setWindowTitle(ToQString(kAppTitle));
    box.setText(ToQString(text));
    box.setIcon(kind == BoxKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon);
    if (kind == BoxKind::Question || kind == BoxKind::QuestionDefaultNo) {
        QPushButton* yes = box.addButton(ToQString("はい(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(ToQString("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(kind == BoxKind::Question ? yes : no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return true;
}
}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }

bool AskYesNo(QWidget* parent, std::string_view text, DefaultAnswer def)
{
    return Show(parent, def == DefaultAnswer::Yes ? BoxKind::Question : BoxKind::QuestionDefaultNo, text);
}

void ShowNotice(QWidget* parent, std::string_view text) { Show(parent, BoxKind::Notice, text); }

std::string AppErrorText(std::string_view message)
{
    std::string text(message);
    if (text.empty()) return text;
    // Code of the last character: a double-byte character always lies above '.'.
    std::size_t last = 0;
    for (std::size_t i = 0; i < text.size(); i += CharLenAt(text, i)) last = i;
    const unsigned char b = static_cast<unsigned char>(text[last]);
    if (b > '.') text.push_back('.');
    return text;
}

void ShowAppError(QWidget* parent, std::string_view message)
{
    Show(parent, BoxKind::Error, AppErrorText(message));
}

void Guarded(QWidget* parent, const std::function<void()>& handler) noexcept
{
    try {
        handler();
    } catch (const std::exception& e) {
        try {
            ShowAppError(parent, e.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            ShowAppError(parent, "Unknown error");
        } catch (...) {
        }
    }
}

}  // namespace hoxa
