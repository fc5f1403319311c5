// The registered printer against a private CUPS server (run by with_cupsd.sh):
// removed while the program runs or while a question is open, removed before a
// start, back again, a stopped queue, a printer that is off (two F11 in a row),
// a back end that fails, the job confirmed, the print server away.  Nothing is
// sent without the user's Yes to a question that names the printer.
#include "registration_test_util.h"

#include "app/BatchModel.h"
#include "journal/Journal.h"
#include "print/CupsSpooler.h"
#include "print/PrinterWatcher.h"
#include "print/cups_jobs.h"
#include "print/layout_readback.h"

#include <QProgressDialog>
#include <cups/cups.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
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

// A local port nothing listens on: one the kernel gave and took back.
int ClosedPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), n);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    close(fd);
    return ntohs(a.sin_port);
}

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
        for (const char* queue : {kQueue, "hoxa_off", "hoxa_nofolder"}) Shell(std::string("lpadmin -x ") + queue);
        Shell("cupsenable " + dot);
    }

    int AddQueue(const std::string& name = kQueue, std::string uri = {}) const
    {
        if (uri.empty()) uri = "file://" + out + "/" + name + ".out";
        return Shell("lpadmin -p " + name + " -E -v " + uri + " -P '" + ppd + "'");
    }
    void Register(const std::string& queue) const
    {
        WriteFile("hoxa_q310.ini", "[手差し]\r\nPrnName=" + queue + "\r\nPrnNoIndex=0\r\n");
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
    // F11 (or `button`) as the user presses it, answering the questions in turn;
    // returns the questions asked.
    std::vector<std::string> F11(std::deque<bool> replies, QAbstractButton* button = nullptr)
    {
        boxes.clear();
        answers = std::move(replies);
        (button ? button : C<QToolButton>("SpeedButton_F11"))->click();
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

namespace {

TEST_F(PrinterStateCups, ThePrinterAQuestionNamedIsThePrinterTheJobGoesTo)
{
    Register(kQueue);
    Start();
    ASSERT_EQ(Printer(), kQueue);
    // The queue is deleted while 「印刷しますか?」 is open; the change check then
    // moves nothing.
    onQuestion = [&](const std::string& q) {
        if (q != kPrint) return;
        EXPECT_EQ(RemoveQueue(), 0);
        EXPECT_FALSE(watcher->CheckNow()) << "held while asking";
        EXPECT_EQ(Printer(), kQueue);
    };
    const int before = JobCount(dot) + JobCount(pdf);
    EXPECT_EQ(F11({true, false}),
              (std::vector<std::string>{kPrint, "プリンタ「waybillpdf」が見つからなくなりました。「" + dot + "」に印刷しますか?"}));
    EXPECT_EQ(JobCount(dot) + JobCount(pdf), before) << "No: nothing sent anywhere";
    EXPECT_EQ(Printer(), std::string(kQueue) + " (見つかりません)");
}

TEST_F(PrinterStateCups, APrinterThatIsOffIsNotSentTheSameWaybillTwiceUnasked)
{
    ASSERT_EQ(AddQueue("hoxa_off", "socket://127.0.0.1:" + std::to_string(ClosedPort())), 0);
    Register("hoxa_off");
    Start();
    EXPECT_EQ(F11({true}), std::vector<std::string>{kPrint});
    EXPECT_EQ(form->Guidance().rfind("「hoxa_off」に送りました (ジョブ ", 0), 0u) << form->Guidance();
    // Yes to whatever the server says of the printer, No to sending it again.
    const std::string again = "前の印刷が まだプリンタに届いていません (1 件)。もう一度送りますか?";
    onQuestion = [&](const std::string& q) { answers = {!q.ends_with(again)}; };
    const std::vector<std::string> second = F11({});
    ASSERT_FALSE(second.empty());
    EXPECT_TRUE(second.back().ends_with(again)) << second.back();
    EXPECT_EQ(JobCount("hoxa_off"), 1);
}

TEST_F(PrinterStateCups, AJobIsFollowedUntilItIsPrintedOrTheServerStopsIt)
{
    ASSERT_EQ(AddQueue("hoxa_nofolder", "file://" + out + "/missing/nofolder.out"), 0);
    for (const std::string& queue : {std::string(kQueue), std::string("hoxa_nofolder")}) {
        SCOPED_TRACE(queue);
        Register(queue);
        if (form) Restart();
        else Start();
        form->Gate().SetFollowUp(100, 10000);
        EXPECT_EQ(F11({true}), std::vector<std::string>{kPrint});
        const std::string sent = form->Guidance();
        ASSERT_EQ(sent.rfind("「" + queue + "」に送りました (ジョブ ", 0), 0u) << sent;
        const std::string number = sent.substr(sent.rfind(' ') + 1, sent.size() - sent.rfind(' ') - 2);
        const std::string job = "「" + queue + "」のジョブ " + number;
        if (queue == kQueue) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return form->Guidance() == job + " を印刷しました"; }, 10000))
                << form->Guidance();
        } else {
            ASSERT_TRUE(QTest::qWaitFor([&] { return CountBoxes(BoxKind::Error) > 0; }, 10000));
            EXPECT_EQ(boxes.back().text.rfind(job + " は印刷サーバーで止まっています。まだ印刷されていません。", 0), 0u)
                << boxes.back().text;
        }
    }
}

