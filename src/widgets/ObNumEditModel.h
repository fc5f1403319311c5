// The value side of the numeric edit box: the value text, its bounds, the
// formatting with thousands separators, fixed parts and marks, the calculator-like
// edit operations, undo and the change notification.  No widgets here; the box
// supplies width tests, beeps and repaints through ObNumEditHost.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "base/NumericText.h"

namespace hoxa {

enum TObNumEditOption {
    eoMinusOnly,      // a lone "-" survives leaving the box
    eoArrowUp,        // with ArrowFocusMove, Up moves to the previous control
    eoArrowDown,      // with ArrowFocusMove, Down moves to the next control
    eoAutoWidthSize,  // in a form designer, with AutoSize, the width follows the largest value
    eoORInputStop,    // input whose display would not fit the visible width is refused
};

// A set of TObNumEditOption.
class TObNumEditOptions {
public:
    constexpr TObNumEditOptions() = default;
    constexpr TObNumEditOptions(std::initializer_list<TObNumEditOption> options)
    {
        for (TObNumEditOption o : options) bits_ |= Bit(o);
    }
    constexpr bool Contains(TObNumEditOption o) const { return (bits_ & Bit(o)) != 0; }
    constexpr TObNumEditOptions& Include(TObNumEditOption o)
    {
        bits_ |= Bit(o);
        return *this;
    }
    constexpr TObNumEditOptions& Exclude(TObNumEditOption o)
    {
        bits_ &= ~Bit(o);
        return *this;
    }
    constexpr unsigned Bits() const { return bits_; }
    friend constexpr bool operator==(TObNumEditOptions, TObNumEditOptions) = default;

private:
    static constexpr unsigned Bit(TObNumEditOption o) { return 1u << static_cast<unsigned>(o); }
    unsigned bits_ = 0;
};

// What the value model needs from the box that shows it.
class ObNumEditHost {
public:
    virtual ~ObNumEditHost() = default;
    // Whether the display of this value fits the visible width (eoORInputStop).
    virtual bool FitsWidth(const std::string& value) { (void)value; return true; }
    // Refused input; only called when ErrorBeep is on.
    virtual void Beep() {}
    // The value or the display changed: repaint and move the caret.
    virtual void ValueShown() {}
    // A formatting property changed: adjust the width, repaint, move the caret.
    virtual void FormatChanged() {}
    // The selection changed: repaint.
    virtual void SelectionShown() {}
    // OnChange.
    virtual void Changed() {}
};

// A value cut into its parts: sign ("-" or empty), integer digits, point ("." or
// empty) and decimals.
struct ValueParts {
    std::string sign;
    std::string integer;
    std::string point;
    std::string decimals;
    friend bool operator==(const ValueParts&, const ValueParts&) = default;
};

class ObNumEditModel {
public:
    explicit ObNumEditModel(ObNumEditHost* host = nullptr);
    ObNumEditModel(const ObNumEditModel&) = delete;
    ObNumEditModel& operator=(const ObNumEditModel&) = delete;

    void SetHost(ObNumEditHost* host);

    // ---- Properties ---------------------------------------------------------
    int IntegerLength() const { return integerLength_; }
    void SetIntegerLength(int value);
    int DecimalLength() const { return decimalLength_; }
    void SetDecimalLength(int value);
    bool Minus() const { return minus_; }
    void SetMinus(bool value);
    bool Comma() const { return comma_; }
    void SetComma(bool value);
    bool ZeroEnabled() const { return zeroEnabled_; }
    void SetZeroEnabled(bool value);
    bool IntegerFixed() const { return integerFixed_; }
    void SetIntegerFixed(bool value);
    bool DecimalFixed() const { return decimalFixed_; }
    void SetDecimalFixed(bool value);
    const std::string& LeftMark() const { return leftMark_; }
    void SetLeftMark(std::string_view value);
    const std::string& RightMark() const { return rightMark_; }
    void SetRightMark(std::string_view value);

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    bool ErrorBeep() const { return errorBeep_; }
    void SetErrorBeep(bool value) { errorBeep_ = value; }
    bool ImageCopy() const { return imageCopy_; }
    void SetImageCopy(bool value) { imageCopy_ = value; }
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value) { hideSelection_ = value; }
    bool EnterFocusMove() const { return enterFocusMove_; }
    void SetEnterFocusMove(bool value) { enterFocusMove_ = value; }
    bool ArrowFocusMove() const { return arrowFocusMove_; }
    void SetArrowFocusMove(bool value) { arrowFocusMove_ = value; }
    TObNumEditOptions Options() const { return options_; }
    void SetOptions(TObNumEditOptions value) { options_ = value; }

