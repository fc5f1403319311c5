// TObNumEdit: the calculator-like entry box for signed decimal numbers.  It keeps
// its own value text (ObNumEditModel), formats and paints it itself and shows a
// caret after the last typed character; it is not a line edit.  Digits and the
// point are appended at the end, the minus key toggles the sign, Backspace and
// Delete remove the last character, and a selection is all or nothing.
//
// Texts are CP932 byte strings (Text / SetText); the Qt property "text" and the
// accessible value carry the same value as QString.
#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>

#include <string>
#include <string_view>

#include "widgets/ObNumEditModel.h"

class QMenu;
class QAction;
class QTimer;

namespace hoxa {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TVertAlignment { taTopJustify, taBottomJustify, taVCenter };
enum TBorderStyle { bsNone, bsSingle };

class TObNumEdit : public QWidget, private ObNumEditHost {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY changed USER true)
    Q_PROPERTY(int integerLength READ IntegerLength WRITE SetIntegerLength)
    Q_PROPERTY(int decimalLength READ DecimalLength WRITE SetDecimalLength)
    Q_PROPERTY(bool minus READ Minus WRITE SetMinus)
    Q_PROPERTY(bool comma READ Comma WRITE SetComma)
    Q_PROPERTY(bool zeroEnabled READ ZeroEnabled WRITE SetZeroEnabled)
    Q_PROPERTY(bool integerFixed READ IntegerFixed WRITE SetIntegerFixed)
    Q_PROPERTY(bool decimalFixed READ DecimalFixed WRITE SetDecimalFixed)
    Q_PROPERTY(bool readOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool errorBeep READ ErrorBeep WRITE SetErrorBeep)
    Q_PROPERTY(bool imageCopy READ ImageCopy WRITE SetImageCopy)
    Q_PROPERTY(bool hideSelection READ HideSelection WRITE SetHideSelection)
    Q_PROPERTY(bool enterFocusMove READ EnterFocusMove WRITE SetEnterFocusMove)
    Q_PROPERTY(bool arrowFocusMove READ ArrowFocusMove WRITE SetArrowFocusMove)
    Q_PROPERTY(bool autoSelect READ AutoSelect WRITE SetAutoSelect)
    Q_PROPERTY(bool autoSize READ AutoSize WRITE SetAutoSize)

public:
    explicit TObNumEdit(QWidget* parent = nullptr);
    ~TObNumEdit() override;

    // ---- Value -------------------------------------------------------------
    std::string Text() const { return model_.Text(); }
    void SetText(std::string_view s) { model_.SetText(s); }
    QString text() const;
    void setText(const QString& s);
    const std::string& DisplayText() const { return model_.DisplayText(); }
    // Window-text read into a caller's buffer (see ObNumEditModel::GetTextBuf).
    int GetTextBuf(char* buffer, int size) const { return model_.GetTextBuf(buffer, size); }

    ObNumEditModel& Model() { return model_; }
    const ObNumEditModel& Model() const { return model_; }

    // ---- Value properties (forwarded to the model) ---------------------------
    int IntegerLength() const { return model_.IntegerLength(); }
    void SetIntegerLength(int v) { model_.SetIntegerLength(v); }
    int DecimalLength() const { return model_.DecimalLength(); }
    void SetDecimalLength(int v) { model_.SetDecimalLength(v); }
    bool Minus() const { return model_.Minus(); }
    void SetMinus(bool v) { model_.SetMinus(v); }
    bool Comma() const { return model_.Comma(); }
    void SetComma(bool v) { model_.SetComma(v); }
    bool ZeroEnabled() const { return model_.ZeroEnabled(); }
    void SetZeroEnabled(bool v) { model_.SetZeroEnabled(v); }
    bool IntegerFixed() const { return model_.IntegerFixed(); }
    void SetIntegerFixed(bool v) { model_.SetIntegerFixed(v); }
    bool DecimalFixed() const { return model_.DecimalFixed(); }
    void SetDecimalFixed(bool v) { model_.SetDecimalFixed(v); }
    const std::string& LeftMark() const { return model_.LeftMark(); }
    void SetLeftMark(std::string_view v) { model_.SetLeftMark(v); }
    const std::string& RightMark() const { return model_.RightMark(); }
    void SetRightMark(std::string_view v) { model_.SetRightMark(v); }
    bool ReadOnly() const { return model_.ReadOnly(); }
    void SetReadOnly(bool v) { model_.SetReadOnly(v); }
    bool ErrorBeep() const { return model_.ErrorBeep(); }
    void SetErrorBeep(bool v) { model_.SetErrorBeep(v); }
    bool ImageCopy() const { return model_.ImageCopy(); }
    void SetImageCopy(bool v) { model_.SetImageCopy(v); }
    bool HideSelection() const { return model_.HideSelection(); }
    void SetHideSelection(bool v) { model_.SetHideSelection(v); }
    bool EnterFocusMove() const { return model_.EnterFocusMove(); }
    void SetEnterFocusMove(bool v) { model_.SetEnterFocusMove(v); }
    bool ArrowFocusMove() const { return model_.ArrowFocusMove(); }
    void SetArrowFocusMove(bool v) { model_.SetArrowFocusMove(v); }
    TObNumEditOptions Options() const { return model_.Options(); }
    void SetOptions(TObNumEditOptions v) { model_.SetOptions(v); }

