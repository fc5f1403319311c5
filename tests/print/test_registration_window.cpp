// Printer registration and the margin dialog driven through the main window on
// a scripted spooler: the feed sections of hoxa_q310.ini, the printer group,
// the setup dialog (confirmed and cancelled), the margin question, removed and
// moved printers, a damaged index, and margin boxes that hold whole dots.
#include "registration_test_util.h"

#include "base/errors.h"
#include "layout_readback.h"
#include "print/PrinterRegistration.h"
#include "print/PrinterWatcher.h"
#include "print/counting_spooler.h"

#include <QDir>
#include <QGroupBox>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <sys/stat.h>

using namespace hoxa;
using namespace hoxa::regtest;

namespace {

const char kManual[] = "[手差し]\r\n";
const char kContinuous[] = "[連続(４インチ)]\r\n";
// The scripted printers' source and paper, as a printer registration keeps them.
const char kKeptPaper[] = "hoxPrn_Bin=Upper\r\nhoxPrn_Paper=A4\r\n";

class Registration : public RegistrationTest {
protected:
    // PDF (0), EPSON VP-D500 (1), Office (2, the system default).
    void ThreePrinters()
    {
        spooler->Add("PDF");
        spooler->Add("EPSON VP-D500");
        spooler->Add("Office");
        spooler->defaultName = "Office";
    }
    std::string Ini() const { return ReadFile("hoxa_q310.ini"); }
    void WriteIni(const std::string& s) const { WriteFile("hoxa_q310.ini", s); }
    QString Current(const char* box) const { return Box(box)->currentText(); }

    // Prints through F11 and returns the top-left of the word starting with `word`
    // (points), or a negative position when there is none.
    QPointF PrintAndFind(const QString& word)
    {
        const std::size_t jobs = spooler->jobs.size();
        form->SpeedButton_F11Click();
        if (spooler->jobs.size() != jobs + 1) return {-1, -1};
        QTemporaryFile pdf;
        if (!pdf.open()) return {-1, -1};
        pdf.write(spooler->jobs.back().pdf.data(), static_cast<qint64>(spooler->jobs.back().pdf.size()));
        pdf.close();
        QString error;
        const auto pages = test::ReadPdfWords(pdf.fileName(), &error);
        if (pages.size() != 1) return {-1, -1};
        for (const auto& w : pages[0].words)
            if (w.text.startsWith(word)) return {w.xMin, w.yMin};
        return {-1, -1};
    }
};

// ------------------------------------------------------------ no file, first use

TEST_F(Registration, NoFileMeansPrinterZeroMarginsZeroAndTheFirstRegistrationWritesOneSection)
{
    ThreePrinters();
    Start();
    EXPECT_TRUE(boxes.empty());
    // The start-up index -1 (the default printer) is replaced by the feed's "0".
    EXPECT_EQ(Label("Label_PrinterIndex"), "0");
    EXPECT_EQ(Label("Label_Prn_Top"), "0");
    EXPECT_EQ(Label("Label_Prn_Left"), "0");
    EXPECT_EQ(VpPrinter().GetIndex(), 0);
    ASSERT_EQ(Box("ComboBox1")->count(), 3);
    EXPECT_EQ(Current("ComboBox1"), QStringLiteral("PDF"));
    EXPECT_EQ(Current("ComboBox2"), QStringLiteral("A4"));
    EXPECT_EQ(Current("ComboBox3"), QStringLiteral("Upper"));

    // The other feed has no section either.
    SelectFeed(1);
    EXPECT_EQ(Label("Label_PrinterIndex"), "0");
    EXPECT_EQ(Label("Label_Prn_Top"), "0");
    EXPECT_FALSE(Exists("hoxa_q310.ini"));

    QString opened;
    AnswerSetupDialog(1, true, &opened);
    ClickRegisterPrinter();
    EXPECT_EQ(opened, QStringLiteral("PDF")) << "the dialog opens on the registered printer";
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Ini(), std::string(kContinuous) +
                         "PrnName=EPSON VP-D500\r\nPrnNoIndex=1\r\nhoxPrn_Top=0\r\nhoxPrn_Left=0\r\n" + kKeptPaper);
    EXPECT_EQ(Label("Label_PrinterIndex"), "1");
    EXPECT_EQ(Current("ComboBox1"), QStringLiteral("EPSON VP-D500"));
    EXPECT_EQ(VpPrinter().GetIndex(), 1);

