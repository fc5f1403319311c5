// The value side of the numeric edit box: filter, zero rule, formatting, the
// typing operations, undo and how often a change is announced.
#include "widgets/ObNumEditModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace hoxa;

namespace {

// Records what the model asks of its box.
struct RecordingHost : ObNumEditHost {
    int beeps = 0;
    int changes = 0;
    int shown = 0;
    int formats = 0;
    std::size_t maxDisplay = 1000;  // FitsWidth: display length in bytes
    const ObNumEditModel* model = nullptr;
    std::vector<std::string> valuesAtChange;

    bool FitsWidth(const std::string& value) override { return model->FormatDisplay(value).size() <= maxDisplay; }
    void Beep() override { ++beeps; }
    void ValueShown() override { ++shown; }
    void FormatChanged() override { ++formats; }
    void Changed() override
    {
        ++changes;
        valuesAtChange.push_back(model->Text());
    }
};

struct Box {
    RecordingHost host;
    ObNumEditModel m{&host};
    Box() { host.model = &m; }

    // Types characters the way the box's character table routes them.
    void Type(std::string_view keys)
    {
        for (char k : keys) {
            char c = k;
            if (k == '-') m.ToggleMinus(c);
            else if (k == '.') m.InsertDecimalPoint(c);
            else if (k == '\b') m.DeleteLastChar();
            else m.InsertDigit(c);
            if (k != '\b') {
                EXPECT_EQ(c, 0) << "typed character not consumed: " << k;
            }
        }
    }
};

std::string Filtered(std::string_view in)
{
    ObNumEditModel m;
    m.SetText(in);
    return m.Text();
}

}  // namespace

TEST(ObNumEditFilter, TextWriteUnderDefaults)
{
    EXPECT_EQ(Filtered("123-4567"), "123");
    EXPECT_EQ(Filtered("０９０－１２３４"), "90");
    EXPECT_EQ(Filtered("〒123"), "");
    EXPECT_EQ(Filtered("1,234.5678"), "1234.567");
    EXPECT_EQ(Filtered("1234567890"), "");
    EXPECT_EQ(Filtered("123456789"), "123456789");
    EXPECT_EQ(Filtered("-0012"), "-12");
    EXPECT_EQ(Filtered(".5"), "0.5");
    EXPECT_EQ(Filtered("abc"), "");
    EXPECT_EQ(Filtered("12\x82"), "12");        // lone lead byte at the end
    EXPECT_EQ(Filtered("12\x82" "3"), "12");    // lead byte not followed by a trail byte
    EXPECT_EQ(Filtered("１，２３４．５"), "1234.5");  // full-width comma vanishes
    EXPECT_EQ(Filtered("12.3.4"), "12.3");
    EXPECT_EQ(Filtered(",-5"), "");             // '-' not at the first position of the text
    EXPECT_EQ(Filtered("-"), "-");
    EXPECT_EQ(Filtered("123456789.12345"), "123456789.123");
    EXPECT_EQ(Filtered("-123456789"), "-123456789");  // the sign is not a digit
    EXPECT_EQ(Filtered("12 3"), "12");
    EXPECT_EQ(Filtered("\xB1" "12"), "");       // half-width katakana is a single-byte non-digit
}

TEST(ObNumEditFilter, RulesChangeTheFilter)
{
    NumValueRules noMinus;
    noMinus.Minus = false;
    EXPECT_EQ(FilterValue("-5", noMinus), "");
    NumValueRules noDecimals;
    noDecimals.DecimalLength = 0;
    EXPECT_EQ(FilterValue("12.5", noDecimals), "12");
    NumValueRules two;
    two.IntegerLength = 2;
    EXPECT_EQ(FilterValue("99.999", two), "99.999");
    EXPECT_EQ(FilterValue("100", two), "");
    EXPECT_EQ(FilterValue("-99", two), "-99");
}

