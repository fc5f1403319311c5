#include "widgets/ObNumEdit.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <QTimer>
#include <qdrawutil.h>

#include "base/Codec.h"
#include "base/MsgBox.h"
#include "base/cp932.h"

namespace hoxa {

namespace {

// The accessible side of the box: an editable text whose value is the value text.
class ObNumEditAccessible : public QAccessibleWidget {
public:
    explicit ObNumEditAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::EditableText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value) return Box()->text();
        return QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString& text) override
    {
        if (t == QAccessible::Value) Box()->setText(text);
        else QAccessibleWidget::setText(t, text);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = Box()->ReadOnly();
        s.editable = !Box()->ReadOnly();
        return s;
    }

private:
    TObNumEdit* Box() const { return static_cast<TObNumEdit*>(widget()); }
};

QAccessibleInterface* ObNumEditAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("hoxa::TObNumEdit") && object && object->isWidgetType())
        return new ObNumEditAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

// Double-byte codes of the input method that stand for digits, minus and point.
int MapWideCode(int code)
{
    if (code >= 0x824F && code <= 0x8258) return code - 0x821F;
    if (code == 0x817C) return '-';
    if (code == 0x8144) return '.';
    return code;
}

// Characters of a key or input-method text as CP932 codes: a single byte, or
// lead * 256 + trail for a double-byte character.
std::vector<int> CharCodes(const QString& text)
{
    std::vector<int> codes;
    const std::string bytes = FromQString(text);
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (CharLenAt(bytes, i) == 2) {
            codes.push_back(b * 256 + static_cast<unsigned char>(bytes[i + 1]));
            i += 2;
        } else {
            codes.push_back(b);
            ++i;
        }
    }
    return codes;
}

constexpr Qt::KeyboardModifiers kIgnoredModifiers = Qt::KeypadModifier | Qt::GroupSwitchModifier;

}  // namespace

TObNumEdit::TObNumEdit(QWidget* parent) : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&ObNumEditAccessibleFactory);
        return true;
    }();
    (void)factoryInstalled;

    model_.SetHost(this);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    setAttribute(Qt::WA_KeyCompression, false);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    caretTimer_ = new QTimer(this);
    connect(caretTimer_, &QTimer::timeout, this, [this] {
        caretOn_ = !caretOn_;
        update(QRect(CaretPoint(), QSize(caretWidth_, textHeight_)));
    });

    menu_ = new QMenu(this);
    static const char* const captions[8] = {"元に戻す(&U)", "-", "切り取り(&T)", "コピー(&C)",
                                            "貼り付け(&P)", "削除(&D)", "-", "すべて選択(&A)"};
    for (int tag = 0; tag < 8; ++tag) {
        QAction* a = std::string_view(captions[tag]) == "-" ? menu_->addSeparator()
                                                            : menu_->addAction(ToQString(captions[tag]));
        a->setData(tag);
        if (!a->isSeparator())
            connect(a, &QAction::triggered, this, [this, tag] { Guarded(this, [&] { PopupMenuItemClick(tag); }); });
        items_[tag] = a;
    }

    ApplyFrame();
    resize(121, 20);
    MeasureFont();
    AdjustHeight();
    AdjustWidth();
    constructing_ = false;
}

TObNumEdit::~TObNumEdit()
{
    model_.SetHost(nullptr);
}

QString TObNumEdit::text() const { return ToQString(model_.Text()); }

void TObNumEdit::setText(const QString& s) { model_.SetText(FromQString(s)); }

// ---- Host of the value model ----------------------------------------------------

bool TObNumEdit::FitsWidth(const std::string& value) { return DisplayWidth(value) <= AvailableWidth(); }

void TObNumEdit::Beep()
{
    QApplication::beep();
    emit beeped();
}

void TObNumEdit::ValueShown()
{
    update();
    UpdateCaretPos();
}

void TObNumEdit::FormatChanged()
{
    AdjustWidth();
    update();
    UpdateCaretPos();
}

void TObNumEdit::SelectionShown() { update(); }

void TObNumEdit::Changed()
{
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent ev(this, text());
        QAccessible::updateAccessibility(&ev);
    }
    emit changed();
}

// ---- Window properties -------------------------------------------------------------

void TObNumEdit::SetAlignment(TAlignment v)
{
    if (v == alignment_) return;
    alignment_ = v;
    update();
    UpdateCaretPos();
}