    // Back on the hand-fed feed, still unregistered: printer 0 again.
    SelectFeed(0);
    EXPECT_EQ(VpPrinter().GetIndex(), 0);
    EXPECT_EQ(Current("ComboBox1"), QStringLiteral("PDF"));
    SelectFeed(1);
    EXPECT_EQ(VpPrinter().GetIndex(), 1);
}

TEST_F(Registration, CancelledSetupDialogStillWritesTheSectionAndKeepsTheMargins)
{
    ThreePrinters();
    WriteIni(std::string(kManual) + "PrnNoIndex=2\r\nhoxPrn_Top=7\r\nhoxPrn_Left=-3\r\n");
    Start();
    EXPECT_EQ(Label("Label_PrinterIndex"), "2");
    EXPECT_EQ(Label("Label_Prn_Top"), "7");
    EXPECT_EQ(Label("Label_Prn_Left"), "-3");
    EXPECT_EQ(Current("ComboBox1"), QStringLiteral("Office"));

    QString opened;
    AnswerSetupDialog(0, false, &opened);  // another printer picked, then Cancel
    ClickRegisterPrinter();
    EXPECT_EQ(opened, QStringLiteral("Office"));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Ini(), std::string(kManual) +
                         "PrnNoIndex=2\r\nhoxPrn_Top=7\r\nhoxPrn_Left=-3\r\nPrnName=Office\r\n" + kKeptPaper);
    EXPECT_EQ(VpPrinter().GetIndex(), 2);
}

TEST_F(Registration, RegisteringAPrinterKeepsAPaperChosenInTheDialogUntilTheEnd)
{
    ThreePrinters();
    Start();
    WhenModalShows<QDialog>([](QDialog* d) {
        d->findChild<QComboBox*>(QStringLiteral("printerCombo"))->setCurrentIndex(1);
        d->findChild<QComboBox*>(QStringLiteral("paperCombo"))->setCurrentIndex(1);
        d->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Ok)->click();
    });
    ClickRegisterPrinter();
    EXPECT_EQ(Current("ComboBox1"), QStringLiteral("EPSON VP-D500"));
    EXPECT_EQ(Current("ComboBox2"), QStringLiteral("Letter"));
    EXPECT_NE(Ini().find("hoxPrn_Paper=Letter\r\n"), std::string::npos) << "the paper is the feed's";
}

// ---------------------------------------------------------- feeds and margins

