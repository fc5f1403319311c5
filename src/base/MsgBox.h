// Message boxes of the program: questions and notices with the application title
// as caption and no icon, and the application error box.  Texts are CP932.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>

class QWidget;

namespace hoxa {

// "◇hoxa_Nivora"
inline constexpr std::string_view kAppTitle = "◇hoxa_Nivora";

// QuestionDefaultNo: a question whose default button (Enter) is No.
enum class BoxKind { Question, QuestionDefaultNo, Notice, Error };

// Answer of a box: true for Yes (questions) or OK.
// When a hook is installed, boxes are not shown: the hook answers them (tests).
using MessageBoxHook = std::function<bool(BoxKind kind, const std::string& text)>;
void SetMessageBoxHook(MessageBoxHook hook);

// The button that Enter presses in a question.
enum class DefaultAnswer { Yes, No };

// "はい(&Y)" / "いいえ(&N)"; true only for Yes; Esc answers No.  A question whose
// Yes sends something the user may not expect has No as its default (its hook
// kind is QuestionDefaultNo).
bool AskYesNo(QWidget* parent, std::string_view text, DefaultAnswer def = DefaultAnswer::Yes);

// One "OK" button.
void ShowNotice(QWidget* parent, std::string_view text);

// The application error box: error icon, OK, the message with a full stop
// appended when its last character has a code above that of the full stop,
// except after "。", which ends the program's own Japanese messages.
void ShowAppError(QWidget* parent, std::string_view message);
std::string AppErrorText(std::string_view message);

// Runs a handler that may fail; an error ends it and is shown in the error box,
// so that no exception reaches the event loop.
void Guarded(QWidget* parent, const std::function<void()>& handler) noexcept;

}  // namespace hoxa
