// TObNumEdit: construction, properties, the layout of value and marks, and the
// reaction to font, enabled-state and size changes.  Painting and the caret are
// in ObNumEdit_paint.cpp, keys, input method, mouse and focus in
// ObNumEdit_input.cpp, the context menu and the clipboard in ObNumEdit_menu.cpp.
#include "widgets/ObNumEdit.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QTimer>

#include "base/Codec.h"
#include "base/MsgBox.h"

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