TEST_F(Registration, EachFeedShowsItsOwnMargins)
{
    ThreePrinters();
    Start();
    answers = {true};
    WithMarginDialog([](TForm_SLIP97YPrn* d) {
        ClearBox(TopBox(d));
        TypeInto(TopBox(d), "12");
        QTest::keyClick(TopBox(d), Qt::Key_Return);
        ClearBox(LeftBox(d));
        TypeInto(LeftBox(d), "-4");
        QTest::keyClick(LeftBox(d), Qt::Key_Return);
        EXPECT_EQ(d->focusWidget(), RegisterButton(d));
        QTest::keyClick(RegisterButton(d), Qt::Key_Return);
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, BoxKind::Question);
    EXPECT_EQ(boxes[0].text, "印字位置調整の余白を登録しますか?");
    EXPECT_EQ(Label("Label_Prn_Top"), "12");
    EXPECT_EQ(Label("Label_Prn_Left"), "-4");
    EXPECT_EQ(Ini(), std::string(kManual) + "PrnName=PDF\r\nPrnNoIndex=0\r\nhoxPrn_Top=12\r\nhoxPrn_Left=-4\r\n");

    SelectFeed(1);
    EXPECT_EQ(Label("Label_Prn_Top"), "0");
    EXPECT_EQ(Label("Label_Prn_Left"), "0");
    SelectFeed(0);
    EXPECT_EQ(Label("Label_Prn_Top"), "12");
    EXPECT_EQ(Label("Label_Prn_Left"), "-4");

    // The dialog shows the margins of the feed in force.
    SelectFeed(1);
    WithMarginDialog([](TForm_SLIP97YPrn* d) {
        EXPECT_EQ(TopBox(d)->Text(), "0");
        EXPECT_EQ(LeftBox(d)->Text(), "0");
        d->reject();
    });
    SelectFeed(0);
    WithMarginDialog([](TForm_SLIP97YPrn* d) {
        EXPECT_EQ(TopBox(d)->Text(), "12");
        EXPECT_EQ(LeftBox(d)->Text(), "-4");
        d->reject();
    });
}

TEST_F(Registration, NoAtTheQuestionLeavesTheDialogOpenAndClosingKeepsTheOldMargins)
{
    ThreePrinters();
    WriteIni(std::string(kManual) + "PrnNoIndex=0\r\nhoxPrn_Top=3\r\nhoxPrn_Left=4\r\n");
    Start();
    const std::string before = Ini();
    answers = {false};
    bool stillOpen = false;
    std::string top, left;
    WithMarginDialog([&](TForm_SLIP97YPrn* d) {
        ClearBox(TopBox(d));
        TypeInto(TopBox(d), "30");
        ClearBox(LeftBox(d));
        TypeInto(LeftBox(d), "40");
        RegisterButton(d)->click();
        stillOpen = d->isVisible();
        top = TopBox(d)->Text();
        left = LeftBox(d)->Text();
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_EQ(CountBoxes(BoxKind::Question), 1);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(top, "30");
    EXPECT_EQ(left, "40");
    EXPECT_EQ(Label("Label_Prn_Top"), "3");
    EXPECT_EQ(Label("Label_Prn_Left"), "4");
    EXPECT_EQ(Ini(), before);
}

TEST_F(Registration, MinusFiveMovesThePrintAndAnEmptyBoxPrintsAsZero)
{
    ThreePrinters();
    Start();
    E("Edit_Custo1")->SetText("ZZNAME");
    answers = std::deque<bool>(8, true);  // the prints after the first asked about the first too
    const QString word = QStringLiteral("ZZNAME");
    const QPointF base = PrintAndFind(word);
    ASSERT_GE(base.x(), 0) << "no readable print";

    // Top -5, left box emptied.
    WithMarginDialog([](TForm_SLIP97YPrn* d) {
        ClearBox(TopBox(d));
        TypeInto(TopBox(d), "-5");
        ClearBox(LeftBox(d));
        RegisterButton(d)->click();
    });
    EXPECT_EQ(Ini(), std::string(kManual) + "PrnName=PDF\r\nPrnNoIndex=0\r\nhoxPrn_Top=-5\r\nhoxPrn_Left=\r\n");
    EXPECT_EQ(Label("Label_Prn_Top"), "-5");
    EXPECT_EQ(Label("Label_Prn_Left"), "");
    const double dot = 72.0 / 180.0;  // the scripted printer has 180 dpi
    QPointF p = PrintAndFind(word);
    EXPECT_NEAR(p.x() - base.x(), 0.0, 0.3);
    EXPECT_NEAR(p.y() - base.y(), -5 * dot, 0.3);

    // Left -5, top box emptied.
    WithMarginDialog([](TForm_SLIP97YPrn* d) {
        ClearBox(TopBox(d));
        ClearBox(LeftBox(d));
        TypeInto(LeftBox(d), "-5");
        RegisterButton(d)->click();
    });
    EXPECT_EQ(Ini(), std::string(kManual) + "PrnName=PDF\r\nPrnNoIndex=0\r\nhoxPrn_Top=\r\nhoxPrn_Left=-5\r\n");
    p = PrintAndFind(word);
    EXPECT_NEAR(p.x() - base.x(), -5 * dot, 0.3);
    EXPECT_NEAR(p.y() - base.y(), 0.0, 0.3);
    EXPECT_EQ(CountBoxes(BoxKind::Error), 0);

    // An empty margin read back from the file stays empty.
    SelectFeed(1);
    SelectFeed(0);
    EXPECT_EQ(Label("Label_Prn_Top"), "");
}

TEST_F(Registration, MarginBoxesTakeWholeDotsAndShowEveryValueWithItsSign)
{
    ThreePrinters();
    Start();
    answers = {true};
    struct Seen {
        std::string top, left;
        bool fitsTop = false, fitsLeft = false;
    } typed;
    WithMarginDialog([&](TForm_SLIP97YPrn* d) {
        // As many digits as one types: the box keeps those it shows whole,
        // minus sign included.
        ClearBox(TopBox(d));
        TypeInto(TopBox(d), "-9999999999");
        ClearBox(LeftBox(d));
        TypeInto(LeftBox(d), "-8888888888");
        typed.fitsTop = TopBox(d)->DisplayWidth(TopBox(d)->Text()) <= TopBox(d)->AvailableWidth();
        typed.fitsLeft = LeftBox(d)->DisplayWidth(LeftBox(d)->Text()) <= LeftBox(d)->AvailableWidth();
        // A point is not taken.
        ClearBox(TopBox(d));
        TypeInto(TopBox(d), "12.5");
        ClearBox(LeftBox(d));
        TypeInto(LeftBox(d), "-3.");
        typed.top = TopBox(d)->Text();
        typed.left = LeftBox(d)->Text();
        RegisterButton(d)->click();
    });
    EXPECT_TRUE(typed.fitsTop);
    EXPECT_TRUE(typed.fitsLeft);
    EXPECT_EQ(typed.top, "125");
    EXPECT_EQ(typed.left, "-3");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, BoxKind::Question);
    EXPECT_EQ(Ini(), std::string(kManual) + "PrnName=PDF\r\nPrnNoIndex=0\r\nhoxPrn_Top=125\r\nhoxPrn_Left=-3\r\n");
}

TEST_F(Registration, MarginsOfOlderFilesShowTheWholeDotsTheBoxesTake)
{
    ThreePrinters();
    WriteIni(std::string(kManual) + "PrnNoIndex=0\r\nhoxPrn_Top=12.5\r\nhoxPrn_Left=-3.\r\n");
    Start();
    EXPECT_EQ(Label("Label_Prn_Top"), "12.5");
    EXPECT_EQ(Label("Label_Prn_Left"), "-3.");
    WithMarginDialog([](TForm_SLIP97YPrn* d) {
        EXPECT_EQ(TopBox(d)->Text(), "12");
        EXPECT_EQ(LeftBox(d)->Text(), "-3");
        d->reject();
    });
    EXPECT_EQ(Label("Label_Prn_Top"), "12.5");  // closing stores nothing
}

TEST_F(Registration, MarginRegistrationIntoAnUnwritableFileKeepsDialogAndLabels)
{
    ThreePrinters();
    Start();
    ASSERT_TRUE(QDir().mkdir(Path("hoxa_q310.ini")));  // a folder in the file's place
    answers = {true};
    bool stillOpen = false;
    WithMarginDialog([&](TForm_SLIP97YPrn* d) {
        ClearBox(TopBox(d));
        TypeInto(TopBox(d), "8");
        RegisterButton(d)->click();
        stillOpen = d->isVisible();
        d->reject();
    });
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(CountBoxes(BoxKind::Error), 1);
    EXPECT_NE(boxes.back().text.find("hoxa_q310.ini に書き込めません"), std::string::npos) << boxes.back().text;
    EXPECT_EQ(Label("Label_Prn_Top"), "0");
}

TEST_F(Registration, BothRegistrationsUseTheFolderRecordedAtStartUp)
{
    ThreePrinters();
    Start();
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    answers = {true};
    WithMarginDialog([](TForm_SLIP97YPrn* d) { RegisterButton(d)->click(); });
    AnswerSetupDialog(-1, true);
    ClickRegisterPrinter();
    EXPECT_TRUE(boxes.size() == 1 && boxes[0].kind == BoxKind::Question);
    EXPECT_EQ(Ini(), std::string(kManual) + "PrnName=PDF\r\nPrnNoIndex=0\r\nhoxPrn_Top=0\r\nhoxPrn_Left=0\r\n" + kKeptPaper);
    EXPECT_FALSE(QFile::exists(elsewhere.filePath(QStringLiteral("hoxa_q310.ini"))));
}

TEST_F(Registration, MarginLabelsAreSmallNavyVerdana)
{
    ThreePrinters();
    Start();
    for (const char* name : {"Label_Prn_Top", "Label_Prn_Left"}) {
        QLabel* label = C<QLabel>(name);
        EXPECT_EQ(label->font().pixelSize(), 11) << name;
        EXPECT_EQ(label->font().family(), QStringLiteral("Verdana")) << name;
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 128)) << name;
        EXPECT_TRUE(label->isVisible()) << name;
    }
    EXPECT_EQ(C<QLabel>("Label_Prn_Left")->pos() - C<QLabel>("Label_Prn_Top")->pos(), QPoint(0, 11));
    EXPECT_FALSE(C<QToolButton>("BitBtn_PrnSet")->icon().isNull());
    EXPECT_FALSE(C<QToolButton>("BitBtn_PrnSet2")->icon().isNull());
}