void TObNumEdit::SetVertAlignment(TVertAlignment v)
{
    if (v == vertAlignment_) return;
    vertAlignment_ = v;
    update();
    UpdateCaretPos();
}

void TObNumEdit::SetTopMargin(int v)
{
    if (v < 0 || v == topMargin_) return;
    topMargin_ = v;
    AdjustHeight();
    update();
    UpdateCaretPos();
}

void TObNumEdit::SetBottomMargin(int v)
{
    if (v < 0 || v == bottomMargin_) return;
    bottomMargin_ = v;
    AdjustHeight();
    update();
    UpdateCaretPos();
}

void TObNumEdit::SetLeftMargin(int v)
{
    if (v < 0 || v == leftMargin_) return;
    leftMargin_ = v;
    AdjustWidth();
    update();
    UpdateCaretPos();
}

void TObNumEdit::SetRightMargin(int v)
{
    if (v < 0 || v == rightMargin_) return;
    rightMargin_ = v;
    AdjustWidth();
    update();
    UpdateCaretPos();
}

void TObNumEdit::SetAutoSize(bool v)
{
    autoSize_ = v;
    if (!autoSize_) {
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    } else {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    AdjustHeight();
    AdjustWidth();
    update();
    UpdateCaretPos();
}

void TObNumEdit::SetAutoSelect(bool v)
{
    autoSelect_ = v;
    update();
}

void TObNumEdit::SetBorderStyle(TBorderStyle v)
{
    borderStyle_ = v;
    ApplyFrame();
    SetAutoSize(autoSize_);
}

void TObNumEdit::SetCtl3D(bool v)
{
    if (v == ctl3D_) return;
    ctl3D_ = v;
    ApplyFrame();
    AdjustHeight();
    AdjustWidth();
    update();
}

QColor TObNumEdit::Color() const { return color_.isValid() ? color_ : palette().color(QPalette::Base); }

void TObNumEdit::SetColor(const QColor& c)
{
    color_ = c;
    update();
}

QColor TObNumEdit::DisabledColor() const
{
    return disabledColor_.isValid() ? disabledColor_ : palette().color(QPalette::Disabled, QPalette::Text);
}

void TObNumEdit::SetDisabledColor(const QColor& c)
{
    disabledColor_ = c;
    update();
}

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
    menu_->popup(e->globalPos());
    e->accept();
}

// ---- Measuring and layout -----------------------------------------------------------

int TObNumEdit::TextWidth(std::string_view s) const
{
    if (s.empty()) return 0;
    return QFontMetrics(font()).horizontalAdvance(ToQString(s)) + 1;
}

int TObNumEdit::DisplayWidth(std::string_view value) const { return TextWidth(model_.FormatDisplay(value)); }

int TObNumEdit::TypedWidth() const { return TextWidth(model_.TypedText()); }

int TObNumEdit::ValueAreaWidth() const { return TextWidth(model_.ValueTemplate()); }

int TObNumEdit::AvailableWidth() const
{
    const int b = (borderStyle_ == bsSingle && ctl3D_) ? 2 : 1;
    return ClientRect().width() - leftMargin_ - rightMargin_ - 2 * b;
}

int TObNumEdit::FrameWidth() const
{
    if (borderStyle_ == bsNone) return 0;
    return ctl3D_ ? 2 : 1;
}

QRect TObNumEdit::ClientRect() const { return contentsRect(); }

TObNumEdit::Layout TObNumEdit::ComputeLayout() const
{
    const QRect client = ClientRect();
    const int cw = client.width();
    const int ch = client.height();
    const int h = textHeight_;
    const std::string& value = model_.Text();
    const int a = ValueAreaWidth();
    const int t = TextWidth(model_.FormatValue(value));
    const bool marks = !value.empty() || model_.IntegerFixed() || model_.DecimalFixed();
    const int lm = marks ? TextWidth(model_.LeftMark()) : 0;
    const int rm = marks ? TextWidth(model_.RightMark()) : 0;
    const int w = a + lm + rm;
    const int m = (cw - leftMargin_ - rightMargin_) / 2;

    int xl = 0, xa = 0, xt = 0, xr = 0;
    switch (alignment_) {
    case taLeftJustify:
        xl = leftMargin_;
        xa = leftMargin_ + lm;
        xt = leftMargin_ + lm + (a - t);
        xr = leftMargin_ + lm + a;
        break;
    case taRightJustify:
        xl = cw - rm - rightMargin_ - a - lm - 1;
        xa = cw - rm - rightMargin_ - a - 1;
        xt = cw - rm - rightMargin_ - 1 - t;
        xr = cw - rm - rightMargin_ - 1;
        break;
    case taCenter:
        xl = leftMargin_ + m - w / 2;
        xa = leftMargin_ + m - w / 2 + lm;
        xt = leftMargin_ + m - w / 2 + lm + (a - t);
        xr = leftMargin_ + m + w / 2 - rm;
        break;
    }
    int y = 0;
    switch (vertAlignment_) {
    case taTopJustify: y = topMargin_; break;
    case taBottomJustify: y = ch - (h + bottomMargin_); break;
    case taVCenter: y = (ch - h - topMargin_ - bottomMargin_) / 2 + topMargin_; break;
    }
    const QPoint o = client.topLeft();
    Layout l;
    l.leftMark = QRect(o.x() + xl, o.y() + y, lm, h);
    l.valueArea = QRect(o.x() + xa, o.y() + y, a, h);
    l.text = QRect(o.x() + xt, o.y() + y, t, h);
    l.rightMark = QRect(o.x() + xr, o.y() + y, rm, h);
    return l;
}

