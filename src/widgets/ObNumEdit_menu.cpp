// TObNumEdit: the context menu and the clipboard.
#include "widgets/ObNumEdit.h"

#include <QAction>
#include <QGuiApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>

#include "base/Codec.h"
#include "base/QtTexts.h"

namespace hoxa {

// ---- Clipboard and context menu -------------------------------------------------

void TObNumEdit::CopyToClipboard()
{
    if (model_.SelLength() == 0) return;
    QGuiApplication::clipboard()->setText(ToQString(model_.ClipboardText()));
}

void TObNumEdit::CutToClipboard()
{
    if (model_.SelLength() == 0) return;
    CopyToClipboard();
    model_.Cut();
}

void TObNumEdit::PasteFromClipboard()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return;
    model_.Paste(FromQString(data->text()));
}

QAction* TObNumEdit::MenuItem(int tag) const { return tag >= 0 && tag < 8 ? items_[tag] : nullptr; }

void TObNumEdit::PopupMenuPopup()
{
    if (!hasFocus()) setFocus(Qt::OtherFocusReason);
    const bool selected = model_.SelLength() > 0;
    const bool ro = model_.ReadOnly();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const bool clipText = data && data->hasText();
    items_[0]->setEnabled(model_.UndoAvailable() && !ro);
    items_[2]->setEnabled(selected && !ro);
    items_[3]->setEnabled(selected);
    items_[4]->setEnabled(clipText && !ro);
    items_[5]->setEnabled(selected && !ro);
    items_[7]->setEnabled(!selected && !model_.Text().empty());
}

void TObNumEdit::PopupMenuItemClick(int tag)
{
    switch (tag) {
    case 0: Undo(); break;
    case 2: CutToClipboard(); break;
    case 3: CopyToClipboard(); break;
    case 4: PasteFromClipboard(); break;
    case 5: ClearValue(); break;
    case 7: SelectAll(); break;
    default: break;
    }
}

void TObNumEdit::contextMenuEvent(QContextMenuEvent* e)
{
    PopupMenuPopup();
    WidenForCaptions(menu_);
    menu_->popup(e->globalPos());
    e->accept();
}

}  // namespace hoxa