    // ---- Window properties ---------------------------------------------------
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TVertAlignment VertAlignment() const { return vertAlignment_; }
    void SetVertAlignment(TVertAlignment v);
    int TopMargin() const { return topMargin_; }
    void SetTopMargin(int v);
    int BottomMargin() const { return bottomMargin_; }
    void SetBottomMargin(int v);
    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int v);
    int RightMargin() const { return rightMargin_; }
    void SetRightMargin(int v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool v);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool v);
    // Background; an invalid colour means the palette's base colour.
    QColor Color() const;
    void SetColor(const QColor& c);
    // Text colour while disabled; an invalid colour means the palette's grey text.
    QColor DisabledColor() const;
    void SetDisabledColor(const QColor& c);

    // ---- Selection and clipboard -----------------------------------------------
    int SelLength() const { return model_.SelLength(); }
    void SelectAll() { model_.SelectAll(); }
    void SelectNone() { model_.SelectNone(); }
    void ClearValue() { model_.ClearValue(); }
    void Undo() { model_.Undo(); }
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    // ---- Context menu ---------------------------------------------------------
    // The box's own menu: eight items, the item's position is its tag.
    QMenu* PopupMenu() const { return menu_; }
    QAction* MenuItem(int tag) const;
    // The menu is opening: take the focus, set the enabled states.
    void PopupMenuPopup();
    // An item was chosen.
    void PopupMenuItemClick(int tag);

    // ---- Measuring and layout (widget coordinates) --------------------------
    int TextHeight() const { return textHeight_; }
    int CaretWidth() const { return caretWidth_; }
    int TextWidth(std::string_view s) const;
    int DisplayWidth(std::string_view value) const;
    int TypedWidth() const;
    int ValueAreaWidth() const;
    int AvailableWidth() const;
    QRect ClientRect() const;
    QRect LeftMarkRect() const;
    QRect ValueAreaRect() const;
    QRect TextRect() const;
    QRect RightMarkRect() const;
    QPoint CaretPoint() const;
    bool CaretShown() const { return caretOn_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    // OnChange: raised after the value changed.
    void changed();
    // OnKeyDown: runs before the box's own key handling; set *key to 0 to consume.
    void keyDown(int* key, Qt::KeyboardModifiers modifiers);
    // Raised for every refused input that beeps (ErrorBeep on).
    void beeped();
    void doubleClicked();
    void entered();
    void exited();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // ObNumEditHost
    bool FitsWidth(const std::string& value) override;
    void Beep() override;
    void ValueShown() override;
    void FormatChanged() override;
    void SelectionShown() override;
    void Changed() override;

    struct Layout {
        QRect leftMark, valueArea, text, rightMark;
    };
    Layout ComputeLayout() const;
    int FrameWidth() const;
    void ApplyFrame();
    void MeasureFont();
    void AdjustHeight();
    void AdjustWidth();
    void UpdateCaretPos();
    void CreateEditCaret();
    void DestroyEditCaret();
    void HandleChar(int ch);
    bool HandleKey(int key, Qt::KeyboardModifiers mods);
    bool IsTableKey(int key, Qt::KeyboardModifiers mods) const;
    void MoveFocus(bool next);

    ObNumEditModel model_;
    TAlignment alignment_ = taRightJustify;
    TVertAlignment vertAlignment_ = taVCenter;
    int topMargin_ = 2, bottomMargin_ = 2, leftMargin_ = 2, rightMargin_ = 2;
    bool autoSize_ = true;
    bool autoSelect_ = true;
    TBorderStyle borderStyle_ = bsSingle;
    bool ctl3D_ = true;
    QColor color_;
    QColor disabledColor_;

    int textHeight_ = 0;
    int caretWidth_ = 1;
    bool dblClick_ = false;
    bool constructing_ = true;
    bool caretExists_ = false;
    bool caretOn_ = false;
    QTimer* caretTimer_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* items_[8] = {};
};

}  // namespace hoxa
