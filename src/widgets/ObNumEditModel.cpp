#include "widgets/ObNumEditModel.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace hoxa {

namespace {

ObNumEditHost& NullHost()
{
    static ObNumEditHost host;
    return host;
}

}  // namespace

ObNumEditModel::ObNumEditModel(ObNumEditHost* host) : host_(host ? host : &NullHost()) {}

void ObNumEditModel::SetHost(ObNumEditHost* host) { host_ = host ? host : &NullHost(); }

// ---- Properties -------------------------------------------------------------

NumValueRules ObNumEditModel::Rules() const
{
    NumValueRules r;
    r.IntegerLength = integerLength_;
    r.DecimalLength = decimalLength_;
    r.Minus = minus_;
    r.ZeroEnabled = zeroEnabled_;
    return r;
}

// The selection covers the whole display, so an empty display has none.
void ObNumEditModel::UpdateDisplay()
{
    display_ = FormatDisplay(value_);
    if (display_.empty()) selected_ = false;
}

void ObNumEditModel::Refilter()
{
    value_ = FilterValue(value_);
    Reformat();
}

void ObNumEditModel::Reformat()
{
    UpdateDisplay();
    host_->FormatChanged();
}

void ObNumEditModel::SetIntegerLength(int value)
{
    if (value < 0 || value == integerLength_) return;
    integerLength_ = value;
    Refilter();
}

void ObNumEditModel::SetDecimalLength(int value)
{
    if (value < 0 || value == decimalLength_) return;
    decimalLength_ = value;
    Refilter();
}

void ObNumEditModel::SetMinus(bool value)
{
    if (value == minus_) return;
    minus_ = value;
    Refilter();
}

void ObNumEditModel::SetComma(bool value)
{
    if (value == comma_) return;
    comma_ = value;
    Reformat();
}

void ObNumEditModel::SetZeroEnabled(bool value)
{
    if (value == zeroEnabled_) return;
    zeroEnabled_ = value;
    Reformat();
}

void ObNumEditModel::SetIntegerFixed(bool value)
{
    if (value == integerFixed_) return;
    integerFixed_ = value;
    Reformat();
}

void ObNumEditModel::SetDecimalFixed(bool value)
{
    if (value == decimalFixed_) return;
    decimalFixed_ = value;
    Reformat();
}

void ObNumEditModel::SetLeftMark(std::string_view value)
{
    if (value == leftMark_) return;
    leftMark_ = value;
    Reformat();
}

void ObNumEditModel::SetRightMark(std::string_view value)
{
    if (value == rightMark_) return;
    rightMark_ = value;
    Reformat();
}

// ---- Pure text operations ----------------------------------------------------

std::string ObNumEditModel::FilterValue(std::string_view s) const { return hoxa::FilterValue(s, Rules()); }

std::string ObNumEditModel::NormalizeZeros(std::string_view s) const
{
    return hoxa::NormalizeZeros(s, Rules());
}

ValueParts ObNumEditModel::SplitValue(std::string_view s)
{
    ValueParts p;
    if (!s.empty() && s.front() == '-') {
        p.sign = "-";
        s.remove_prefix(1);
    }
    const std::size_t dot = s.find('.');
    if (dot == std::string_view::npos) {
        p.integer = s;
    } else {
        p.integer = s.substr(0, dot);
        p.point = ".";
        p.decimals = s.substr(dot + 1);
    }
    return p;
}

std::string ObNumEditModel::JoinValue(const ValueParts& p) { return p.sign + p.integer + p.point + p.decimals; }