TEST(ObNumEditFilter, ZeroRule)
{
    const NumValueRules d;
    EXPECT_EQ(NormalizeZeros("007", d), "7");
    EXPECT_EQ(NormalizeZeros("000", d), "0");
    EXPECT_EQ(NormalizeZeros("0", d), "0");
    EXPECT_EQ(NormalizeZeros("-0", d), "-0");
    EXPECT_EQ(NormalizeZeros(".5", d), "0.5");
    EXPECT_EQ(NormalizeZeros("-00.50", d), "-0.50");
    EXPECT_EQ(NormalizeZeros("-", d), "-");
    EXPECT_EQ(NormalizeZeros("", d), "");
    EXPECT_EQ(NormalizeZeros("0.05", d), "0.05");
    NumValueRules keep;
    keep.ZeroEnabled = true;
    EXPECT_EQ(NormalizeZeros("007", keep), "007");
    ObNumEditModel m;
    m.SetZeroEnabled(true);
    m.SetText("-0012");
    EXPECT_EQ(m.Text(), "-0012");
}

TEST(ObNumEditFormat, PartsAndGrouping)
{
    EXPECT_EQ(ObNumEditModel::SplitValue("-12.50"), (ValueParts{"-", "12", ".", "50"}));
    EXPECT_EQ(ObNumEditModel::SplitValue("12."), (ValueParts{"", "12", ".", ""}));
    EXPECT_EQ(ObNumEditModel::SplitValue(""), (ValueParts{}));
    EXPECT_EQ(ObNumEditModel::JoinValue({"-", "1", ".", "5"}), "-1.5");
    EXPECT_EQ(ObNumEditModel::GroupThousands("1234567"), "1,234,567");
    EXPECT_EQ(ObNumEditModel::GroupThousands("123456"), "123,456");
    EXPECT_EQ(ObNumEditModel::GroupThousands("1234"), "1,234");
    EXPECT_EQ(ObNumEditModel::GroupThousands("123"), "123");
    EXPECT_EQ(ObNumEditModel::GroupThousands(""), "");
}

TEST(ObNumEditFormat, DisplayTable)
{
    ObNumEditModel m;
    EXPECT_EQ(m.FormatDisplay("1234567.5"), "1,234,567.5");
    EXPECT_EQ(m.FormatDisplay("-1234"), "-1,234");
    EXPECT_EQ(m.FormatDisplay("12."), "12.");
    EXPECT_EQ(m.FormatDisplay(""), "");
    m.SetComma(false);
    EXPECT_EQ(m.FormatDisplay("1234567.5"), "1234567.5");
    m.SetComma(true);

    ObNumEditModel f;
    f.SetDecimalFixed(true);
    f.SetDecimalLength(2);
    EXPECT_EQ(f.FormatDisplay("12"), "12.00");
    EXPECT_EQ(f.FormatDisplay("3.1"), "3.10");
    EXPECT_EQ(f.FormatDisplay(""), "0.00");
    EXPECT_EQ(f.FormatDisplay("-"), "-0.00");

    ObNumEditModel i;
    i.SetIntegerFixed(true);
    EXPECT_EQ(i.FormatDisplay(""), "0");
    EXPECT_EQ(i.FormatDisplay(".5"), "0.5");

    ObNumEditModel marks;
    marks.SetLeftMark("L");
    marks.SetRightMark("R");
    EXPECT_EQ(marks.FormatDisplay("1500"), "L1,500R");
    EXPECT_EQ(marks.FormatDisplay(""), "");
    marks.SetRightMark("円");
    EXPECT_EQ(marks.FormatDisplay("5"), "L5円");
}

TEST(ObNumEditFormat, Templates)
{
    ObNumEditModel m;
    EXPECT_EQ(m.MaxTemplate(), "-000,000,000.000");
    m.SetText("-1234.5");
    EXPECT_EQ(m.ValueTemplate(), "-1,234.5");  // without fixed flags: the formatted value
    EXPECT_EQ(m.TypedText(), "-1,234.5");
    m.SetDecimalLength(0);
    m.SetMinus(false);
    m.SetComma(false);
    EXPECT_EQ(m.MaxTemplate(), "000000000.");  // the point stays even without decimals

    ObNumEditModel f;
    f.SetIntegerLength(4);
    f.SetDecimalLength(2);
    f.SetIntegerFixed(true);
    f.SetDecimalFixed(true);
    f.SetText("3.1");
    EXPECT_EQ(f.ValueTemplate(), "-0,000.00");
    EXPECT_EQ(f.FormatValue(f.Text()), "3.10");
    EXPECT_EQ(f.TypedText(), "3.1");  // the caret stands before the padding
    f.SetText("");
    EXPECT_EQ(f.TypedText(), "0");
}