// ------------------------------------------------------------- the dialog itself

TEST_F(Registration, MarginDialogLookAndKeys)
{
    ThreePrinters();
    Start();
    WithMarginDialog([&](TForm_SLIP97YPrn* d) {
        EXPECT_EQ(FromQString(d->windowTitle()), "印字位置調整");
        EXPECT_EQ(d->frameGeometry().size(), QSize(190, 192));
        EXPECT_EQ(d->minimumSize(), d->maximumSize()) << "fixed border";
        EXPECT_LE((d->frameGeometry().center() - form->frameGeometry().center()).manhattanLength(), 8)
            << "centred on the main window";
        EXPECT_FALSE(TopBox(d)->ErrorBeep());
        EXPECT_FALSE(LeftBox(d)->ErrorBeep());
        EXPECT_TRUE(TopBox(d)->Minus());
        EXPECT_EQ(TopBox(d)->DecimalLength(), 0);
        EXPECT_GE(TopBox(d)->IntegerLength(), 3);
        EXPECT_EQ(TopBox(d)->geometry(), QRect(82, 15, 50, TopBox(d)->height()));
        EXPECT_EQ(LeftBox(d)->pos(), QPoint(82, 39));
        EXPECT_EQ(RegisterButton(d)->geometry(), QRect(30, 98, 122, 25));
        EXPECT_EQ(FromQString(RegisterButton(d)->text()), "印字位置登録");
        EXPECT_FALSE(RegisterButton(d)->icon().isNull());
        auto* group = In<QGroupBox>(d, "GroupBox1");
        EXPECT_EQ(FromQString(group->title()), "印字位置調整セット");
        EXPECT_EQ(group->geometry(), QRect(20, 20, 142, 71));

        // Keys: Up in the top box stays; Enter walks top, left, button; Up goes back.
        EXPECT_EQ(d->focusWidget(), TopBox(d));
        QTest::keyClick(TopBox(d), Qt::Key_Up);
        EXPECT_EQ(d->focusWidget(), TopBox(d));
        QTest::keyClick(TopBox(d), Qt::Key_Return);
        EXPECT_EQ(d->focusWidget(), LeftBox(d));
        QTest::keyClick(LeftBox(d), Qt::Key_Up);
        EXPECT_EQ(d->focusWidget(), TopBox(d));
        QTest::keyClick(TopBox(d), Qt::Key_Enter);  // the keypad's Enter too
        EXPECT_EQ(d->focusWidget(), LeftBox(d));
        QTest::keyClick(LeftBox(d), Qt::Key_Return);
        EXPECT_EQ(d->focusWidget(), RegisterButton(d));
        // Tab order.
        TopBox(d)->setFocus();
        QTest::keyClick(TopBox(d), Qt::Key_Tab);
        EXPECT_EQ(d->focusWidget(), LeftBox(d));
        QTest::keyClick(LeftBox(d), Qt::Key_Tab);
        EXPECT_EQ(d->focusWidget(), RegisterButton(d));
        QTest::keyClick(RegisterButton(d), Qt::Key_Tab);
        EXPECT_EQ(d->focusWidget(), In<QPushButton>(d, "BitBtn_TestPrint"));
        d->reject();
    });
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(Exists("hoxa_q310.ini"));
}

