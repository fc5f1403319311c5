#include "base/MsgBox.h"

#include "base/Codec.h"
#include "base/cp932.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace hoxa {

namespace {
MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

// Keeps a box at least as wide as its caption needs in the title bar: the
// caption in bold (title bars usually are) and room for the window icon and
// three title buttons, each about a line high.  A narrow box ("終了しますか?")
// would otherwise get its caption cut short by the window manager.
void FitCaption(QMessageBox& box)
{
    QFont bold = box.font();
    bold.setBold(true);
    const QFontMetrics fm(bold);
    const int need = fm.horizontalAdvance(box.windowTitle()) + 4 * (fm.height() + 8);
    // The box sizes itself from its layout: a spacer across it holds the width.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(need, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
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
        FitCaption(box);
        box.exec();
        return box.clickedButton() == yes;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    FitCaption(box);
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
    // Our own sentences end with the Japanese full stop and get no other.
    if (std::string_view(text).substr(last) == "。") return text;
    const unsigned char b = static_cast<unsigned char>(text[last]);
    // Our own messages end with their own full stop already.
    if (b > '.' && text.compare(last, std::string::npos, "。") != 0) text.push_back('.');
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
