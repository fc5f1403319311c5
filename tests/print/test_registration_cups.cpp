// One registration against a private CUPS server (run by with_cupsd.sh): the
// dot-matrix queue registered for the continuous feed through the setup
// dialog, its margins through the margin dialog, and after a restart the
// waybill goes to that queue.
#include "registration_test_util.h"

#include "print/CupsSpooler.h"

#include <cups/cups.h>

#include <cstdlib>

using namespace hoxa;
using namespace hoxa::regtest;

namespace {

int JobCount(const char* queue)
{
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue, 0, CUPS_WHICHJOBS_ALL);
    cupsFreeJobs(n, jobs);
    return n;
}

class RegistrationCups : public apptest::MainWindowTest {
protected:
    void TearDown() override
    {
        apptest::MainWindowTest::TearDown();
        DestroyVpPrinter();
    }
};

TEST_F(RegistrationCups, DotQueueRegisteredForTheContinuousFeedGetsTheWaybill)
{
    const char* dot = std::getenv("HOXA_CUPS_DOT");
    if (!dot) GTEST_SKIP() << "run through tests/print/with_cupsd.sh";

    CreateVpPrinter(std::make_shared<CupsSpooler>());
    WriteSlot0();
    Open();
    int dotIndex = -1;
    const std::vector<std::string> names = VpPrinter().GetPrinterNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == dot) dotIndex = static_cast<int>(i);
    ASSERT_GE(dotIndex, 0);

    auto* feed = C<QComboBox>("ComboBox_SEL");
    QTest::keyClick(feed, Qt::Key_Down);
    ASSERT_EQ(feed->currentIndex(), 1);

    AnswerSetupDialog(dotIndex, true);
    C<QToolButton>("BitBtn_PrnSet")->click();
    const std::string section = "[連続(４インチ)]\r\nPrnName=" + std::string(dot) +
                                "\r\nPrnNoIndex=" + std::to_string(dotIndex) + "\r\n";
    EXPECT_EQ(ReadFile("hoxa_q310.ini"), section + "hoxPrn_Top=0\r\nhoxPrn_Left=0\r\n");
    EXPECT_EQ(C<QComboBox>("ComboBox1")->currentText(), QString::fromLatin1(dot));
    EXPECT_TRUE(C<QComboBox>("ComboBox2")->isEnabled());
    EXPECT_GE(C<QComboBox>("ComboBox2")->currentIndex(), 0);
    EXPECT_GE(C<QComboBox>("ComboBox3")->count(), 2) << "the tractor and manual sources";
    EXPECT_GE(C<QComboBox>("ComboBox3")->currentIndex(), 0);

    answers = {true};
    WhenModalShows<TForm_SLIP97YPrn>([](TForm_SLIP97YPrn* d) {
        ClearBox(TopBox(d));
        TypeInto(TopBox(d), "12");
        ClearBox(LeftBox(d));
        TypeInto(LeftBox(d), "-4");
        RegisterButton(d)->click();
    });
    C<QToolButton>("BitBtn_PrnSet2")->click();
    EXPECT_EQ(ReadFile("hoxa_q310.ini"), section + "hoxPrn_Top=12\r\nhoxPrn_Left=-4\r\n");
    EXPECT_TRUE(boxes.size() == 1 && boxes[0].kind == BoxKind::Question);
    EXPECT_TRUE(printerBoxes.empty());

    // A new start on the default printer: the saved feed brings the queue back.
    form->close();
    form.reset();
    VpPrinter().SetIndex(-1);
    ASSERT_NE(VpPrinter().GetIndex(), dotIndex) << "the default printer is another queue";
    Open();
    EXPECT_EQ(C<QComboBox>("ComboBox_SEL")->currentIndex(), 1);
    EXPECT_EQ(VpPrinter().GetIndex(), dotIndex);
    EXPECT_EQ(FromQString(C<QLabel>("Label_Prn_Top")->text()), "12");
    EXPECT_EQ(FromQString(C<QLabel>("Label_Prn_Left")->text()), "-4");

    const int before = JobCount(dot);
    answers = {true};
    form->SpeedButton_F11Click();
    EXPECT_EQ(JobCount(dot), before + 1);
    EXPECT_TRUE(printerBoxes.empty());
}

}  // namespace