    // The settings the filter and the zero normalisation look at.
    NumValueRules Rules() const;

    // ---- Pure text operations (no side effects) ----------------------------
    std::string FilterValue(std::string_view s) const;
    std::string NormalizeZeros(std::string_view s) const;
    static ValueParts SplitValue(std::string_view s);
    static std::string JoinValue(const ValueParts& parts);
    static std::string GroupThousands(std::string_view digits);
    std::string FormatValue(std::string_view value) const;    // display without marks
    std::string FormatDisplay(std::string_view value) const;  // display with marks
    std::string ValueTemplate() const;  // the current value, fixed parts at full width
    std::string MaxTemplate() const;    // the largest value the settings allow
    std::string TypedText() const;      // the part of the display before the caret

    // ---- State -------------------------------------------------------------
    // The value text: no separators, no marks, no padding.
    const std::string& Text() const { return value_; }
    // Filters and normalises s; nothing happens when s equals the value text.
    void SetText(std::string_view s);
    const std::string& DisplayText() const { return display_; }
    const std::string& UndoText() const { return undo_; }
    bool UndoAvailable() const { return undoAvailable_; }

    // The selection is all or nothing: 0 or the byte length of the display text.
    int SelLength() const;
    bool HasSelection() const { return SelLength() > 0; }
    void SelectAll();
    void SelectNone();

    // Window-text read: at most size - 1 bytes and a terminating zero; returns the
    // number of bytes copied (0 when size is 0 or less).
    int GetTextBuf(char* buffer, int size) const;

    // ---- Edit operations ---------------------------------------------------
    // Each typing operation clears ch (sets it to 0) when it consumed or refused it.
    void InsertDigit(char& ch);
    void InsertDecimalPoint(char& ch);
    void ToggleMinus(char& ch);
    void DeleteLastChar();
    void ClearValue();
    void Undo();
    void StoreUndo();
    void SwapUndo();
    // The value part of a paste: with a selection c replaces the value, else it is
    // appended; the result is filtered and normalised.
    void Paste(std::string_view c);
    // What copy and cut put on the clipboard: the display text with ImageCopy,
    // else the value text.
    std::string ClipboardText() const;
    // The value part of a cut (only with a selection): clear, then a second OnChange.
    void Cut();
    // Leaving the box: a lone "-" is cleared unless eoMinusOnly.
    void LeaveControl();

private:
    void Commit(std::string text, bool saveUndo);
    void UpdateDisplay();
    void Refilter();
    void Reformat();
    void Refused(char& ch);
    bool WidthOk(const std::string& t);

    ObNumEditHost* host_;

    int integerLength_ = 9;
    int decimalLength_ = 3;
    bool minus_ = true;
    bool comma_ = true;
    bool zeroEnabled_ = false;
    bool integerFixed_ = false;
    bool decimalFixed_ = false;
    std::string leftMark_;
    std::string rightMark_;
    bool readOnly_ = false;
    bool errorBeep_ = true;
    bool imageCopy_ = false;
    bool hideSelection_ = true;
    bool enterFocusMove_ = false;
    bool arrowFocusMove_ = false;
    TObNumEditOptions options_{eoArrowUp, eoArrowDown};

    std::string value_;
    std::string display_;
    std::string undo_;
    bool undoAvailable_ = false;
    bool selected_ = false;
};

}  // namespace hoxa