TEST(ObNumEditTyping, DigitsPointAndSign)
{
    Box b;
    b.Type("007");
    EXPECT_EQ(b.m.Text(), "7");

    Box p;
    p.Type(".");
    EXPECT_EQ(p.m.Text(), "0.");
    EXPECT_EQ(p.m.DisplayText(), "0.");
    p.Type("\b");
    EXPECT_EQ(p.m.Text(), "0");

    Box d;
    d.Type("1.234");
    EXPECT_EQ(d.host.beeps, 0);
    d.Type("5");  // fourth decimal
    EXPECT_EQ(d.m.Text(), "1.234");
    EXPECT_EQ(d.host.beeps, 1);
    d.Type(".");  // second point
    EXPECT_EQ(d.host.beeps, 2);

    Box n;
    n.Type("-123456789");
    EXPECT_EQ(n.m.Text(), "-123456789");
    EXPECT_EQ(n.host.beeps, 0);
    n.Type("1");  // tenth integer digit
    EXPECT_EQ(n.m.Text(), "-123456789");
    EXPECT_EQ(n.host.beeps, 1);
    n.Type(".1");  // decimals are still open
    EXPECT_EQ(n.m.Text(), "-123456789.1");

    Box t;
    t.Type("12-");
    EXPECT_EQ(t.m.Text(), "-12");
    t.Type("-");
    EXPECT_EQ(t.m.Text(), "12");

    Box z;
    z.m.SetIntegerLength(1);
    z.Type("00");  // counted before the zero rule
    EXPECT_EQ(z.m.Text(), "0");
    EXPECT_EQ(z.host.beeps, 1);
}

TEST(ObNumEditTyping, RefusalsBeepOnlyWithErrorBeep)
{
    Box b;
    b.m.SetErrorBeep(false);
    b.m.SetMinus(false);
    b.m.SetDecimalLength(0);
    b.Type("-.");
    EXPECT_EQ(b.m.Text(), "");
    EXPECT_EQ(b.host.beeps, 0);
    b.m.SetErrorBeep(true);
    b.Type("-.");
    EXPECT_EQ(b.host.beeps, 2);
    EXPECT_EQ(b.host.changes, 0);
}

TEST(ObNumEditTyping, ReadOnlySwallowsSilently)
{
    Box b;
    b.m.SetText("12");
    b.m.SetReadOnly(true);
    const int changes = b.host.changes;
    b.Type("3.-\b");
    EXPECT_EQ(b.m.Text(), "12");
    EXPECT_EQ(b.host.beeps, 0);
    EXPECT_EQ(b.host.changes, changes);
}

TEST(ObNumEditTyping, DeleteLastChar)
{
    Box b;
    b.m.SetText("12.5");
    b.Type("\b");
    EXPECT_EQ(b.m.Text(), "12");  // the point goes with the last decimal
    b.m.SetText("-5");
    b.Type("\b");
    EXPECT_EQ(b.m.Text(), "-");
    b.Type("\b\b");
    EXPECT_EQ(b.m.Text(), "");
}

TEST(ObNumEditTyping, SelectionIsReplaced)
{
    Box b;
    b.m.SetText("1234");
    b.m.SelectAll();
    EXPECT_EQ(b.m.SelLength(), 5);  // "1,234"
    b.Type("5");
    EXPECT_EQ(b.m.Text(), "5");
    EXPECT_EQ(b.m.SelLength(), 0);

    b.m.SelectAll();
    b.Type("\b");
    EXPECT_EQ(b.m.Text(), "");

    b.m.SetText("7");
    b.m.SelectAll();
    b.Type("-");
    EXPECT_EQ(b.m.Text(), "-");

    Box e;
    e.m.SelectAll();  // an empty display selects nothing
    EXPECT_EQ(e.m.SelLength(), 0);
    e.Type("5");
    EXPECT_EQ(e.m.SelLength(), 0);

    // Undo back to the empty value leaves nothing selected for the next digit.
    Box u;
    u.Type("8");
    u.m.Undo();
    EXPECT_EQ(u.m.Text(), "");
    u.Type("4");
    EXPECT_EQ(u.m.Text(), "4");
    EXPECT_EQ(u.m.SelLength(), 0);

    // A selection follows the display when the value is written.
    Box w;
    w.m.SetText("1");
    w.m.SelectAll();
    w.m.SetText("1234");
    EXPECT_EQ(w.m.SelLength(), 5);
    w.m.SetText("");
    EXPECT_EQ(w.m.SelLength(), 0);
    w.m.SetText("7");
    EXPECT_EQ(w.m.SelLength(), 0);
}