// --------------------------------------------------- removed and moved printers

TEST_F(Registration, ARemovedPrinterFallsBackToTheFirstUntilTheNextRegistration)
{
    ThreePrinters();
    WriteIni(std::string(kManual) + "PrnNoIndex=5\r\nhoxPrn_Top=1\r\nhoxPrn_Left=2\r\n");
    Start();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Label("Label_PrinterIndex"), "5");
    EXPECT_EQ(VpPrinter().GetIndex(), 0);
    EXPECT_EQ(Label("Label_Prn_Top"), "1");

    QString opened;
    AnswerSetupDialog(-1, false, &opened);
    ClickRegisterPrinter();
    EXPECT_EQ(opened, QStringLiteral("PDF")) << "the dialog opens on the first printer";
    EXPECT_EQ(Ini(), std::string(kManual) + "PrnNoIndex=0\r\nhoxPrn_Top=1\r\nhoxPrn_Left=2\r\nPrnName=PDF\r\n" + kKeptPaper);
    EXPECT_EQ(Current("ComboBox1"), QStringLiteral("PDF"));
}

TEST_F(Registration, APrinterThatMovedInTheListIsFoundByItsName)
{
    // EPSON VP-D500 was registered as printer 2; the printer before it is gone.
    spooler->Add("PDF");
    spooler->Add("Office");
    spooler->Add("EPSON VP-D500");
    spooler->Remove("PDF");
    spooler->defaultName = "Office";
    const std::string file = std::string(kManual) + "PrnName=EPSON VP-D500\r\nPrnNoIndex=2\r\nhoxPrn_Top=0\r\nhoxPrn_Left=0\r\n" +
                             kContinuous + "PrnName=Gone\r\nPrnNoIndex=1\r\nhoxPrn_Top=0\r\nhoxPrn_Left=0\r\n";
    WriteIni(file);
    Start();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Label("Label_PrinterIndex"), "1");
    EXPECT_EQ(VpPrinter().GetIndex(), 1);
    EXPECT_EQ(Current("ComboBox1"), QStringLiteral("EPSON VP-D500"));
    EXPECT_EQ(Ini(), file) << "the file keeps its number until a registration";

    // A printer whose name is nowhere: shown as missing; the stored number
    // picks the printer a print would use, whose paper the paper box shows.
    SelectFeed(1);
    EXPECT_EQ(Label("Label_PrinterIndex"), "1");
    EXPECT_EQ(VpPrinter().GetIndex(), 1);
    EXPECT_EQ(Current("ComboBox1"), Q("Gone (見つかりません)"));
    EXPECT_EQ(Current("ComboBox2"), QStringLiteral("A4"));
    EXPECT_EQ(form->Guidance(), "「Gone」が見つかりません。つなぎ直すか、セットするプリンタを登録し直してください");
    // Registering its margins keeps the registration, never the mark; so
    // does a printer registration cancelled on the printer the dialog opened on.
    answers = {true};
    WithMarginDialog([](TForm_SLIP97YPrn* d) { RegisterButton(d)->click(); });
    AnswerSetupDialog(-1, false);
    ClickRegisterPrinter();
    EXPECT_EQ(Current("ComboBox1"), Q("Gone (見つかりません)"));

    // Registering the margins stores the number in force.
    SelectFeed(0);
    answers = {true};
    WithMarginDialog([](TForm_SLIP97YPrn* d) { RegisterButton(d)->click(); });
    EXPECT_EQ(Ini(), std::string(kManual) + "PrnName=EPSON VP-D500\r\nPrnNoIndex=1\r\nhoxPrn_Top=0\r\nhoxPrn_Left=0\r\n" +
                         kContinuous + "PrnName=Gone\r\nPrnNoIndex=1\r\nhoxPrn_Top=0\r\nhoxPrn_Left=0\r\n");
}

