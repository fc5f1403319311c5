// The numeric edit box as a window: keys, characters, input method, mouse and
// focus, clipboard, context menu, layout and painting.
#include "widgets/ObNumEdit.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QImage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

#include "base/Codec.h"
#include "ui_promoted_form.h"

using namespace hoxa;

namespace {

void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(w, key, mods); }

void TypeChars(QWidget* w, const char* ascii)
{
    for (const char* p = ascii; *p; ++p) QTest::keyClick(w, *p);
}

// The events of a double click as the window system delivers them: the second
// press is followed by the double-click event, then the release.
void DoubleClick(QWidget* w)
{
    const QPoint at = w->rect().center();
    QTest::mousePress(w, Qt::LeftButton, {}, at);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
    QTest::mousePress(w, Qt::LeftButton, {}, at);
    QTest::mouseDClick(w, Qt::LeftButton, {}, at);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
}

void Commit(QWidget* w, const QString& text)
{
    QInputMethodEvent e;
    e.setCommitString(text);
    QApplication::sendEvent(w, &e);
}

// A window with a line edit, two boxes and a button, in this tab order.
struct Form {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QLineEdit* before = nullptr;
    TObNumEdit* first = nullptr;
    TObNumEdit* second = nullptr;
    QPushButton* after = nullptr;

    Form()
    {
        auto* layout = new QVBoxLayout(window.get());
        before = new QLineEdit;
        first = new TObNumEdit;
        second = new TObNumEdit;
        after = new QPushButton(QStringLiteral(u"OK"));
        after->setFocusPolicy(Qt::StrongFocus);
        auto* label = new QWidget;  // not focusable: skipped by the focus moves
        layout->addWidget(before);
        layout->addWidget(first);
        layout->addWidget(label);
        layout->addWidget(second);
        layout->addWidget(after);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QWidget* Focused() const { return QApplication::focusWidget(); }
};

// Counts the beeps of one box.
struct Beeps {
    QSignalSpy spy;
    explicit Beeps(TObNumEdit* w) : spy(w, &TObNumEdit::beeped) {}
    int count() const { return static_cast<int>(spy.count()); }
};

}  // namespace

TEST(ObNumEditKeys, TypingDigitsPointSignAndBackspace)
{
    TObNumEdit w;
    Beeps beeps(&w);
    QSignalSpy changes(&w, &TObNumEdit::changed);
    TypeChars(&w, "1234.5678");
    EXPECT_EQ(w.Text(), "1234.567");
    EXPECT_EQ(w.DisplayText(), "1,234.567");
    EXPECT_EQ(beeps.count(), 1);  // the fourth decimal
    EXPECT_EQ(changes.count(), 8);
    Key(&w, Qt::Key_Minus);
    EXPECT_EQ(w.Text(), "-1234.567");
    Key(&w, Qt::Key_Backspace);
    Key(&w, Qt::Key_Delete);  // removes the last character as well
    EXPECT_EQ(w.Text(), "-1234.5");
    Key(&w, Qt::Key_Backspace);
    EXPECT_EQ(w.Text(), "-1234");
    EXPECT_EQ(w.text(), QStringLiteral(u"-1234"));

    // Letters, Ctrl+Z and other characters beep and change nothing.
    const int before = beeps.count();
    TypeChars(&w, "a");
    Key(&w, Qt::Key_Z, Qt::ControlModifier);
    Key(&w, Qt::Key_Space);
    EXPECT_EQ(beeps.count(), before + 3);
    EXPECT_EQ(w.Text(), "-1234");
}