TEST(ObNumEditTyping, WidthStop)
{
    Box b;
    b.m.SetOptions({eoORInputStop});
    b.host.maxDisplay = 5;  // "1,234" fits, "12,345" does not
    b.Type("12345");
    EXPECT_EQ(b.m.Text(), "1234");
    EXPECT_EQ(b.host.beeps, 1);
    b.Type("-");  // "-1,234" is six bytes
    EXPECT_EQ(b.m.Text(), "1234");
    EXPECT_EQ(b.host.beeps, 2);

    Box off;  // without the option the width is not asked
    off.host.maxDisplay = 1;
    off.Type("12345");
    EXPECT_EQ(off.m.Text(), "12345");
}

TEST(ObNumEditUndo, SwapsAndStaysAvailable)
{
    Box b;
    EXPECT_FALSE(b.m.UndoAvailable());
    b.m.Undo();  // nothing to undo: no change announced
    EXPECT_EQ(b.host.changes, 0);
    b.m.SetText("12");
    EXPECT_FALSE(b.m.UndoAvailable());  // writing Text saves no undo
    b.Type("3");
    EXPECT_TRUE(b.m.UndoAvailable());
    b.m.Undo();
    EXPECT_EQ(b.m.Text(), "12");
    EXPECT_GT(b.m.SelLength(), 0);  // undo selects the restored value
    b.m.Undo();
    EXPECT_EQ(b.m.Text(), "123");
    b.m.Undo();
    EXPECT_EQ(b.m.Text(), "12");
    EXPECT_TRUE(b.m.UndoAvailable());
}

TEST(ObNumEditChange, AnnouncedExactlyAsOftenAsTheValueIsCommitted)
{
    Box b;
    b.m.SetText("5");
    EXPECT_EQ(b.host.changes, 1);
    b.m.SetText("5");  // same bytes: nothing happens
    EXPECT_EQ(b.host.changes, 1);
    b.m.SetText("05");  // different bytes, same value: still announced
    EXPECT_EQ(b.host.changes, 2);
    EXPECT_EQ(b.m.Text(), "5");

    // Property writes never announce, even when they change the value.
    b.m.SetText("2.345");
    const int before = b.host.changes;
    b.m.SetDecimalLength(1);
    EXPECT_EQ(b.m.Text(), "2.3");
    b.m.SetIntegerLength(0);
    EXPECT_EQ(b.m.Text(), "");
    b.m.SetComma(false);
    EXPECT_EQ(b.host.changes, before);
    EXPECT_GE(b.host.formats, 3);

    // Typing over a selection: the clear and the digit are two changes.
    Box s;
    s.m.SetText("99");
    s.m.SelectAll();
    s.host.changes = 0;
    s.Type("4");
    EXPECT_EQ(s.host.changes, 2);
    EXPECT_EQ(s.host.valuesAtChange.back(), "4");

    // A cut announces twice, the second time with the cleared value.
    s.m.SelectAll();
    s.host.changes = 0;
    s.m.Cut();
    EXPECT_EQ(s.host.changes, 2);
    EXPECT_EQ(s.m.Text(), "");
    s.m.Cut();  // nothing selected: nothing happens
    EXPECT_EQ(s.host.changes, 2);
}

