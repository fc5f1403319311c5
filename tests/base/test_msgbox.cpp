#include "base/MsgBox.h"

#include <QApplication>
#include <QMessageBox>
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
    EXPECT_EQ(AppErrorText("送れませんでした。"), "送れませんでした。");  // ours: no second stop
    EXPECT_EQ(AppErrorText("ａB"), "ａB.");  // the bytes of "。" across two characters
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

TEST(Question, EnterAnswersWithTheDefaultButton)
{
    SetMessageBoxHook(nullptr);
    for (const auto& [def, yes] : {std::pair{DefaultAnswer::Yes, true}, std::pair{DefaultAnswer::No, false}}) {
        QTimer press;
        QObject::connect(&press, &QTimer::timeout, [&press] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                press.stop();
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        press.start(10);
        EXPECT_EQ(AskYesNo(nullptr, "送りますか?", def), yes);
    }
}
