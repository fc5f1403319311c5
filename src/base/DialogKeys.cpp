#include "base/DialogKeys.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>

namespace hoxa {

bool PressFocusedButton(QDialog* dialog, const QKeyEvent& e)
{
    if (e.key() != Qt::Key_Return && e.key() != Qt::Key_Enter) return false;
    if (auto* b = qobject_cast<QPushButton*>(dialog->focusWidget()); b && b->isEnabled()) b->click();
    return true;
}

}  // namespace hoxa
