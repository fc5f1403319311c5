// Keys our dialogs share.
#pragma once

class QDialog;
class QKeyEvent;

namespace hoxa {

// Enter (either key) presses the dialog's focused push button, as Space does,
// and nothing else: the dialogs have no default button, so that Enter in a box
// never prints or closes.  True when the key was Enter (taken), false for
// other keys.
bool PressFocusedButton(QDialog* dialog, const QKeyEvent& e);

}  // namespace hoxa