QRect TObNumEdit::LeftMarkRect() const { return ComputeLayout().leftMark; }
QRect TObNumEdit::ValueAreaRect() const { return ComputeLayout().valueArea; }
QRect TObNumEdit::TextRect() const { return ComputeLayout().text; }
QRect TObNumEdit::RightMarkRect() const { return ComputeLayout().rightMark; }

QPoint TObNumEdit::CaretPoint() const
{
    const QRect r = TextRect();
    return QPoint(r.left() + TypedWidth() - 1, r.top());
}

void TObNumEdit::ApplyFrame()
{
    const int f = FrameWidth();
    setContentsMargins(f, f, f, f);
}

void TObNumEdit::MeasureFont()
{
    textHeight_ = QFontMetrics(font()).height();
    caretWidth_ = font().bold() ? 2 : 1;
}

void TObNumEdit::AdjustHeight()
{
    if (!autoSize_) return;
    setFixedHeight(textHeight_ + topMargin_ + bottomMargin_ + 2 * FrameWidth());
    updateGeometry();
}

// The width follows the largest value only inside a form designer; at run time
// it never changes with the value.
void TObNumEdit::AdjustWidth() {}

QSize TObNumEdit::sizeHint() const
{
    const int h = autoSize_ ? textHeight_ + topMargin_ + bottomMargin_ + 2 * FrameWidth() : 20;
    return QSize(121, h);
}

QSize TObNumEdit::minimumSizeHint() const { return QSize(2 * FrameWidth() + 1, sizeHint().height()); }

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

// ---- Keys and characters ---------------------------------------------------------

bool TObNumEdit::IsTableKey(int key, Qt::KeyboardModifiers mods) const
{
    if (mods == Qt::ShiftModifier) return key == Qt::Key_Left || key == Qt::Key_Right;
    if (mods == Qt::ControlModifier)
        return key == Qt::Key_A || key == Qt::Key_C || key == Qt::Key_V || key == Qt::Key_X;
    if (mods == Qt::NoModifier) {
        switch (key) {
        case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_End: case Qt::Key_Home:
        case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
        case Qt::Key_Backspace: case Qt::Key_Delete:
            return true;
        default:
            return false;
        }
    }
    return false;
}

bool TObNumEdit::HandleKey(int key, Qt::KeyboardModifiers mods)
{
    if (!IsTableKey(key, mods)) return false;
    const bool ro = model_.ReadOnly();
    if (mods == Qt::ShiftModifier) {
        SelectAll();
    } else if (mods == Qt::ControlModifier) {
        if (key == Qt::Key_A) SelectAll();
        else if (key == Qt::Key_C) CopyToClipboard();
        else if (key == Qt::Key_V) { if (!ro) PasteFromClipboard(); }
        else if (key == Qt::Key_X) { if (!ro) CutToClipboard(); }
    } else if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
        if (!ro) model_.DeleteLastChar();
    } else {
        SelectNone();
        if (key == Qt::Key_Up && model_.ArrowFocusMove() && model_.Options().Contains(eoArrowUp)) MoveFocus(false);
        if (key == Qt::Key_Down && model_.ArrowFocusMove() && model_.Options().Contains(eoArrowDown)) MoveFocus(true);
    }
    return true;
}