TEST(ObNumEditKeys, SelectionKeys)
{
    TObNumEdit w;
    w.SetText("1234");
    Key(&w, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(w.SelLength(), 5);
    Key(&w, Qt::Key_Left);
    EXPECT_EQ(w.SelLength(), 0);
    EXPECT_EQ(w.Text(), "1234");
    Key(&w, Qt::Key_A, Qt::ControlModifier);
    EXPECT_GT(w.SelLength(), 0);
    Key(&w, Qt::Key_Home);
    EXPECT_EQ(w.SelLength(), 0);

    // With everything selected a digit replaces the value, Backspace empties it.
    Key(&w, Qt::Key_Right, Qt::ShiftModifier);
    TypeChars(&w, "5");
    EXPECT_EQ(w.Text(), "5");
    Key(&w, Qt::Key_A, Qt::ControlModifier);
    Key(&w, Qt::Key_Backspace);
    EXPECT_EQ(w.Text(), "");

    // A combination the table does not list passes on untouched.
    w.SetText("9");
    Key(&w, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(w.SelLength(), 0);
}

TEST(ObNumEditKeys, ReadOnlyCopiesButDoesNotEdit)
{
    QGuiApplication::clipboard()->setText(QStringLiteral(u"77"));
    TObNumEdit w;
    Beeps beeps(&w);
    w.SetText("1234567");
    w.SetReadOnly(true);
    Key(&w, Qt::Key_A, Qt::ControlModifier);
    Key(&w, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral(u"1234567"));
    QGuiApplication::clipboard()->setText(QStringLiteral(u"77"));
    Key(&w, Qt::Key_V, Qt::ControlModifier);
    Key(&w, Qt::Key_X, Qt::ControlModifier);
    TypeChars(&w, "5x.-");
    Key(&w, Qt::Key_Backspace);
    EXPECT_EQ(w.Text(), "1234567");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral(u"77"));  // no cut
    EXPECT_EQ(beeps.count(), 0);  // silent
}

TEST(ObNumEditKeys, ClipboardWithAndWithoutImageCopy)
{
    TObNumEdit w;
    w.SetText("1234567");
    Key(&w, Qt::Key_C, Qt::ControlModifier);  // nothing selected: the clipboard stays
    QGuiApplication::clipboard()->setText(QStringLiteral(u"old"));
    Key(&w, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral(u"old"));

    w.SelectAll();
    Key(&w, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral(u"1234567"));
    w.SetImageCopy(true);
    Key(&w, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral(u"1,234,567"));
    w.SetRightMark("円");
    Key(&w, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral(u"1,234,567円"));
    w.SetComma(false);
    w.SetRightMark("");
    Key(&w, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral(u"1234567"));

    // Cut copies, empties and announces twice.
    QSignalSpy changes(&w, &TObNumEdit::changed);
    w.SelectAll();
    Key(&w, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(w.Text(), "");
    EXPECT_EQ(changes.count(), 2);

    // Paste appends without a selection, replaces with one; full-width text is filtered.
    w.SetText("12");
    QGuiApplication::clipboard()->setText(QStringLiteral(u"３,４"));
    Key(&w, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.Text(), "1234");
    QGuiApplication::clipboard()->setText(QStringLiteral(u"-0.50"));
    w.SelectAll();
    Key(&w, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.Text(), "-0.50");
}

TEST(ObNumEditKeys, EnterWithoutFocusMoveIsSilentAndReachesTheKeyHook)
{
    Form f;
    f.first->SetErrorBeep(false);
    f.first->setFocus(Qt::TabFocusReason);
    Beeps beeps(f.first);
    int hookKeys = 0;
    QObject::connect(f.first, &TObNumEdit::keyDown, [&](int* key, Qt::KeyboardModifiers) {
        if (*key == Qt::Key_Return) {
            ++hookKeys;
            *key = 0;  // the form handles it
        }
    });
    Key(f.first, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(hookKeys, 1);
    EXPECT_EQ(beeps.count(), 0);
    EXPECT_EQ(f.Focused(), f.first);

    // Without the hook and with ErrorBeep, Enter beeps and stays.
    TObNumEdit lone;
    Beeps loneBeeps(&lone);
    Key(&lone, Qt::Key_Return);
    EXPECT_EQ(loneBeeps.count(), 1);
}

TEST(ObNumEditFocus, EnterAndArrowsMoveAlongTheTabChain)
{
    Form f;
    f.first->SetEnterFocusMove(true);
    f.first->setFocus(Qt::TabFocusReason);
    Key(f.first, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Focused(), f.second);  // the unfocusable widget between is skipped

    // Arrows move only with ArrowFocusMove and the matching option.
    Key(f.second, Qt::Key_Up);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Focused(), f.second);
    f.second->SetArrowFocusMove(true);
    Key(f.second, Qt::Key_Up);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Focused(), f.first);
    f.second->setFocus(Qt::TabFocusReason);
    Key(f.second, Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Focused(), f.after);

    f.second->setFocus(Qt::TabFocusReason);
    f.second->SetOptions({eoArrowUp});
    Key(f.second, Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Focused(), f.second);
}

TEST(ObNumEditFocus, ClickLeavesNothingSelectedTabSelectsAll)
{
    Form f;
    f.first->SetText("1234");
    f.second->SetText("5678");
    f.first->setFocus(Qt::TabFocusReason);
    EXPECT_GT(f.first->SelLength(), 0);

    QTest::mouseClick(f.second, Qt::LeftButton, {}, f.second->rect().center());
    EXPECT_EQ(f.Focused(), f.second);
    EXPECT_EQ(f.second->SelLength(), 0);
    EXPECT_EQ(f.first->SelLength(), 0);  // HideSelection on leaving

    QTest::keyClick(f.second, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(f.Focused(), f.first);
    EXPECT_GT(f.first->SelLength(), 0);
    QTest::keyClick(f.first, Qt::Key_Tab);
    EXPECT_EQ(f.Focused(), f.second);
    EXPECT_EQ(f.second->SelLength(), static_cast<int>(f.second->DisplayText().size()));

    // A double click selects all and keeps it after the release.
    QTest::mouseClick(f.second, Qt::LeftButton, {}, f.second->rect().center());
    EXPECT_EQ(f.second->SelLength(), 0);
    DoubleClick(f.second);
    EXPECT_GT(f.second->SelLength(), 0);
    // The next single click removes it again.
    QTest::mouseClick(f.second, Qt::LeftButton, {}, f.second->rect().center());
    EXPECT_EQ(f.second->SelLength(), 0);

    // HideSelection off keeps the selection when the focus goes.
    f.second->SetHideSelection(false);
    f.second->SelectAll();
    f.after->setFocus(Qt::TabFocusReason);
    EXPECT_GT(f.second->SelLength(), 0);
}

TEST(ObNumEditFocus, LeavingWithALoneMinus)
{
    Form f;
    f.first->setFocus(Qt::TabFocusReason);
    QTest::keyClick(f.first, '-');
    EXPECT_EQ(f.first->Text(), "-");
    QTest::keyClick(f.first, Qt::Key_Tab);
    EXPECT_EQ(f.first->Text(), "");

    f.second->SetOptions({eoMinusOnly});
    QTest::keyClick(f.second, '-');
    QTest::keyClick(f.second, Qt::Key_Tab);
    EXPECT_EQ(f.second->Text(), "-");
}

TEST(ObNumEditInputMethod, FullWidthCommitsBecomeAscii)
{
    TObNumEdit w;
    EXPECT_TRUE(w.testAttribute(Qt::WA_InputMethodEnabled));
    Beeps beeps(&w);
    Commit(&w, QStringLiteral(u"０１２３４５６７８"));
    EXPECT_EQ(w.Text(), "12345678");
    Commit(&w, QStringLiteral(u"９"));
    EXPECT_EQ(w.Text(), "123456789");
    Commit(&w, QStringLiteral(u"．５"));
    Commit(&w, QStringLiteral(u"－"));
    EXPECT_EQ(w.Text(), "-123456789.5");
    Commit(&w, QStringLiteral(u"−"));  // the JIS-style minus of some input methods
    EXPECT_EQ(w.Text(), "123456789.5");
    EXPECT_EQ(beeps.count(), 0);
    Commit(&w, QStringLiteral(u"あ"));
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_EQ(w.Text(), "123456789.5");
}

TEST(ObNumEditMenu, CaptionsAndEnabledStates)
{
    TObNumEdit w;
    w.show();
    ASSERT_NE(w.PopupMenu(), nullptr);
    const char* captions[8] = {"元に戻す(&U)", nullptr, "切り取り(&T)", "コピー(&C)",
                               "貼り付け(&P)", "削除(&D)", nullptr, "すべて選択(&A)"};
    for (int tag = 0; tag < 8; ++tag) {
        QAction* a = w.MenuItem(tag);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->data().toInt(), tag);
        if (captions[tag]) EXPECT_EQ(a->text(), ToQString(captions[tag]));
        else EXPECT_TRUE(a->isSeparator());
    }
    auto enabled = [&](int tag) { return w.MenuItem(tag)->isEnabled(); };

    QGuiApplication::clipboard()->clear();
    w.PopupMenuPopup();
    EXPECT_FALSE(enabled(0));  // no undo yet
    EXPECT_FALSE(enabled(2));
    EXPECT_FALSE(enabled(3));
    EXPECT_FALSE(enabled(4));  // no text on the clipboard
    EXPECT_FALSE(enabled(5));
    EXPECT_FALSE(enabled(7));  // empty value

    QTest::keyClick(&w, '4');
    QTest::keyClick(&w, '2');
    w.SelectNone();
    QGuiApplication::clipboard()->setText(QStringLiteral(u"1"));
    w.PopupMenuPopup();
    EXPECT_TRUE(enabled(0));
    EXPECT_FALSE(enabled(2));
    EXPECT_FALSE(enabled(3));
    EXPECT_TRUE(enabled(4));
    EXPECT_FALSE(enabled(5));
    EXPECT_TRUE(enabled(7));

    w.SelectAll();
    w.PopupMenuPopup();
    EXPECT_TRUE(enabled(2));
    EXPECT_TRUE(enabled(3));
    EXPECT_TRUE(enabled(5));
    EXPECT_FALSE(enabled(7));

    w.SetReadOnly(true);
    w.PopupMenuPopup();
    EXPECT_FALSE(enabled(0));
    EXPECT_FALSE(enabled(2));
    EXPECT_TRUE(enabled(3));  // copying still works
    EXPECT_FALSE(enabled(4));
    EXPECT_FALSE(enabled(5));
    w.SetReadOnly(false);

    // Choosing an item as the open menu does; a disabled item does nothing.
    auto choose = [&](int tag) {
        w.PopupMenuPopup();
        w.MenuItem(tag)->trigger();
    };
    choose(5);  // delete
    EXPECT_EQ(w.Text(), "");
    choose(5);  // nothing selected any more: disabled
    choose(0);  // undo: back, selected
    EXPECT_EQ(w.Text(), "42");
    EXPECT_GT(w.SelLength(), 0);
    choose(0);  // a second undo swaps again
    EXPECT_EQ(w.Text(), "");
    choose(0);
    w.SelectNone();
    choose(7);
    EXPECT_GT(w.SelLength(), 0);
    choose(3);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral(u"42"));
    QGuiApplication::clipboard()->setText(QStringLiteral(u"5"));
    choose(4);  // paste over the selection
    EXPECT_EQ(w.Text(), "5");
}