TEST_F(PrinterStateCups, APrintServerAwayIsNamedAndThePrinterMarkedUntilItIsBack)
{
    Register(kQueue);
    const std::string away = "プリント サーバー(127.0.0.1)に接続できません";
    cupsSetServer("127.0.0.1:1");  // nothing listens there
    Start();
    EXPECT_EQ(printerBoxes.size(), 1u) << "the start-up box, as before";
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(Printer(), std::string(kQueue) + " (見つかりません)");
        EXPECT_EQ(form->Guidance(), away);
        cupsSetServer(nullptr);  // back to the private server
        EXPECT_TRUE(watcher->CheckNow());
        EXPECT_EQ(Printer(), kQueue);
        EXPECT_NE(form->Guidance(), away);
        cupsSetServer("127.0.0.1:1");  // away again while the program runs
        EXPECT_FALSE(watcher->CheckNow());
    }
    cupsSetServer(nullptr);
}

TEST_F(PrinterStateCups, ABatchIsOneJobOnTheFeedsPaperEachPageAsTheSinglePrintDrawsIt)
{
    // B-2 has no telephone; no name has a space (the read-back ends a word there).
    WriteFile("orders.csv", "注文番号,送付先郵便番号,送付先都道府県,送付先それ以降の住所,送付先氏名,送付先電話番号,商品名\r\n"
                            "B-1,107-0061,東京都,港区北青山9-8-7,架空一郎,03-9999-0001,石けん\r\n"
                            "B-2,150-0041,東京都,渋谷区神南8-8-8,見本花子,,木のスプーン\r\n"
                            "B-3,100-0001,東京都,千代田区千代田1-1,試験次郎,090-1111-2222,小皿\r\n"
                            "B-4,105-0011,東京都,港区芝公園1-1,見本三郎,03-0000-0000,箸\r\n");
    WriteFile("hoxa_q310.ini", std::string("[手差し]\r\nPrnName=") + kQueue + "\r\nhoxPrn_Top=10\r\nhoxPrn_Left=-5\r\nhoxPrn_Paper=A4\r\n");
    Start();
    const int before = AllJobs();
    std::vector<WaybillRecord> printed;
    WhenModalShows<TForm_Batch>([&](TForm_Batch* b) {
        ASSERT_TRUE(QTest::qWaitFor([b] { return b->Model().Size() == 4; }));
        auto* print = b->findChild<QPushButton*>(QStringLiteral("BitBtn_Print"));
        const std::string marks = "確認が必要な欄が残っている送り状があります (1 件)。このまま印刷しますか?";
        EXPECT_EQ(F11({false}, print), std::vector<std::string>{marks});
        EXPECT_EQ(b->CurrentRow(), std::optional<std::size_t>(1)) << "the marked row";
        // All four: the marks first, the count last; 中止 while the pages are built sends nothing.
        WhenModalShows<QProgressDialog>([](QProgressDialog* bar) { bar->findChild<QPushButton*>()->click(); });
        EXPECT_EQ(F11({true, true}, print), (std::vector<std::string>{marks, "4 件の送り状を印刷しますか?"}));
        EXPECT_EQ(AllJobs(), before);
        b->Model().SetChecked(1, false);
        EXPECT_EQ(F11({true}, print), std::vector<std::string>{"3 件の送り状を印刷しますか?"});
        EXPECT_TRUE(b->Model().Printed(0) && !b->Model().Printed(1) && b->Model().Printed(3) && !b->Model().CheckedCount());
        EXPECT_EQ(FromQString(b->findChild<QLabel*>(QStringLiteral("Label_Guidance"))->text()).rfind("「waybillpdf」に送りました", 0), 0u);
        for (const std::size_t row : {0, 2, 3}) printed.push_back(b->RecordOf(row));
        b->close();
    });
    form->OpenBatch(Path("orders.csv"));
    const test::FinishedJob job = test::WaitForJob(kQueue);
    ASSERT_EQ(job.state, IPP_JSTATE_COMPLETED);
    EXPECT_EQ(AllJobs(), before + 1);
    // Every page is in the journal with its order and the job's number.
    Journal& journal = *form->PrintJournal();
    std::vector<std::string> orders;
    for (const JournalEntry& e : journal.Load(journal.Search({})))
        if (e.jobId == job.id) orders.push_back(e.order.orderId);
    std::sort(orders.begin(), orders.end());
    EXPECT_EQ(orders, (std::vector<std::string>{"B-1", "B-3", "B-4"}));
    QString error;
    const auto pages = test::ReadPdfWords(QString::fromStdString(out + "/" + kQueue + ".out"), &error);
    ASSERT_EQ(pages.size(), printed.size()) << error.toStdString();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_NEAR(pages[i].width, 595.3, 1.0) << "A4, not the queue's Letter";
        EXPECT_NEAR(pages[i].height, 841.9, 1.0);
        const int dpi = std::stoi(printed[i].dpix);
        for (const auto& f : test::CompareWithPage(ComputeWaybillLayout(printed[i]), pages[i], dpi, dpi, 1.0,
                                                   hoxa::Printer().Page().left, hoxa::Printer().Page().top))
            ADD_FAILURE() << "page " << i << ": " << f;
    }
}

}  // namespace
