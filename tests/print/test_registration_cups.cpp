// Registrations against a private CUPS server (run by with_cupsd.sh): the
// dot-matrix queue registered for both feeds through the setup dialog, with the
// manual feed for 手差し and the tractor feed and a custom form size for the
// continuous feed, its margins through the margin dialog; after feed changes and
// a restart each feed's waybill reaches that queue with the feed's own source
// and paper.
#include "registration_test_util.h"

#include "print/CupsSpooler.h"
#include "print/cups_jobs.h"

#include <cstdlib>

using namespace hoxa;
using namespace hoxa::regtest;

namespace {

class RegistrationCups : public apptest::MainWindowTest {
protected:
    void TearDown() override
    {
        apptest::MainWindowTest::TearDown();
        DestroyVpPrinter();
    }

    void SelectFeed(int index)
    {
        auto* feed = C<QComboBox>("ComboBox_SEL");
        while (feed->currentIndex() != index)
            QTest::keyClick(feed, feed->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
    }

    // F11 answered Yes; the job that reached `queue`.
    test::FinishedJob Print(const char* queue)
    {
        answers = {true};
        form->SpeedButton_F11Click();
        const test::FinishedJob job = test::WaitForJob(queue);
        EXPECT_GT(job.id, lastJob_) << "a new job";
        lastJob_ = job.id;
        EXPECT_TRUE(printerBoxes.empty());
        return job;
    }

private:
    int lastJob_ = 0;
};

TEST_F(RegistrationCups, EachFeedsWaybillReachesTheDotQueueWithTheFeedsOwnSourceAndPaper)
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

    AnswerSetupWithPaper(dotIndex, QStringLiteral("Manual Feed"), QStringLiteral("A4"));
    C<QToolButton>("BitBtn_PrnSet")->click();
    SelectFeed(1);
    AnswerSetupWithPaper(dotIndex, QStringLiteral("Tractor Feed"), QString(), CustomPaper{10, 4, true});
    C<QToolButton>("BitBtn_PrnSet")->click();
    const std::string printer = "PrnName=" + std::string(dot) + "\r\nPrnNoIndex=" + std::to_string(dotIndex) + "\r\n";
    const std::string manual = "[手差し]\r\n" + printer + "hoxPrn_Top=0\r\nhoxPrn_Left=0\r\n" +
                               "hoxPrn_Bin=Manual Feed\r\nhoxPrn_Paper=A4\r\n";
    EXPECT_EQ(ReadFile("hoxa_q310.ini"), manual + "[連続(４インチ)]\r\n" + printer +
                                             "hoxPrn_Top=0\r\nhoxPrn_Left=0\r\n"
                                             "hoxPrn_Bin=Tractor Feed\r\nhoxPrn_Paper=Custom.10x4in\r\n");
    EXPECT_EQ(C<QComboBox>("ComboBox1")->currentText(), QString::fromLatin1(dot));
    EXPECT_EQ(C<QComboBox>("ComboBox3")->currentText(), QStringLiteral("Tractor Feed"));

    answers = {true};
    WhenModalShows<TForm_SLIP97YPrn>([](TForm_SLIP97YPrn* d) {
        ClearBox(TopBox(d));
        TypeInto(TopBox(d), "12");
        ClearBox(LeftBox(d));
        TypeInto(LeftBox(d), "-4");
        RegisterButton(d)->click();
    });
    C<QToolButton>("BitBtn_PrnSet2")->click();
    EXPECT_EQ(ReadFile("hoxa_q310.ini"), manual + "[連続(４インチ)]\r\n" + printer +
                                             "hoxPrn_Top=12\r\nhoxPrn_Left=-4\r\n"
                                             "hoxPrn_Bin=Tractor Feed\r\nhoxPrn_Paper=Custom.10x4in\r\n");
    EXPECT_TRUE(boxes.size() == 1 && boxes[0].kind == BoxKind::Question);

    // Over to the hand-fed feed and back: each feed's source.
    SelectFeed(0);
    EXPECT_EQ(test::JobAttribute(Print(dot).id, "InputSlot"), "Manual");
    SelectFeed(1);
    EXPECT_EQ(test::JobAttribute(Print(dot).id, "InputSlot"), "Tractor");

    // A new start on the default printer: the saved feed brings the queue, its
    // margins, its source and its form size back.
    form->close();
    form.reset();
    VpPrinter().SetIndex(-1);
    ASSERT_NE(VpPrinter().GetIndex(), dotIndex) << "the default printer is another queue";
    Open();
    EXPECT_EQ(C<QComboBox>("ComboBox_SEL")->currentIndex(), 1);
    EXPECT_EQ(VpPrinter().GetIndex(), dotIndex);
    EXPECT_EQ(FromQString(C<QLabel>("Label_Prn_Top")->text()), "12");
    EXPECT_EQ(FromQString(C<QLabel>("Label_Prn_Left")->text()), "-4");
    const test::FinishedJob continuous = Print(dot);
    EXPECT_EQ(continuous.state, IPP_JSTATE_COMPLETED);
    EXPECT_EQ(test::JobAttribute(continuous.id, "InputSlot"), "Tractor");
    EXPECT_EQ(test::JobAttribute(continuous.id, "PageSize"), "Custom.10x4in");
    SelectFeed(0);
    const test::FinishedJob handFed = Print(dot);
    EXPECT_EQ(test::JobAttribute(handFed.id, "InputSlot"), "Manual");
    EXPECT_EQ(test::JobAttribute(handFed.id, "media"), "A4");
}

}  // namespace
