// TObNumEdit: the caret and the painting of frame, marks and value.
#include "widgets/ObNumEdit.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QPainter>
#include <QStyleHints>
#include <QTimer>
#include <qdrawutil.h>

#include "base/Codec.h"

namespace hoxa {

// ---- Caret -------------------------------------------------------------------------

void TObNumEdit::CreateEditCaret()
{
    caretExists_ = true;
    caretOn_ = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (flash > 0) caretTimer_->start(flash / 2);
    UpdateCaretPos();
}

void TObNumEdit::UpdateCaretPos()
{
    if (!hasFocus() || !caretExists_) return;
    caretOn_ = true;
    if (caretTimer_->isActive()) caretTimer_->start();
    update();
    if (QInputMethod* im = QGuiApplication::inputMethod())
        im->update(Qt::ImCursorRectangle | Qt::ImFont | Qt::ImSurroundingText);
}

void TObNumEdit::DestroyEditCaret()
{
    caretExists_ = false;
    caretOn_ = false;
    caretTimer_->stop();
    update();
}

QVariant TObNumEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImCursorRectangle: return QRect(CaretPoint(), QSize(caretWidth_, textHeight_));
    case Qt::ImFont: return font();
    case Qt::ImSurroundingText: return text();
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition: return static_cast<int>(text().size());
    case Qt::ImReadOnly: return model_.ReadOnly();
    default: return QWidget::inputMethodQuery(query);
    }
}

// ---- Painting ----------------------------------------------------------------------

void TObNumEdit::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect client = ClientRect();
    p.fillRect(client, Color());

    QColor brush = Color();
    QColor pen = palette().color(QPalette::Text);
    if (model_.SelLength() > 0) {
        brush = palette().color(QPalette::Highlight);
        pen = palette().color(QPalette::HighlightedText);
    }
    if (!isEnabled()) {
        brush = Color();
        pen = DisabledColor();
    }

    const Layout l = ComputeLayout();
    QRect fill = l.text;
    if (!model_.LeftMark().empty()) fill.setLeft(l.leftMark.left());
    if (!model_.RightMark().empty()) fill.setRight(l.rightMark.right());
    p.save();
    p.setClipRect(client);
    p.fillRect(fill, brush);

    const std::string s = model_.FormatValue(model_.Text());
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
    p.setPen(pen);
    p.setFont(font());
    if (!s.empty() && !model_.LeftMark().empty()) p.drawText(l.leftMark, flags, ToQString(model_.LeftMark()));
    if (!s.empty()) p.drawText(l.text, flags, ToQString(s));
    if (!s.empty() && !model_.RightMark().empty()) p.drawText(l.rightMark, flags, ToQString(model_.RightMark()));

    if (caretExists_ && caretOn_) {
        // The caret inverts what lies under it, like the system's text caret.
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(QRect(CaretPoint(), QSize(caretWidth_, textHeight_)), Qt::white);
    }
    p.restore();

    if (borderStyle_ == bsSingle) {
        if (ctl3D_) {
            qDrawWinPanel(&p, rect(), palette(), true);
        } else {
            p.setPen(palette().color(QPalette::WindowText));
            p.setBrush(Qt::NoBrush);
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }
}

}  // namespace hoxa