TEST_F(Registration, TextTypedIntoThePrinterBoxIsNeitherShownNorStoredAsTheName)
{
    ThreePrinters();
    Start();
    QComboBox* printerBox = Box("ComboBox1");
    printerBox->setFocus();
    QTest::keyClicks(printerBox, QStringLiteral("Office"));
    EXPECT_EQ(printerBox->currentText(), QStringLiteral("PDF"));

    // The margin registration stores the shown printer, and the next feed load
    // finds that printer again.
    answers = {true};
    WithMarginDialog([](TForm_SLIP97YPrn* d) { RegisterButton(d)->click(); });
    EXPECT_EQ(Ini(), std::string(kManual) + "PrnName=PDF\r\nPrnNoIndex=0\r\nhoxPrn_Top=0\r\nhoxPrn_Left=0\r\n");
    SelectFeed(1);
    SelectFeed(0);
    EXPECT_EQ(VpPrinter().GetIndex(), 0);
}

// ------------------------------------------------------------- reading once

TEST_F(Registration, TheStartReadsTheListAndEachPrintersCapabilitiesOnce)
{
    // The default printer (Office) is not the feed's (PDF).
    ThreePrinters();
    WriteIni(std::string(kManual) + "PrnName=PDF\r\nPrnNoIndex=0\r\n");
    WriteSlot0();
    auto counted = std::make_shared<test::CountingSpooler>(spooler);
    CreateVpPrinter(counted);
    // As the program starts: window, change check, then shown and activated.
    form = std::make_unique<TForm_Main>();
    PrinterWatcher watcher(form.get());
    form->WatchPrinters(watcher);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QApplication::processEvents();
    EXPECT_EQ(counted->calls["EnumPrinters"], 1);
    EXPECT_EQ(counted->calls["Papers PDF"], 1);
    // The start applies the stored index (the default, Office) before the feed's
    // own printer: each is read once.
    EXPECT_LE(counted->calls["Papers Office"], 1);
    EXPECT_EQ(counted->MostCalls(), 1);
    EXPECT_EQ(Current("ComboBox1"), QStringLiteral("PDF"));

    // Feed changes and a print read nothing again.
    SelectFeed(1);
    SelectFeed(0);
    answers = {true};
    C<QToolButton>("SpeedButton_F11")->click();
    ASSERT_EQ(spooler->jobs.size(), 1u);
    counted->calls.erase("EnumPrinters");  // the print looks for a changed list
    counted->calls.erase("EnumPorts");
    EXPECT_EQ(counted->MostCalls(), 1);

    // A changed list is a new snapshot, read once again.
    spooler->Add("New");
    EXPECT_TRUE(watcher.CheckNow());
    EXPECT_EQ(counted->calls["Papers PDF"], 2);
}