TEST(ObNumEditWindow, TextPropertyAndAccessibleValue)
{
    TObNumEdit w;
    QSignalSpy changes(&w, &TObNumEdit::changed);
    EXPECT_TRUE(w.setProperty("text", QStringLiteral(u"１２．５")));
    EXPECT_EQ(w.Text(), "12.5");
    EXPECT_EQ(w.property("text").toString(), QStringLiteral(u"12.5"));
    EXPECT_EQ(changes.count(), 1);
    char buf[4];
    EXPECT_EQ(w.GetTextBuf(buf, 4), 3);
    EXPECT_STREQ(buf, "12.");

    QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(&w);
    ASSERT_NE(acc, nullptr);
    EXPECT_EQ(acc->role(), QAccessible::EditableText);
    EXPECT_EQ(acc->text(QAccessible::Value), QStringLiteral(u"12.5"));
    acc->setText(QAccessible::Value, QStringLiteral(u"-7"));
    EXPECT_EQ(w.Text(), "-7");

    // Designer forms set properties by name.
    EXPECT_TRUE(w.setProperty("decimalLength", 1));
    EXPECT_EQ(w.DecimalLength(), 1);
    EXPECT_TRUE(w.setProperty("errorBeep", false));
    EXPECT_FALSE(w.ErrorBeep());
}

