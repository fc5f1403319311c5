#include "base/MsgBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <stdexcept>

#include "base/errors.h"

using namespace hoxa;

TEST(AppErrorBox, FullStopRule)
{
    EXPECT_EQ(AppErrorText("File not found"), "File not found.");
    EXPECT_EQ(AppErrorText("Done."), "Done.");
    EXPECT_EQ(AppErrorText("a,"), "a,");      // ',' lies below '.'
    EXPECT_EQ(AppErrorText("x に書き込めません"), "x に書き込めません.");
    EXPECT_EQ(AppErrorText(""), "");
}

TEST(AppErrorBox, GuardedShowsTheErrorAndSwallowsIt)
{
    std::vector<std::pair<BoxKind, std::string>> shown;
    SetMessageBoxHook([&](BoxKind k, const std::string& t) {
        shown.emplace_back(k, t);
        return true;
    });
    Guarded(nullptr, [] { throw EInOutError("File not found"); });
    Guarded(nullptr, [] {});
    SetMessageBoxHook(nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, BoxKind::Error);
    EXPECT_EQ(shown[0].second, "File not found.");
}

TEST(QuestionBox, EnterAnswersTheDefaultButton)
{
    // The real box: Enter on it as soon as it is up, noting its buttons.
    QString defaultText;
    int buttons = 0;
    const auto pressEnter = [&] {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            buttons = static_cast<int>(box->buttons().size());
            defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Return);
        });
    };
    pressEnter();
    EXPECT_TRUE(AskYesNo(nullptr, "印刷しますか?"));
    EXPECT_EQ(buttons, 2);
    EXPECT_EQ(defaultText, QStringLiteral(u"はい(&Y)"));
    pressEnter();
    EXPECT_FALSE(AskYesNoDefaultNo(nullptr, "確認が必要な欄があります。このまま印刷しますか?"));
    EXPECT_EQ(buttons, 2);
    EXPECT_EQ(defaultText, QStringLiteral(u"いいえ(&N)"));
}