// ---------------------------------------------------------- a damaged index

TEST_F(Registration, AnIndexThatIsNoIntegerIsReportedAndRepairedByRegistering)
{
    ThreePrinters();
    WriteIni(std::string(kManual) + "PrnName=PDF\r\nPrnNoIndex=abc\r\nhoxPrn_Top=6\r\nhoxPrn_Left=0\r\n");
    Start();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, BoxKind::Error);
    EXPECT_EQ(boxes[0].text, "'abc' is not a valid integer value.");
    EXPECT_EQ(Label("Label_PrinterIndex"), "abc");

    QString opened;
    AnswerSetupDialog(1, true, &opened);
    ClickRegisterPrinter();
    EXPECT_EQ(boxes.size(), 1u) << "registering raises no error";
    EXPECT_EQ(opened, QStringLiteral("PDF"));
    EXPECT_EQ(Ini(), std::string(kManual) + "PrnName=EPSON VP-D500\r\nPrnNoIndex=1\r\nhoxPrn_Top=6\r\nhoxPrn_Left=0\r\n" + kKeptPaper);
    EXPECT_EQ(Label("Label_PrinterIndex"), "1");

    // From now on the feed loads without error.
    SelectFeed(1);
    SelectFeed(0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(VpPrinter().GetIndex(), 1);
}