TEST(ObNumEditWindow, DefaultsAutoSizeAndFont)
{
    TObNumEdit w;
    EXPECT_EQ(w.width(), 121);
    EXPECT_EQ(w.Alignment(), taRightJustify);
    EXPECT_EQ(w.VertAlignment(), taVCenter);
    EXPECT_EQ(w.LeftMargin(), 2);
    EXPECT_EQ(w.BorderStyle(), bsSingle);
    EXPECT_TRUE(w.AutoSize());
    EXPECT_TRUE(w.AutoSelect());
    EXPECT_EQ(w.focusPolicy(), Qt::StrongFocus);
    QFontMetrics fm(w.font());
    EXPECT_EQ(w.TextHeight(), fm.height());
    EXPECT_EQ(w.ClientRect().height(), fm.height() + 4);
    EXPECT_EQ(w.height(), fm.height() + 4 + 4);  // the sunken edge takes two pixels a side
    EXPECT_EQ(w.CaretWidth(), 1);

    QFont big = w.font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    w.setFont(big);
    EXPECT_EQ(w.TextHeight(), QFontMetrics(big).height());
    EXPECT_EQ(w.ClientRect().height(), QFontMetrics(big).height() + 4);
    EXPECT_EQ(w.CaretWidth(), 2);

    w.SetTopMargin(-1);  // ignored
    EXPECT_EQ(w.TopMargin(), 2);
    w.SetTopMargin(5);
    EXPECT_EQ(w.ClientRect().height(), QFontMetrics(big).height() + 7);

    w.SetAutoSize(false);
    w.resize(121, 80);
    EXPECT_EQ(w.height(), 80);
}

