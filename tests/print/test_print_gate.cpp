// The print gate on a scripted spooler, without a window: every question in
// its order, each No stopping the print there; the journal's place (earlier
// prints, a record that cannot be kept, the record of the job, abandoning);
// cancelling while pages are built.
#include "print/fake_spooler.h"
#include "print/gate_test_util.h"
#include "print/waybill_sample.h"

#include <gtest/gtest.h>

using namespace hoxa;
using namespace hoxa::test;

namespace {

// A journal that asks one question about earlier prints and notes the rest.
class NotingRecorder : public PrintRecorder {
public:
    std::string prepareError;
    std::vector<SentJob> recorded;
    int abandoned = 0;
    bool AskAboutEarlierPrints(const PrintRequest&, const std::string&, PrintAsker& asker) override
    {
        return asker.Ask("以前に印刷した送り状です。もう一度印刷しますか?", DefaultAnswer::No);
    }
    Readiness Prepare(const PrintRequest&, const std::string&, PrintAsker&) override { return {prepareError}; }
    void Record(const SentJob& job) override { recorded.push_back(job); }
    void Abandon(const PrintRequest&) override { ++abandoned; }
};

class Gate : public ::testing::Test {
protected:
    std::shared_ptr<FakeSpooler> spooler = std::make_shared<FakeSpooler>();
    NotingHost host;
    NotingRecorder recorder;
    PrintGate gate{host};

    void SetUp() override
    {
        spooler->Add("A");
        CreateVpPrinter(spooler);
        gate.SetRecorder(&recorder);
        gate.SetFollowUp(0, 0);
    }
    void TearDown() override { DestroyVpPrinter(); }

    static PrintRequest Request(std::size_t pages = 1, PrintOrigin origin = PrintOrigin::F11)
    {
        PrintPage page;
        page.record = SampleWaybill("");
        return PrintRequest::For(origin, std::vector<PrintPage>(pages, page), "");
    }
    GateResult Run(const PrintRequest& r, std::deque<bool> answers, ScriptedAsker* asker = nullptr)
    {
        ScriptedAsker own;
        ScriptedAsker& a = asker ? *asker : own;
        a.answers = std::move(answers);
        return gate.Run(r, a);
    }
};

TEST_F(Gate, QuestionsComeInTheirOrderAndEachNoStopsThePrintThere)
{
    // A first print whose job stays waiting in the queue.
    spooler->newJobs = JobState::Pending;
    ASSERT_TRUE(Run(Request(), {true, true}).Sent());

    // Then everything that is asked about at once.
    PrintRequest r = Request();
    r.registeredPrinter = "Gone";
    r.pages[0].marks.reasons[static_cast<std::size_t>(DestField::Custo1)] = {"おなまえに敬称があります"};
    r.pages[0].record.prnTop = "-60";  // the first line leaves the printable area
    spooler->printers["A"].stopped = true;
    spooler->printers["A"].reasons = {"offline-report", "cups-waiting-for-job-completed"};
    const std::pair<std::string, GateStop> order[] = {
        {"確認が必要な欄があります。このまま印刷しますか?", GateStop::Marks},
        {"印刷できる範囲の外に出る項目があります (でんわ、郵便番号)。このまま印刷しますか?", GateStop::OffArea},
        {"登録されたプリンタ「Gone」が見つかりません。「A」に印刷しますか?", GateStop::Printer},
        {"プリンタ「A」は印刷できる状態ではありません (オフライン)。\nこのまま送りますか?", GateStop::Printer},
        {"プリンタ「A」は停止中です。印刷は再開後に行われます。送りますか?", GateStop::Printer},
        {"前の印刷が まだプリンタに届いていません (1 件)。もう一度送りますか?", GateStop::Printer},
        {"以前に印刷した送り状です。もう一度印刷しますか?", GateStop::EarlierPrint},
        {"印刷しますか?", GateStop::Final},
    };
    const std::size_t n = std::size(order);
    for (std::size_t no = 0; no <= n; ++no) {
        SCOPED_TRACE(no);
        ScriptedAsker asker;
        const GateResult result = Run(r, std::deque<bool>(no, true), &asker);
        std::vector<std::string> want;
        for (std::size_t i = 0; i < std::min(no + 1, n); ++i) want.push_back(order[i].first);
        EXPECT_EQ(asker.asked, want);
        EXPECT_EQ(result.stop, no < n ? order[no].second : GateStop::None);
        EXPECT_EQ(spooler->jobs.size(), no < n ? 1u : 2u);
    }
    // Several pages: the marked ones are counted.
    r.pages.push_back(r.pages[0]);
    r.pages.push_back(Request().pages[0]);
    ScriptedAsker asker;
    Run(r, {}, &asker);
    EXPECT_EQ(asker.asked, std::vector<std::string>{"確認が必要な欄が残っている送り状があります (2 件)。このまま印刷しますか?"});
}

TEST_F(Gate, TheJournalPreparesRecordsOrIsToldThatNothingWasSent)
{
    // A record that cannot be kept is asked about; No prints nothing.
    recorder.prepareError = "記録ファイルに書き込めません。";
    ScriptedAsker asker;
    EXPECT_EQ(Run(Request(), {true, true, false}, &asker).stop, GateStop::NoRecord);
    EXPECT_EQ(asker.asked.back(), "記録ファイルに書き込めません。\n記録を残さずに印刷しますか?");
    recorder.prepareError.clear();

    // A job refused, or cancelled while its pages are built: abandoned, nothing sent.
    spooler->refuseJobs = true;
    EXPECT_THROW(Run(Request(), {true, true}), EOSError);
    spooler->refuseJobs = false;
    ScriptedAsker cancel;
    std::vector<std::size_t> built;
    cancel.progress = [&](std::size_t done, std::size_t total) {
        built.push_back(done);
        return done < 2 && total == 3;
    };
    EXPECT_EQ(Run(Request(3), {true, true}, &cancel).stop, GateStop::Cancelled);
    EXPECT_EQ(built, (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(recorder.abandoned, 2);
    EXPECT_TRUE(spooler->jobs.empty());
    EXPECT_TRUE(host.news.empty());

    // Sent: recorded with the job's number, printer and pages as printed.
    const GateResult r = Run(Request(2), {true, true});
    ASSERT_TRUE(r.Sent());
    ASSERT_EQ(recorder.recorded.size(), 1u);
    EXPECT_EQ(recorder.recorded[0].id, spooler->jobs.back().id);
    EXPECT_EQ(recorder.recorded[0].printer, "A");
    EXPECT_EQ(recorder.recorded[0].pages.size(), 2u);
    EXPECT_EQ(recorder.recorded[0].pages[1].record.dpix, "180");
    EXPECT_EQ(host.news.back().second, "「A」に送りました (ジョブ 1)");

    // The test sheet asks only about the printer and is not recorded.
    spooler->printers["A"].stopped = true;
    ScriptedAsker sheet;
    EXPECT_TRUE(Run(Request(1, PrintOrigin::TestSheet), {true}, &sheet).Sent());
    EXPECT_EQ(sheet.asked, std::vector<std::string>{"プリンタ「A」は停止中です。印刷は再開後に行われます。送りますか?"});
    EXPECT_EQ(recorder.recorded.size(), 1u);
    EXPECT_EQ(recorder.abandoned, 2);
}

}  // namespace
