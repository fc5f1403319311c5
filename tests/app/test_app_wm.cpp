// What a real window manager decides, on a private X server with openbox
// (tests/support/with_xserver.sh): where the focus lands and what the guidance
// panel says once a message box has gone, the margin dialog's outer size on its
// first showing, and message-box captions the title bar shows whole.
#include "app_test_util.h"

#include "print/SLIP97YPrnUnit.h"

#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <vector>

using namespace hoxa;
using namespace hoxa::apptest;

namespace {

class WindowManager : public MainWindowTest {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "needs with_xserver.sh";
        MainWindowTest::SetUp();
        WriteSlot0();
    }

    // Runs `act` on the next modal window (other than `skip`, a box that may
    // still be closing) once the window manager has made it active, from the
    // event loop of its exec.
    static void WhenModalActive(std::function<void(QWidget*)> act, QPointer<QWidget> skip = nullptr)
    {
        auto* timer = new QTimer;
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, act, skip] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == skip || !modal->isVisible() || QApplication::activeWindow() != modal) return;
            timer->stop();
            timer->deleteLater();
            act(modal);
        });
        timer->start();
    }
    // Answers the next message boxes, in turn, with the buttons of these roles.
    static void Answer(std::vector<QMessageBox::ButtonRole> roles, QPointer<QWidget> skip = nullptr)
    {
        if (roles.empty()) return;
        WhenModalActive(
            [roles](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (!box) return;
                Answer({roles.begin() + 1, roles.end()}, box);
                for (QAbstractButton* b : box->buttons())
                    if (box->buttonRole(b) == roles.front()) return b->click();
            },
            skip);
    }
};

// The frame the window manager put around a window, as it announces it.
QMargins FrameExtents(const QWidget* w)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(w->winId()),
                                          QStringLiteral("_NET_FRAME_EXTENTS")});
    if (!xprop.waitForFinished(5000)) return {};
    const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
    const QStringList v = out.section(u'=', 1).split(u',', Qt::SkipEmptyParts);
    if (v.size() != 4) return {};
    return {v[0].trimmed().toInt(), v[2].trimmed().toInt(), v[1].trimmed().toInt(), v[3].trimmed().toInt()};
}

QSize OuterSize(const QWidget* w)
{
    const QMargins f = FrameExtents(w);
    return w->geometry().size() + QSize(f.left() + f.right(), f.top() + f.bottom());
}

// Columns of the title bar that hold anything but its fill: the caption's
// glyphs and the buttons.
int TitleInk(const QWidget* w)
{
    const QMargins f = FrameExtents(w);
    const QRect g = w->geometry();
    const QImage bar = w->screen()->grabWindow(0, g.left() - f.left(), g.top() - f.top(),
                                               g.width() + f.left() + f.right(), f.top()).toImage();
    if (bar.isNull() || bar.height() < 4) return -1;
    const int mid = bar.height() / 2;
    QHash<QRgb, int> count;
    for (int x = 0; x < bar.width(); ++x) ++count[bar.pixel(x, mid)];
    QRgb fill = 0;
    int most = -1;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        if (it.value() > most) most = it.value(), fill = it.key();
    int ink = 0;
    for (int x = 2; x < bar.width() - 2; ++x) {
        bool any = false;
        for (int y = 2; y < bar.height() - 2 && !any; ++y)
            any = std::abs(qGray(bar.pixel(x, y)) - qGray(fill)) > 60;
        ink += any;
    }
    return ink;
}

}  // namespace

TEST_F(WindowManager, MarginDialogIsItsOuterSizeFromTheFirstShowing)
{
    Open();
    for (int showing = 1; showing <= 2; ++showing) {
        QSize outer;
        WhenModalActive([&](QWidget* d) {
            EXPECT_NE(qobject_cast<TForm_SLIP97YPrn*>(d), nullptr) << d->metaObject()->className();
            // The frame and size as the window manager settles them (slowly on a
            // busy machine): wait until they stop changing.
            QSize last;
            for (int i = 0; i < 40 && (outer = OuterSize(d)) != last; ++i) {
                last = outer;
                QTest::qWait(100);
            }
            static_cast<QDialog*>(d)->reject();
        });
        C<QToolButton>("BitBtn_PrnSet2")->click();
        EXPECT_EQ(outer, QSize(190, 192)) << "showing " << showing;
    }
}

TEST_F(WindowManager, NarrowBoxesShowTheirCaptionWhole)
{
    Open();
    SetMessageBoxHook({});
    auto inkOf = [this](const char* text) {
        int ink = -1;
        WhenModalActive([&](QWidget* box) {
            QTest::qWait(200);
            ink = TitleInk(box);
            static_cast<QMessageBox*>(box)->reject();
        });
        AskYesNo(form.get(), text);
        return ink;
    };
    // A box wide enough for any caption shows it whole; so must the narrowest.
    const int whole = inkOf("お届け先をクリアますか?　お届け先をクリアますか?　お届け先をクリアますか?");
    ASSERT_GT(whole, 0);
    EXPECT_EQ(inkOf("終了しますか?"), whole);
}

TEST_F(WindowManager, GuidanceFollowsTheFocusTheProgramMovesAfterABox)
{
    Open();
    SetMessageBoxHook({});
    auto* form = this->form.get();
    E("Edit_Add1")->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(form->Guidance(), "お届け先のおところ①を入力して下さい");

    // F2 answered No: the focus goes back to the postal code, and so does the guidance.
    Answer({QMessageBox::NoRole});
    Key(Qt::Key_F2);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), static_cast<QWidget*>(form), 5000);
    EXPECT_EQ(Focus(), E("Edit_Zip"));
    EXPECT_EQ(form->Guidance(), "お届け先の郵便番号を入力して下さい");

    // The sender saved: the question, the notice, then the panel's blanks give
    // way at once to the sender postal code's guidance, where the focus is.
    C<QToolButton>("BitBtn_My")->setFocus(Qt::TabFocusReason);
    Answer({QMessageBox::YesRole, QMessageBox::AcceptRole});
    Key(Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), static_cast<QWidget*>(form), 5000);
    EXPECT_EQ(Focus(), E("Edit_MyZip"));
    EXPECT_EQ(form->Guidance(), "ご依頼主の郵便番号を入力して下さい");
    EXPECT_TRUE(Exists("my0.txt"));

    // The window coming back to the front with the same control enters nothing.
    form->SetGuidance("x");
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &other, 5000);
    form->activateWindow();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), static_cast<QWidget*>(form), 5000);
    EXPECT_EQ(Focus(), E("Edit_MyZip"));
    EXPECT_EQ(form->Guidance(), "x");
}