TEST(ObNumEditWindow, WidthStopUsesTheVisibleWidth)
{
    TObNumEdit w;
    w.SetOptions({eoORInputStop});
    Beeps beeps(&w);
    w.resize(50, w.height());
    TypeChars(&w, "999999999");
    EXPECT_EQ(beeps.count(), 9 - static_cast<int>(w.Text().size()));
    EXPECT_FALSE(w.Text().empty());
    EXPECT_LE(w.DisplayWidth(w.Text()), w.AvailableWidth());
    EXPECT_GT(w.DisplayWidth(w.Text() + "9"), w.AvailableWidth());
}

// ---- Layout and painting -----------------------------------------------------------

namespace {

// The horizontal extent of pixels that differ from the background in rows [top, bottom).
std::pair<int, int> InkColumns(const QImage& img, QRect area, QRgb background)
{
    int first = -1, last = -1;
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (img.pixel(x, y) != background) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

struct Painted {
    TObNumEdit w;
    Painted()
    {
        QFont f = w.font();
        f.setStyleStrategy(QFont::NoAntialias);
        w.setFont(f);
        QPalette pal = w.palette();
        pal.setColor(QPalette::Base, Qt::white);
        pal.setColor(QPalette::Text, Qt::black);
        w.setPalette(pal);
        w.resize(160, w.height());
    }
    QImage Grab() { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

}  // namespace

TEST(ObNumEditLayout, RightAlignmentWithoutMarks)
{
    Painted p;
    p.w.SetText("1234567");
    const QRect client = p.w.ClientRect();
    const QFontMetrics fm(p.w.font());
    const QString shown = QStringLiteral(u"1,234,567");
    const int t = fm.horizontalAdvance(shown) + 1;
    const int cw = client.width();

    // The text ends one pixel left of the right margin.
    const QRect r = p.w.TextRect();
    EXPECT_EQ(r.left() - client.left(), cw - 2 - 1 - t);
    EXPECT_EQ(r.left() + r.width() - client.left(), cw - 2 - 1);
    EXPECT_EQ(r.height(), fm.height());
    EXPECT_EQ(r.top() - client.top(), (client.height() - fm.height() - 4) / 2 + 2);

    // The ink lies where the font metrics put the glyphs.
    const QImage img = p.Grab();
    const QRect tight = fm.tightBoundingRect(shown);
    const auto [first, last] = InkColumns(img, client, qRgb(255, 255, 255));
    EXPECT_NEAR(first, r.left() + tight.left(), 1);
    EXPECT_NEAR(last, r.left() + tight.right(), 1);
    EXPECT_LE(last, client.left() + cw - 2 - 2);
}

TEST(ObNumEditLayout, RightAlignmentWithMarks)
{
    Painted p;
    p.w.SetLeftMark("$");
    p.w.SetRightMark("mm");
    p.w.SetText("1500");
    const QRect client = p.w.ClientRect();
    const QFontMetrics fm(p.w.font());
    const int cw = client.width();
    const int rm = fm.horizontalAdvance(QStringLiteral(u"mm")) + 1;
    const int lm = fm.horizontalAdvance(QStringLiteral(u"$")) + 1;
    const int t = fm.horizontalAdvance(QStringLiteral(u"1,500")) + 1;

    const QRect right = p.w.RightMarkRect();
    const QRect text = p.w.TextRect();
    const QRect left = p.w.LeftMarkRect();
    EXPECT_EQ(right.left() - client.left(), cw - rm - 2 - 1);
    EXPECT_EQ(right.width(), rm);
    EXPECT_EQ(text.left() - client.left(), cw - rm - 2 - 1 - t);
    EXPECT_EQ(text.left() + text.width(), right.left());
    EXPECT_EQ(left.left() - client.left(), cw - rm - 2 - t - lm - 1);
    EXPECT_EQ(left.left() + left.width(), text.left());

    const QImage img = p.Grab();
    const QRgb white = qRgb(255, 255, 255);
    const auto digits = InkColumns(img, QRect(text.left(), client.top(), text.width(), client.height()), white);
    const auto mark = InkColumns(img, QRect(right.left(), client.top(), right.width(), client.height()), white);
    const auto dollar = InkColumns(img, QRect(client.left(), client.top(), text.left() - client.left(), client.height()), white);
    const QRect tightDigits = fm.tightBoundingRect(QStringLiteral(u"1,500"));
    const QRect tightMark = fm.tightBoundingRect(QStringLiteral(u"mm"));
    EXPECT_NEAR(digits.second, text.left() + tightDigits.right(), 1);
    EXPECT_NEAR(mark.first, right.left() + tightMark.left(), 1);
    EXPECT_NEAR(mark.second, right.left() + tightMark.right(), 1);
    EXPECT_GE(dollar.first, left.left());
    EXPECT_LT(dollar.second, text.left());

    // An empty value shows no marks and takes no room for them.
    p.w.SetText("");
    EXPECT_EQ(p.w.RightMarkRect().width(), 0);
    const QImage empty = p.Grab();
    EXPECT_EQ(InkColumns(empty, client, white).first, -1);
}

TEST(ObNumEditLayout, LeftAndCentreAndFixedWidth)
{
    Painted p;
    p.w.SetText("12");
    const QRect client = p.w.ClientRect();
    const QFontMetrics fm(p.w.font());
    const int t = fm.horizontalAdvance(QStringLiteral(u"12")) + 1;

    p.w.SetAlignment(taLeftJustify);
    EXPECT_EQ(p.w.TextRect().left() - client.left(), 2);
    p.w.SetAlignment(taCenter);
    const int m = (client.width() - 4) / 2;
    EXPECT_EQ(p.w.TextRect().left() - client.left(), 2 + m - t / 2);

    // A fixed integer part widens the value area; the text stays right-aligned in it.
    p.w.SetAlignment(taLeftJustify);
    p.w.SetIntegerLength(4);
    p.w.SetIntegerFixed(true);
    const int a = fm.horizontalAdvance(QStringLiteral(u"-0,000")) + 1;
    EXPECT_EQ(p.w.ValueAreaRect().width(), a);
    EXPECT_EQ(p.w.TextRect().left() - client.left(), 2 + (a - t));

    p.w.SetVertAlignment(taTopJustify);
    EXPECT_EQ(p.w.TextRect().top() - client.top(), 2);
    p.w.SetAutoSize(false);
    p.w.resize(160, 60);
    p.w.SetVertAlignment(taBottomJustify);
    EXPECT_EQ(p.w.TextRect().top() - p.w.ClientRect().top(), p.w.ClientRect().height() - fm.height() - 2);
}

TEST(ObNumEditLayout, SelectionAndDisabledColours)
{
    Painted p;
    QPalette pal = p.w.palette();
    pal.setColor(QPalette::Highlight, Qt::blue);
    pal.setColor(QPalette::HighlightedText, Qt::yellow);
    p.w.setPalette(pal);
    p.w.SetText("88");
    p.w.SelectAll();
    const QRect text = p.w.TextRect();
    QImage img = p.Grab();
    EXPECT_EQ(img.pixel(text.left(), text.top()), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(p.w.ClientRect().left(), text.top()), qRgb(255, 255, 255));

    p.w.SetDisabledColor(Qt::red);
    p.w.setEnabled(false);  // disabled wins over the selection
    img = p.Grab();
    EXPECT_EQ(img.pixel(text.left(), text.top()), qRgb(255, 255, 255));
    bool red = false;
    for (int x = text.left(); x < text.left() + text.width(); ++x)
        for (int y = text.top(); y < text.top() + text.height(); ++y) red = red || img.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_TRUE(red);
}

TEST(ObNumEditCaret, StandsAfterTheTypedText)
{
    Form f;
    TObNumEdit* w = f.first;
    w->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(w->CaretShown());
    w->SetDecimalFixed(true);
    w->SetDecimalLength(2);
    TypeChars(w, "3.1");
    const QFontMetrics fm(w->font());
    // The display shows 3.10; the caret follows 3.1, before the padding.
    EXPECT_EQ(w->CaretPoint().x(), w->TextRect().left() + fm.horizontalAdvance(QStringLiteral(u"3.1")));
    EXPECT_LT(w->CaretPoint().x(), w->TextRect().left() + w->TextRect().width() - 1);
    EXPECT_EQ(w->inputMethodQuery(Qt::ImCursorRectangle).toRect().topLeft(), w->CaretPoint());
    f.after->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(w->CaretShown());
}

TEST(ObNumEditCaret, BlinksWithTheCursorFlashTime)
{
    const int saved = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(100);
    Form f;
    f.first->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(f.first->CaretShown());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.first->CaretShown(); }, 1000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.first->CaretShown(); }, 1000));
    QApplication::setCursorFlashTime(saved);
}