std::string ObNumEditModel::GroupThousands(std::string_view digits)
{
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

std::string ObNumEditModel::FormatValue(std::string_view value) const
{
    ValueParts p = SplitValue(value);
    if (comma_) p.integer = GroupThousands(p.integer);
    if (decimalFixed_) {
        p.decimals = (p.decimals + std::string(decimalLength_, '0')).substr(0, decimalLength_);
        if (decimalLength_ > 0) p.point = ".";
    }
    if ((integerFixed_ || decimalFixed_) && p.integer.empty()) p.integer = "0";
    return JoinValue(p);
}

std::string ObNumEditModel::FormatDisplay(std::string_view value) const
{
    const std::string s = FormatValue(value);
    if (s.empty()) return s;
    return leftMark_ + s + rightMark_;
}

std::string ObNumEditModel::ValueTemplate() const
{
    ValueParts p = SplitValue(value_);
    if (integerFixed_) {
        p.integer.assign(integerLength_, '0');
        if (minus_) p.sign = "-";
    }
    if ((integerFixed_ || decimalFixed_) && p.integer.empty()) p.integer = "0";
    if (decimalFixed_) {
        p.point = ".";
        p.decimals.assign(decimalLength_, '0');
    }
    if (comma_) p.integer = GroupThousands(p.integer);
    return JoinValue(p);
}

std::string ObNumEditModel::MaxTemplate() const
{
    std::string zeros(integerLength_, '0');
    if (comma_) zeros = GroupThousands(zeros);
    return (minus_ ? "-" : "") + zeros + "." + std::string(decimalLength_, '0');
}

std::string ObNumEditModel::TypedText() const
{
    ValueParts p = SplitValue(value_);
    if (comma_) p.integer = GroupThousands(p.integer);
    if ((integerFixed_ || decimalFixed_) && p.integer.empty()) p.integer = "0";
    return JoinValue(p);
}

// ---- State -------------------------------------------------------------------

void ObNumEditModel::SetText(std::string_view s)
{
    if (s == value_) return;
    value_ = NormalizeZeros(FilterValue(s));
    UpdateDisplay();
    host_->ValueShown();
    host_->Changed();
}

int ObNumEditModel::SelLength() const { return selected_ ? static_cast<int>(display_.size()) : 0; }

void ObNumEditModel::SelectAll()
{
    selected_ = !display_.empty();
    host_->SelectionShown();
}

void ObNumEditModel::SelectNone()
{
    selected_ = false;
    host_->SelectionShown();
}

int ObNumEditModel::GetTextBuf(char* buffer, int size) const
{
    if (buffer == nullptr || size <= 0) return 0;
    const std::size_t n = std::min(value_.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, value_.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

// ---- Edit operations -----------------------------------------------------------

void ObNumEditModel::Commit(std::string text, bool saveUndo)
{
    if (saveUndo) StoreUndo();
    value_ = std::move(text);
    UpdateDisplay();
    host_->ValueShown();
    host_->Changed();
}

void ObNumEditModel::Refused(char& ch)
{
    if (errorBeep_) host_->Beep();
    ch = 0;
}

bool ObNumEditModel::WidthOk(const std::string& t)
{
    return !options_.Contains(eoORInputStop) || host_->FitsWidth(t);
}

void ObNumEditModel::StoreUndo()
{
    undo_ = value_;
    undoAvailable_ = true;
}

void ObNumEditModel::SwapUndo()
{
    std::swap(value_, undo_);
    undoAvailable_ = true;
}

void ObNumEditModel::InsertDigit(char& ch)
{
    if (readOnly_) {
        ch = 0;
        return;
    }
    if (HasSelection()) ClearValue();
    const std::size_t dot = value_.find('.');
    const bool hasPoint = dot != std::string::npos;
    const long sign = value_.find('-') != std::string::npos ? 1 : 0;
    const long integerDigits = static_cast<long>(hasPoint ? dot : value_.size()) - sign;
    const long decimalDigits = hasPoint ? static_cast<long>(value_.size() - dot - 1) : 0;
    bool accepted;
    if (decimalLength_ == 0 || !hasPoint) accepted = integerDigits < integerLength_;
    else accepted = decimalDigits < decimalLength_;
    if (!accepted) return Refused(ch);
    std::string t = NormalizeZeros(value_ + ch);
    if (!WidthOk(t)) return Refused(ch);
    Commit(std::move(t), true);
    ch = 0;
}

void ObNumEditModel::InsertDecimalPoint(char& ch)
{
    if (readOnly_) {
        ch = 0;
        return;
    }
    if (decimalLength_ == 0) return Refused(ch);
    if (HasSelection()) ClearValue();
    if (value_.find('.') != std::string::npos) return Refused(ch);
    const std::string t = value_ + '.';
    if (!WidthOk(t)) return Refused(ch);
    Commit(NormalizeZeros(t), true);
    ch = 0;
}

void ObNumEditModel::ToggleMinus(char& ch)
{
    if (readOnly_) {
        ch = 0;
        return;
    }
    if (!minus_) return Refused(ch);
    if (HasSelection()) ClearValue();
    const std::size_t at = value_.find('-');
    if (at != std::string::npos) {
        std::string t = value_;
        t.erase(at, 1);
        Commit(std::move(t), true);
    } else {
        std::string t = "-" + value_;
        if (!WidthOk(t)) return Refused(ch);
        Commit(std::move(t), true);
    }
    ch = 0;
}

void ObNumEditModel::DeleteLastChar()
{
    if (readOnly_ || value_.empty()) return;
    if (HasSelection()) {
        ClearValue();
        return;
    }
    std::string t = value_.substr(0, value_.size() - 1);
    if (!t.empty() && t.back() == '.') t.pop_back();
    Commit(std::move(t), true);
}

void ObNumEditModel::ClearValue()
{
    StoreUndo();
    value_.clear();
    UpdateDisplay();
    selected_ = false;
    host_->SelectionShown();
    host_->ValueShown();
    host_->Changed();
}

void ObNumEditModel::Undo()
{
    if (!undoAvailable_) return;
    SwapUndo();
    UpdateDisplay();
    selected_ = !display_.empty();
    host_->SelectionShown();
    host_->ValueShown();
    host_->Changed();
}

void ObNumEditModel::Paste(std::string_view c)
{
    StoreUndo();
    std::string t = HasSelection() ? FilterValue(c) : FilterValue(value_ + std::string(c));
    value_ = NormalizeZeros(t);
    selected_ = false;
    UpdateDisplay();
    host_->SelectionShown();
    host_->ValueShown();
    host_->Changed();
}

std::string ObNumEditModel::ClipboardText() const { return imageCopy_ ? display_ : value_; }

void ObNumEditModel::Cut()
{
    if (!HasSelection()) return;
    ClearValue();
    host_->Changed();
}

void ObNumEditModel::LeaveControl()
{
    if (value_ == "-" && !options_.Contains(eoMinusOnly)) {
        value_.clear();
        UpdateDisplay();
        host_->ValueShown();
    }
}

}  // namespace hoxa