void TObNumEdit::HandleChar(int ch)
{
    if (model_.ReadOnly()) return;
    ch = MapWideCode(ch);
    char c = static_cast<char>(ch);
    switch (ch) {
    case 1: case 3: case 8: case 22: case 24:
        return;
    case 13:
        if (model_.EnterFocusMove()) MoveFocus(true);
        else if (model_.ErrorBeep()) Beep();
        return;
    case '-':
        model_.ToggleMinus(c);
        return;
    case '.':
        model_.InsertDecimalPoint(c);
        return;
    default:
        if (ch >= '0' && ch <= '9') model_.InsertDigit(c);
        else if (model_.ErrorBeep()) Beep();
        return;
    }
}

void TObNumEdit::MoveFocus(bool next)
{
    // Posted, like a dialog's next-control message: the key finishes first.
    QMetaObject::invokeMethod(this, [this, next] { focusNextPrevChild(next); }, Qt::QueuedConnection);
}

void TObNumEdit::keyPressEvent(QKeyEvent* e)
{
    int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers() & ~kIgnoredModifiers;
    emit keyDown(&key, mods);
    if (key == 0) {
        e->accept();
        return;
    }
    if (HandleKey(key, mods)) {
        e->accept();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::NoModifier) {
        e->accept();
        HandleChar(13);
        return;
    }
    const QString t = e->text();
    const bool alt = (mods & Qt::AltModifier) && !(mods & Qt::ControlModifier);
    if (t.isEmpty() || alt || e->key() == Qt::Key_Escape || e->key() == Qt::Key_Tab ||
        e->key() == Qt::Key_Backtab) {
        // Not a character for the box: the form may use it (Escape closes a dialog).
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    for (int code : CharCodes(t)) HandleChar(code);
}

void TObNumEdit::inputMethodEvent(QInputMethodEvent* e)
{
    const QString commit = e->commitString();
    e->accept();
    if (commit.isEmpty()) return;
    for (int code : CharCodes(commit)) HandleChar(code);
}

bool TObNumEdit::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        const Qt::KeyboardModifiers mods = k->modifiers() & ~kIgnoredModifiers;
        const bool plainChar = !k->text().isEmpty() && !(mods & (Qt::ControlModifier | Qt::AltModifier)) &&
                               k->key() != Qt::Key_Escape;
        if (IsTableKey(k->key(), mods) || plainChar) {
            e->accept();
            return true;
        }
    }
    return QWidget::event(e);
}

// ---- Mouse -------------------------------------------------------------------------

void TObNumEdit::mousePressEvent(QMouseEvent* e)
{
    if (!hasFocus() && focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton) {
        if (!dblClick_) SelectNone();
        dblClick_ = false;
    }
    QWidget::mousePressEvent(e);
}

// The press that belongs to a double click may come before or instead of the
// double-click event; the flag protects the selection only until the button is up.
void TObNumEdit::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) dblClick_ = false;
    QWidget::mouseReleaseEvent(e);
}

void TObNumEdit::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        SelectAll();
        update();
        emit doubleClicked();
        dblClick_ = true;
    }
    e->accept();
}

void TObNumEdit::mouseMoveEvent(QMouseEvent* e)
{
    if (e->buttons() & Qt::LeftButton) {
        const QRect r = TextRect();
        const int x = e->position().toPoint().x();
        if (x >= r.left() && x <= r.left() + r.width()) {
            SelectAll();
            update();
        }
    }
    QWidget::mouseMoveEvent(e);
}

// ---- Focus ------------------------------------------------------------------------

void TObNumEdit::focusInEvent(QFocusEvent* e)
{
    CreateEditCaret();
    // Window activation and a closing menu give the focus back; they do not enter.
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason) {
        emit entered();
        if (autoSelect_) SelectAll();
    }
    QWidget::focusInEvent(e);
}

void TObNumEdit::focusOutEvent(QFocusEvent* e)
{
    DestroyEditCaret();
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason) {
        emit exited();
        model_.LeaveControl();
        if (model_.HideSelection()) SelectNone();
    }
    QWidget::focusOutEvent(e);
}

// ---- Font, enabled state, size --------------------------------------------------------

void TObNumEdit::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (constructing_) return;
    switch (e->type()) {
    case QEvent::FontChange: {
        const bool focused = hasFocus();
        if (focused) DestroyEditCaret();
        MeasureFont();
        AdjustHeight();
        AdjustWidth();
        if (focused) CreateEditCaret();
        update();
        break;
    }
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
        update();
        break;
    default:
        break;
    }
}

void TObNumEdit::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    update();
    UpdateCaretPos();
}

}  // namespace hoxa
