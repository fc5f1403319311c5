// One registration against a private CUPS server (run by with_cupsd.sh): the
// dot-matrix queue registered for both feeds through the setup dialog, its
// margins through the margin dialog, and after a restart the waybill goes to
// that queue with each feed's own paper source and size.
#include "registration_test_util.h"

#include "print/CupsSpooler.h"
#include "print/VpPrinterDialogs.h"
#include "print/cups_jobs.h"

#include <QDoubleSpinBox>

#include <cstdlib>

using namespace hoxa;
using namespace hoxa::regtest;

namespace {

// Chooses in the setup dialog a source and a paper, or a custom size in inches.
std::function<void(QDialog*)> Choose(const char* source, const char* paper, double width = 0, double length = 0)
{
    return [=](QDialog* d) {
        const auto box = [d](const char* name) { return d->findChild<QComboBox*>(QString::fromLatin1(name)); };
        box("sourceCombo")->setCurrentText(QString::fromLatin1(source));
        box("paperCombo")->setCurrentIndex(box("paperCombo")->findText(QString::fromLatin1(paper)));
        if (width <= 0) return;
        box("paperCombo")->setCurrentIndex(box("paperCombo")->findData(kCustomPaperEntry));
        box("customUnitCombo")->setCurrentIndex(1);
        d->findChild<QDoubleSpinBox*>(QStringLiteral("customWidthSpin"))->setValue(width);
        d->findChild<QDoubleSpinBox*>(QStringLiteral("customLengthSpin"))->setValue(length);
    };
}

class RegistrationCups : public apptest::MainWindowTest {
protected:
    void TearDown() override
    {
        apptest::MainWindowTest::TearDown();
        DestroyVpPrinter();
    }
};

TEST_F(RegistrationCups, DotQueueRegisteredForBothFeedsGetsEachFeedsWaybillWithItsOwnSourceAndSize)
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

    AnswerSetupDialog(dotIndex, true, nullptr, Choose("Manual Feed", "US Letter"));
    C<QToolButton>("BitBtn_PrnSet")->click();
    auto* feed = C<QComboBox>("ComboBox_SEL");
    QTest::keyClick(feed, Qt::Key_Down);
    ASSERT_EQ(feed->currentIndex(), 1);

    AnswerSetupDialog(dotIndex, true, nullptr, Choose("Tractor Feed", "", 10, 4));
    C<QToolButton>("BitBtn_PrnSet")->click();
    const std::string printer = "PrnName=" + std::string(dot) + "\r\nPrnNoIndex=" + std::to_string(dotIndex) + "\r\n";
    const std::string section = "[手差し]\r\n" + printer + "hoxPrn_Top=0\r\nhoxPrn_Left=0\r\n" +
                                "hoxPrn_Bin=Manual Feed\r\nhoxPrn_Paper=US Letter\r\n[連続(４インチ)]\r\n" + printer;
    const std::string kept = "hoxPrn_Bin=Tractor Feed\r\nhoxPrn_Paper=Custom.10x4in\r\n";
    EXPECT_EQ(ReadFile("hoxa_q310.ini"), section + "hoxPrn_Top=0\r\nhoxPrn_Left=0\r\n" + kept);
    EXPECT_EQ(C<QComboBox>("ComboBox1")->currentText(), QString::fromLatin1(dot));
    EXPECT_EQ(C<QComboBox>("ComboBox2")->currentText(), QStringLiteral(u"ユーザー定義 10 x 4 in"));
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
    EXPECT_EQ(ReadFile("hoxa_q310.ini"), section + "hoxPrn_Top=12\r\nhoxPrn_Left=-4\r\n" + kept);
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

    answers = {true};
    form->SpeedButton_F11Click();
    const test::FinishedJob continuous = test::WaitForJob(dot);
    EXPECT_EQ(continuous.state, IPP_JSTATE_COMPLETED);
    EXPECT_EQ(test::JobAttribute(continuous.id, "InputSlot"), "Tractor");
    EXPECT_EQ(test::JobAttribute(continuous.id, "PageSize"), "Custom.10x4in");
    // The feeds share the printer; each keeps its own source.
    QTest::keyClick(C<QComboBox>("ComboBox_SEL"), Qt::Key_Up);
    answers = {true};
    form->SpeedButton_F11Click();
    const test::FinishedJob handFed = test::WaitForJob(dot);
    EXPECT_EQ(test::JobAttribute(handFed.id, "InputSlot"), "Manual");
    EXPECT_EQ(test::JobAttribute(handFed.id, "media"), "Letter");
    EXPECT_TRUE(printerBoxes.empty());
}

}  // namespace