TEST(ObNumEditProperties, DefaultsAndWriteRules)
{
    ObNumEditModel m;
    EXPECT_EQ(m.IntegerLength(), 9);
    EXPECT_EQ(m.DecimalLength(), 3);
    EXPECT_TRUE(m.Minus());
    EXPECT_TRUE(m.Comma());
    EXPECT_FALSE(m.ZeroEnabled());
    EXPECT_FALSE(m.IntegerFixed());
    EXPECT_FALSE(m.DecimalFixed());
    EXPECT_FALSE(m.ReadOnly());
    EXPECT_TRUE(m.ErrorBeep());
    EXPECT_TRUE(m.HideSelection());
    EXPECT_FALSE(m.ImageCopy());
    EXPECT_FALSE(m.EnterFocusMove());
    EXPECT_FALSE(m.ArrowFocusMove());
    EXPECT_EQ(m.Options(), (TObNumEditOptions{eoArrowUp, eoArrowDown}));
    EXPECT_FALSE(m.Options().Contains(eoMinusOnly));

    m.SetIntegerLength(-1);
    EXPECT_EQ(m.IntegerLength(), 9);
    m.SetDecimalLength(-3);
    EXPECT_EQ(m.DecimalLength(), 3);

    m.SetText("-12");
    m.SetMinus(false);
    EXPECT_EQ(m.Text(), "");  // a '-' stops the filter when Minus is off
    m.SetMinus(true);

    m.SetText("123");
    m.SetIntegerLength(2);
    EXPECT_EQ(m.Text(), "");

    // The stored value is not normalised when leading zeros are switched off again.
    ObNumEditModel z;
    z.SetZeroEnabled(true);
    z.SetText("007");
    z.SetZeroEnabled(false);
    EXPECT_EQ(z.Text(), "007");
    EXPECT_EQ(z.DisplayText(), "007");
}

TEST(ObNumEditPaste, AppendsOrReplaces)
{
    Box b;
    b.m.SetText("12");
    b.host.changes = 0;
    b.m.Paste("34,5");
    EXPECT_EQ(b.m.Text(), "12345");
    EXPECT_EQ(b.host.changes, 1);
    EXPECT_EQ(b.m.UndoText(), "12");
    b.m.SelectAll();
    b.m.Paste("００７．５");
    EXPECT_EQ(b.m.Text(), "7.5");
    EXPECT_EQ(b.m.SelLength(), 0);
    b.m.Paste("1");  // "7.51"
    b.m.Paste("x");
    EXPECT_EQ(b.m.Text(), "7.51");
    b.m.Paste("1234567890");  // no width test, but the bounds hold
    EXPECT_EQ(b.m.Text(), "7.511");
    b.m.SetText("123456789");
    b.m.Paste("0");  // ten integer digits: the whole value is refused
    EXPECT_EQ(b.m.Text(), "");
}

TEST(ObNumEditLeave, LoneMinus)
{
    Box b;
    b.Type("-");
    b.host.changes = 0;
    b.m.LeaveControl();
    EXPECT_EQ(b.m.Text(), "");
    EXPECT_EQ(b.host.changes, 0);  // no change announced

    Box keep;
    keep.m.SetOptions({eoMinusOnly});
    keep.Type("-");
    keep.m.LeaveControl();
    EXPECT_EQ(keep.m.Text(), "-");

    Box other;
    other.Type("-5");
    other.m.LeaveControl();
    EXPECT_EQ(other.m.Text(), "-5");
}

TEST(ObNumEditTextBuf, CopiesAtMostSizeMinusOne)
{
    ObNumEditModel m;
    m.SetText("12345");
    char buf[8];
    std::fill(std::begin(buf), std::end(buf), 'x');
    EXPECT_EQ(m.GetTextBuf(buf, 4), 3);
    EXPECT_STREQ(buf, "123");
    EXPECT_EQ(m.GetTextBuf(buf, 8), 5);
    EXPECT_STREQ(buf, "12345");
    EXPECT_EQ(m.GetTextBuf(buf, 1), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(m.GetTextBuf(buf, 0), 0);
    EXPECT_EQ(m.GetTextBuf(nullptr, 4), 0);
}

TEST(ObNumEditClipboardText, ImageCopyChoosesTheDisplay)
{
    ObNumEditModel m;
    m.SetText("1234567");
    m.SetRightMark("円");
    EXPECT_EQ(m.ClipboardText(), "1234567");
    m.SetImageCopy(true);
    EXPECT_EQ(m.ClipboardText(), "1,234,567円");
}