TEST(ObNumEditMouse, DraggingOverTheTextSelectsAll)
{
    Form f;
    f.first->SetText("123456");
    f.first->setFocus(Qt::TabFocusReason);
    const QRect text = f.first->TextRect();
    const QPoint outside(f.first->ClientRect().left() + 1, text.center().y());
    ASSERT_LT(outside.x(), text.left());
    QTest::mousePress(f.first, Qt::LeftButton, {}, outside);
    EXPECT_EQ(f.first->SelLength(), 0);
    QTest::mouseMove(f.first, outside + QPoint(1, 0));
    EXPECT_EQ(f.first->SelLength(), 0);  // not over the text yet
    QTest::mouseMove(f.first, text.center());
    EXPECT_GT(f.first->SelLength(), 0);
    QTest::mouseRelease(f.first, Qt::LeftButton, {}, text.center());
}

TEST(ObNumEditMenu, RightClickOpensTheMenuAndKeepsTheSelection)
{
    Form f;
    f.second->SetText("1234567");
    f.before->setFocus(Qt::TabFocusReason);
    // The right button takes the focus; entering selects all.
    QTest::mousePress(f.second, Qt::RightButton, {}, f.second->rect().center());
    QTest::mouseRelease(f.second, Qt::RightButton, {}, f.second->rect().center());
    EXPECT_EQ(f.Focused(), f.second);
    EXPECT_GT(f.second->SelLength(), 0);

    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, f.second->rect().center(),
                                f.second->mapToGlobal(f.second->rect().center()));
    QApplication::sendEvent(f.second, &menuEvent);
    EXPECT_TRUE(f.second->PopupMenu()->isVisible());
    EXPECT_TRUE(f.second->MenuItem(3)->isEnabled());
    // The open menu takes the keyboard; that is not leaving the box.
    EXPECT_GT(f.second->SelLength(), 0);
    f.second->MenuItem(3)->trigger();
    f.second->PopupMenu()->hide();
    QCoreApplication::processEvents();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral(u"1234567"));
    EXPECT_GT(f.second->SelLength(), 0);
}