TEST_F(Registration, ADamagedIndexWithACancelledDialogIsStoredAsPrinterZero)
{
    ThreePrinters();
    WriteIni(std::string(kManual) + "PrnNoIndex=1.5\r\n");
    Start();
    AnswerSetupDialog(-1, false);
    ClickRegisterPrinter();
    EXPECT_EQ(Ini(), std::string(kManual) + "PrnNoIndex=0\r\nPrnName=PDF\r\nhoxPrn_Top=0\r\nhoxPrn_Left=0\r\n" + kKeptPaper);
}

// ---------------------------------------------------- drivers without lists

TEST_F(Registration, APrinterWithoutPaperListDisablesThePaperBoxForGood)
{
    spooler->Add("PDF");
    spooler->Add("NoPapers").papers.reset();
    spooler->Add("NoBins").bins.reset();
    spooler->defaultName = "PDF";
    WriteIni(std::string(kManual) + "PrnNoIndex=2\r\n" + kContinuous + "PrnNoIndex=1\r\n");
    Start();
    EXPECT_EQ(Current("ComboBox1"), QStringLiteral("NoBins"));
    EXPECT_TRUE(Box("ComboBox2")->isEnabled());
    EXPECT_EQ(Box("ComboBox3")->currentIndex(), -1);
    EXPECT_TRUE(Box("ComboBox3")->isEnabled());

    SelectFeed(1);
    EXPECT_EQ(Current("ComboBox1"), QStringLiteral("NoPapers"));
    EXPECT_FALSE(Box("ComboBox2")->isEnabled());
    SelectFeed(0);
    EXPECT_FALSE(Box("ComboBox2")->isEnabled()) << "stays disabled until the program ends";
    EXPECT_EQ(Current("ComboBox2"), QStringLiteral("A4"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Registration, NoPrinterAtAllIsReportedByThePrinterLayer)
{
    Start();
    ASSERT_GE(printerBoxes.size(), 1u);
    EXPECT_EQ(printerBoxes[0].kind, BoxKind::Error);
    EXPECT_EQ(printerBoxes[0].text, "TVpPrinter.CheckNoPrinter: No Printer.");
    const std::size_t before = printerBoxes.size();
    ClickRegisterPrinter();
    ASSERT_EQ(printerBoxes.size(), before + 1);
    EXPECT_EQ(printerBoxes.back().text, "TVpPrinter.CheckNoPrinter: No Printer.");
    EXPECT_FALSE(Exists("hoxa_q310.ini"));
}

}  // namespace
