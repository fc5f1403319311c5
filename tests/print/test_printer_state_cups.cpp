// The registered printer against a private CUPS server (run by with_cupsd.sh):
// removed while the program runs, removed before a start, back again, and a
// stopped queue.  Nothing is sent without the user's Yes to a question that
// names the printer.
#include "registration_test_util.h"

#include "print/CupsSpooler.h"
#include "print/PrinterWatcher.h"

#include <cups/cups.h>

#include <cstdlib>

using namespace hoxa;
using namespace hoxa::regtest;

namespace {

const char kQueue[] = "waybillpdf";

int JobCount(const std::string& queue)
{
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
    cupsFreeJobs(n, jobs);
    return n;
}

int Shell(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()); }

class PrinterStateCups : public apptest::MainWindowTest {
protected:
    std::string dot, pdf, out, ppd;
    std::unique_ptr<PrinterWatcher> watcher;

    void SetUp() override
    {
        apptest::MainWindowTest::SetUp();
        const char* d = std::getenv("HOXA_CUPS_DOT");
        if (!d) GTEST_SKIP() << "run through tests/print/with_cupsd.sh";
        dot = d;
        pdf = std::getenv("HOXA_CUPS_PDF");
        out = std::getenv("HOXA_CUPS_OUT");
        ppd = std::getenv("HOXA_CUPS_PDF_PPD");
        ASSERT_EQ(AddQueue(), 0);
    }
    void TearDown() override
    {
        watcher.reset();
        apptest::MainWindowTest::TearDown();
        DestroyVpPrinter();
        Shell(std::string("lpadmin -x ") + kQueue);
        Shell("cupsenable " + dot);
    }

    int AddQueue() const
    {
        return Shell(std::string("lpadmin -p ") + kQueue + " -E -v file://" + out + "/" + kQueue + ".out -P '" + ppd + "'");
    }
    static int RemoveQueue() { return Shell(std::string("lpadmin -x ") + kQueue); }

    // The program's start: the printer layer over CUPS, the main window and the
    // change check wired to it.
    void Start()
    {
        CreateVpPrinter(std::make_shared<CupsSpooler>());
        WriteSlot0();
        Open();
        watcher = std::make_unique<PrinterWatcher>(form.get(), 0, 0);
        form->WatchPrinters(*watcher);
    }
    void Restart()
    {
        watcher.reset();
        form->close();
        form.reset();
        Start();
    }

    std::string Printer() const { return FromQString(C<QComboBox>("ComboBox1")->currentText()); }
    // F11 as the user presses it, answering the questions in turn; returns the
    // questions asked.
    std::vector<std::string> F11(std::deque<bool> replies)
    {
        boxes.clear();
        answers = std::move(replies);
        C<QToolButton>("SpeedButton_F11")->click();
        std::vector<std::string> asked;
        for (const apptest::Box& b : boxes) asked.push_back(b.text);
        return asked;
    }
    int AllJobs() const { return JobCount(dot) + JobCount(pdf) + JobCount(kQueue); }
};

const std::string kPrint = "印刷しますか?";

TEST_F(PrinterStateCups, RemovedWhileRunningIsShownAskedAboutAndUsedAgainWhenBack)
{
    // Hand-fed forms on waybillpdf (third in the list), continuous on the dot queue.
    const std::string ini = std::string("[手差し]\r\nPrnName=") + kQueue + "\r\nPrnNoIndex=2\r\nhoxPrn_Top=0\r\nhoxPrn_Left=0\r\n" +
                            "[連続(４インチ)]\r\nPrnName=" + dot + "\r\nPrnNoIndex=0\r\nhoxPrn_Top=0\r\nhoxPrn_Left=0\r\n";
    WriteFile("hoxa_q310.ini", ini);
    Start();
    ASSERT_EQ(Printer(), kQueue);

    ASSERT_EQ(RemoveQueue(), 0);
    EXPECT_TRUE(watcher->CheckNow());
    EXPECT_EQ(Printer(), std::string(kQueue) + " (見つかりません)");
    EXPECT_EQ(form->Guidance(), "「waybillpdf」が見つかりません。つなぎ直すか、セットするプリンタを登録し直してください");
    // Paper and bins of the printer a print would now use: the dot queue's.
    EXPECT_GE(C<QComboBox>("ComboBox3")->count(), 2);

    const int before = AllJobs();
    const std::string question = "登録されたプリンタ「waybillpdf」が見つかりません。「" + dot + "」に印刷しますか?";
    EXPECT_EQ(F11({false}), std::vector<std::string>{question});
    EXPECT_EQ(AllJobs(), before) << "No sends nothing";
    const int dotJobs = JobCount(dot);
    EXPECT_EQ(F11({true, true}), (std::vector<std::string>{question, kPrint}));
    EXPECT_EQ(JobCount(dot), dotJobs + 1) << "Yes prints there, for this one print";
    EXPECT_EQ(F11({false}), std::vector<std::string>{question}) << "and asks again next time";

    // Back again: used without a new registration.
    ASSERT_EQ(AddQueue(), 0);
    EXPECT_TRUE(watcher->CheckNow());
    EXPECT_EQ(Printer(), kQueue);
    EXPECT_EQ(form->Guidance().find("見つかりません"), std::string::npos);
    EXPECT_EQ(F11({true}), std::vector<std::string>{kPrint});
    EXPECT_EQ(JobCount(kQueue), 1);
    EXPECT_EQ(ReadFile("hoxa_q310.ini"), ini);
    EXPECT_TRUE(printerBoxes.empty());
}

TEST_F(PrinterStateCups, RemovedBeforeAStartWhenItsNumberNamesAnotherPrinter)
{
    // Registered when it stood second; gone, the number names the PDF queue.
    WriteFile("hoxa_q310.ini", std::string("[手差し]\r\nPrnName=") + kQueue + "\r\nPrnNoIndex=1\r\n");
    ASSERT_EQ(RemoveQueue(), 0);
    Start();
    EXPECT_EQ(Printer(), std::string(kQueue) + " (見つかりません)");
    EXPECT_NE(form->Guidance().find("見つかりません"), std::string::npos) << "shown after the start";
    const int before = AllJobs();
    EXPECT_EQ(F11({false}),
              std::vector<std::string>{"登録されたプリンタ「waybillpdf」が見つかりません。「" + pdf + "」に印刷しますか?"});
    EXPECT_EQ(AllJobs(), before);
}

TEST_F(PrinterStateCups, StoppedQueueIsAskedAboutAndTheJobWaits)
{
    WriteFile("hoxa_q310.ini", "[手差し]\r\nPrnName=" + dot + "\r\nPrnNoIndex=0\r\n");
    Start();
    ASSERT_EQ(Printer(), dot);
    ASSERT_EQ(Shell("cupsdisable " + dot), 0);
    const std::string question = "プリンタ「" + dot + "」は停止中です。印刷は再開後に行われます。送りますか?";
    const int before = JobCount(dot);
    EXPECT_EQ(F11({false}), std::vector<std::string>{question});
    EXPECT_EQ(JobCount(dot), before);
    EXPECT_EQ(F11({true, true}), (std::vector<std::string>{question, kPrint}));
    EXPECT_EQ(JobCount(dot), before + 1);
    EXPECT_TRUE(printerBoxes.empty());
}

}  // namespace