// The width of what an item of a shown menu draws: its caption's glyphs.
int ItemInk(QMenu* menu, QAction* item)
{
    const QImage img = menu->grab().toImage();
    const QRect r = menu->actionGeometry(item).adjusted(4, 2, -4, -2);
    const QRgb fill = img.pixel(r.right(), r.top());
    int left = r.right(), right = r.left();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (std::abs(qGray(img.pixel(x, y)) - qGray(fill)) > 60) left = std::min(left, x), right = std::max(right, x);
    return right - left;
}

TEST(ObNumEditMenu, EveryCaptionIsDrawnWhole)
{
    // The program's window font, a proportional one.
    const QFont old = QApplication::font();
    QFont font(ToQString("ＭＳ Ｐゴシック"));
    font.setPixelSize(16);
    QApplication::setFont(font);
    {
        Form f;
        f.second->SetText("12");
        QContextMenuEvent open(QContextMenuEvent::Mouse, f.second->rect().center(),
                               f.second->mapToGlobal(f.second->rect().center()));
        QApplication::sendEvent(f.second, &open);
        QMenu* menu = f.second->PopupMenu();
        ASSERT_TRUE(menu->isVisible());
        for (QAction* item : menu->actions()) {
            if (item->isSeparator()) continue;
            // The same caption in a menu with all the room it wants.
            QMenu roomy;
            QAction* same = roomy.addAction(item->text());
            same->setEnabled(item->isEnabled());
            roomy.setMinimumWidth(400);
            roomy.resize(roomy.sizeHint());
            EXPECT_EQ(ItemInk(menu, item), ItemInk(&roomy, same)) << FromQString(item->text());
        }
        menu->hide();
    }
    QApplication::setFont(old);
}

TEST(ObNumEditDesigner, PromotedWidgetInAForm)
{
    QWidget form;
    Ui::PromotedForm ui;
    ui.setupUi(&form);
    ASSERT_NE(ui.ObNumEdit_TOP, nullptr);
    EXPECT_FALSE(ui.ObNumEdit_TOP->ErrorBeep());
    EXPECT_EQ(ui.ObNumEdit_TOP->DecimalLength(), 0);
    EXPECT_TRUE(ui.ObNumEdit_LEFT->ErrorBeep());
    ui.ObNumEdit_TOP->SetText("12.5");
    EXPECT_EQ(ui.ObNumEdit_TOP->Text(), "12");
    // AutoSize holds the height inside the layout.
    form.show();
    const int h = ui.ObNumEdit_TOP->TextHeight() + 4 + 4;
    EXPECT_EQ(ui.ObNumEdit_TOP->height(), h);
}
