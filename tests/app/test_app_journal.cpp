// The journal through the main window: each print path, the double-print question, a locked or
// damaged file, the journal window by keyboard, tracking numbers, 発送CSV, the batch list's 印刷済;
// on the private PostgreSQL of with_postgres.sh a server stopped during a print.
#include "print/registration_test_util.h"

#include "app/BatchModel.h"
#include "app/JournalModel.h"
#include "app/JournalUnit.h"
#include "app/TrackingWalkUnit.h"
#include "journal/JournalText.h"
#include "journal/SqliteConnection.h"
#include "journal/journal_test_util.h"
#include "print/WaybillPreviewUnit.h"
#include "print/gate_test_util.h"

#include <QFileDialog>
#include <QTableView>

using namespace hoxa;
using namespace hoxa::regtest;

namespace {

class JournalApp : public RegistrationTest {
protected:
    JournalApp() { spooler->Add("hoxa_dot"); }
    Journal& J() { return *form->PrintJournal(); }
    std::vector<JournalEntry> All() { return J().Load(J().Search({})); }  // newest first
    // An entry of sample waybill n, recorded as a station would.
    JournalEntry Seed(int n, const std::string& batch = {}, const std::string& tracking = {})
    {
        std::vector<JournalEntry> e{test::SampleEntry(n)};
        std::tie(e[0].batch, e[0].tracking) = std::tie(batch, tracking);
        J().Commit(J().Prepare(e).ids, n);
        return e[0];
    }
    void F11(std::deque<bool> a)
    {
        answers = std::move(a);
        QTest::keyClick(E("Edit_G1"), Qt::Key_F11);
    }
    // Runs drive in the journal window opened with F8.
    void InJournal(std::function<void(TForm_Journal*)> drive)
    {
        WhenModalShows<TForm_Journal>([&](TForm_Journal* w) { drive(w), w->close(); });
        QTest::keyClick(E("Edit_G1"), Qt::Key_F8);
    }
    bool Told(const std::string& text, std::size_t box) const
    {
        return box < boxes.size() && boxes[box].text.find(text) != std::string::npos;
    }
};

std::string Text(QWidget* w, const char* name) { return FromQString(In<QLabel>(w, name)->text()); }

TEST_F(JournalApp, EveryPrintPathIsRecordedButTheTestSheet)
{
    Start();
    // A destination printed yesterday is asked about; No sends nothing.
    const std::int64_t yesterday = Seed(1).printedAt - 24 * 3600 * 1000LL;
    SqliteConnection::Open(Path("hoxa_journal.sqlite3").toStdString(), 5000, nullptr)
        ->Run("UPDATE entries SET printed_at = $1", {yesterday});
    for (const auto& [edit, text] : {std::pair("Edit_Zip", "100-0001"), {"Edit_Custo1", "山田 太郎1"}, {"Edit_tel", "03-1234-1001"}})
        E(edit)->SetText(text);
    F11({});
    EXPECT_TRUE(boxes.size() == 1 && Told(DoublePrintQuestion(yesterday), 0));
    EXPECT_TRUE(spooler->jobs.empty());

    E("Edit_Custo1")->SetText("山田　一郎");
    F11({true});
    ASSERT_EQ(All().size(), 2u);
    const JournalEntry f11 = All()[0];
    EXPECT_EQ(std::pair(f11.state, f11.jobId), std::pair(EntryState::Printed, spooler->jobs.back().id));
    EXPECT_EQ(f11.printer + " " + f11.waybill.dpix, "hoxa_dot " + FromQString(C<QLabel>("Label_dpix")->text()));

    // The preview's 印刷: the same waybill again is asked about, No by default.
    answers = {true};
    WhenModalShows<TForm_WaybillPreview>([](auto* d) { In<QPushButton>(d, "BitBtn_Print")->click(); });
    QTest::keyClick(E("Edit_G1"), Qt::Key_F10);
    EXPECT_EQ(boxes.back().text, DoublePrintQuestion(f11.printedAt));
    EXPECT_EQ(boxes.back().kind, BoxKind::QuestionDefaultNo);

    // A batch is asked about once; an order another station claims under the
    // last question is asked about again, Yes printing it as a reprint of that.
    PrintPage a, b;
    a.record = b.record = form->CurrentWaybill();
    a.record.custo1 = "別人";
    a.order = {Marketplace::Rakuten, "orders.csv", "R-1", {}};
    b.order = {Marketplace::Rakuten, "orders.csv", "R-2", {}};
    test::ScriptedAsker asker;
    asker.answers = {true, true, true};
    std::vector<JournalEntry> claim{test::SampleEntry(9)};
    claim[0].order = a.order;
    asker.onAsk = [&](const std::string& q) { q == kPrintQuestion ? void(J().Prepare(claim)) : void(); };
    const std::int64_t preview = All()[0].printedAt;
    ASSERT_TRUE(form->Gate().Run(PrintRequest::For(PrintOrigin::Batch, {a, b}, ""), asker).Sent());
    EXPECT_EQ(asker.asked[0], "2 件のうち 1 件の送り状は印刷済みです (最後は " + FormatPrintTime(preview) +
                                  ")。もう一度印刷しますか?");
    EXPECT_EQ(asker.asked[2], "2 件のうち 1 件の送り状は印刷済みです (最後は " + FormatPrintTime(claim[0].printedAt) +
                                  ")。もう一度印刷しますか?");
    asker.onAsk = {};
    boxes.clear();
    answers = {true};
    ASSERT_TRUE(form->ReprintEntries(form.get(), {f11}));
    EXPECT_EQ(boxes.size(), 1u);  // 印刷しますか?
    ASSERT_TRUE(form->Gate().Run(PrintRequest::For(PrintOrigin::TestSheet, {a}, ""), asker).Sent());

    const std::vector<JournalEntry> all = All();
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(all[0].reprintOf, f11.uid);
    EXPECT_EQ(all[1].order.orderId, "R-2");
    EXPECT_EQ(all[2].reprintOf, claim[0].uid);
    EXPECT_EQ(all[1].batch, all[2].batch);
    EXPECT_NE(all[1].batch, all[4].batch);
    EXPECT_EQ(spooler->jobs.size(), 5u);  // the test sheet printed, unrecorded
}

TEST_F(JournalApp, LockedFileAsksToPrintWithoutARecordAndADamagedOneIsReplaced)
{
    Start();
    Seed(1);
    auto other = SqliteConnection::Open(Path("hoxa_journal.sqlite3").toStdString(), 5000, nullptr);
    other->BeginWrite();
    F11({true, true});
    EXPECT_TRUE(Told("は別の hoxa が使用中で、5 秒待っても空きませんでした。\n記録を残さずに印刷しますか?", 1));
    EXPECT_EQ(spooler->jobs.size(), 1u);
    other.reset();  // its transaction rolled back
    EXPECT_EQ(All().size(), 1u);

    form.reset();
    WriteFile("hoxa_journal.sqlite3", std::string(8192, 'Z'));
    Open();
    boxes.clear();
    F11({true});
    EXPECT_TRUE(Told("が壊れていたため hoxa_journal.damaged-", 0));
    EXPECT_EQ(All().size(), 1u);  // in the new file
}

TEST_F(JournalApp, WindowSearchesRecallsReprintsAndDeletesByKeyboard)
{
    Start();
    for (int n = 1; n <= 3; ++n) Seed(n);
    InJournal([&](TForm_Journal* w) {
        EXPECT_EQ(FromQString(w->windowTitle()), "印刷履歴");
        EXPECT_EQ(Text(w, "Label_Store"), "記録先: hoxa_journal.sqlite3");
        EXPECT_EQ(Text(w, "Label_Count"), "3 件");
        QTest::keyClicks(In<QLineEdit>(w, "Edit_Search"), QStringLiteral("1234-1002"));
        QTest::keyClick(In<QLineEdit>(w, "Edit_Search"), Qt::Key_Return);  // the list takes the focus
        EXPECT_EQ(Text(w, "Label_Count"), "1 件");
        In<QLineEdit>(w, "Edit_Search")->setFocus();
        QTest::keyClick(In<QLineEdit>(w, "Edit_Search"), Qt::Key_Down);  // on into the list
        EXPECT_EQ(w->focusWidget(), w->List());
        w->resize(800, 500);
        QTest::keyClick(w->List(), Qt::Key_Return);  // 呼び出し
    });
    EXPECT_EQ(E("Edit_Custo1")->Text() + E("Edit_MyADD1")->Text(), "山田　太郎2大阪府大阪市北区梅田");
    EXPECT_NE(form->Guidance().find("呼び出しました"), std::string::npos) << form->Guidance();
    EXPECT_NE(ReadFile("hoxa_NIVORA.ini").find("[hoxa_History]\r\nWidth=800\r\nHeight=500\r\n"), std::string::npos);
    F11({true});
    EXPECT_EQ(All()[0].reprintOf, All()[2].uid);  // of 太郎2, asked nothing of it
    EXPECT_EQ(boxes.size(), 1u);
    F11({false});  // printed again just now: asked like any other waybill
    EXPECT_NE(boxes.back().text.find("印刷済み"), std::string::npos) << boxes.back().text;
    EXPECT_EQ(All().size(), 4u);

    InJournal([&](TForm_Journal* w) {
        QTest::keyClick(w->List(), Qt::Key_Down, Qt::ShiftModifier);  // the two newest
        answers = {false};
        QTest::keyClick(w->List(), Qt::Key_Delete);
        EXPECT_EQ(boxes.back().kind, BoxKind::QuestionDefaultNo);
        EXPECT_EQ(w->Model().Count(), 4u);
        answers = {true};
        In<QPushButton>(w, "BitBtn_Reprint")->click();  // one job of two pages, oldest first
        EXPECT_EQ(boxes.back().text, "2 件の送り状を印刷しますか?");
        EXPECT_EQ(w->Model().Count(), 6u);
        w->List()->selectRow(0);
        answers = {true};
        QTest::keyClick(w->List(), Qt::Key_Delete);
        EXPECT_EQ(w->Model().Count(), 5u);
    });
    EXPECT_EQ(All()[0].reprintOf, All()[2].uid);  // the reprint of the older of the two stays
}

TEST_F(JournalApp, TrackingNumbersTypedScannedAndWalked)
{
    Start();
    std::string serial[6] = {"12345678901"};
    serial[0] += SevenDRCheckDigit(serial[0]);
    for (int k = 1; k < 6; ++k) serial[k] = NextTrackingNumber(serial[k - 1], TrackingRule::SevenDR);
    for (int n = 1; n <= 4; ++n) Seed(n, n < 4 ? "b-1" : "", n < 4 ? "" : serial[4]);
    InJournal([&](TForm_Journal* w) {
        auto* box = In<QLineEdit>(w, "Edit_Tracking");
        w->List()->selectRow(3);  // the batch's first
        const struct { std::string typed, told, stored; } cases[] = {
            {"1234-5678-9010", "チェック数字", ""},                  // refused
            {FormatTrackingNumber(serial[4]), "入力済みです", ""},  // held by another: No
            {FormatTrackingNumber(serial[0]), "", serial[0]},
        };
        for (const auto& c : cases) {
            boxes.clear();
            box->setText(ToQString(c.typed));
            QTest::keyClick(box, Qt::Key_Return);
            EXPECT_EQ(w->Model().EntryAt(3).tracking, c.stored) << c.typed;
            EXPECT_EQ(Told(c.told, 0), !c.told.empty()) << c.typed;
        }
        // Walked on from the first: Enter takes the offer, a spoilt form skips one, a scan overrides.
        WhenModalShows<TForm_TrackingWalk>([&](TForm_TrackingWalk* walk) {
            auto* number = In<QLineEdit>(walk, "Edit_Number");
            EXPECT_EQ(Text(walk, "Label_Offered").find("次の伝票番号 " + FormatTrackingNumber(serial[1])), 0u);
            In<QPushButton>(walk, "BitBtn_Spoilt")->click();
            QTest::keyClick(number, Qt::Key_Return);
            QTest::keyClicks(number, ToQString(serial[5]));
            QTest::keyClick(number, Qt::Key_Return);
        });
        In<QPushButton>(w, "BitBtn_Walk")->click();
    });
    EXPECT_EQ(All()[1].tracking + All()[2].tracking, serial[5] + serial[2]);
    EXPECT_EQ(boxes.back().text, "伝票番号を 2 件入力しました。");
}

TEST_F(JournalApp, UploadFileReadBackAndBatchListMarkedPrinted)
{
    Start();
    Seed(1, {}, "123456789013");
    Seed(2);
    InJournal([&](TForm_Journal* w) {
        w->List()->selectAll();
        WhenModalShows<QFileDialog>([&](QFileDialog* d) { d->selectFile(Path("up.csv")), static_cast<QDialog*>(d)->accept(); });
        In<QPushButton>(w, "BitBtn_Upload")->click();
    });
    EXPECT_EQ(boxes.back().text, "up.csv に 1 件の発送を書きました。\n注文番号か伝票番号のない 1 件は書いていません。");
    EXPECT_EQ(ReadFile("up.csv"), "\"注文番号\",\"送付先ID\",\"発送明細ID\",\"お荷物伝票番号\",\"配送会社\",\"発送日\"\r\n"
                                  "\"ORDER-1\",\"1\",\"71\",\"123456789013\",\"1001\",\"2024-12-07\"\r\n");

    // An order file: the order printed before is 印刷済 and unchecked.
    WriteFile("orders.csv", "注文番号,送付先郵便番号1,送付先郵便番号2,送付先住所都道府県,送付先住所郡市区,"
                            "送付先住所それ以降の住所,送付先姓,送付先名,送付先電話番号1,送付先電話番号2,送付先電話番号3,商品名,個数\r\n"
                            "ORDER-3,107,0061,東京都,港区,北青山9-8-7,架空,一郎,03,9999,0001,石けん,2\r\n"
                            "ORDER-2,150,0041,東京都,渋谷区,神南8-8-8,見本,花子,03,9999,0002,木のスプーン,1\r\n");
    std::vector<bool> shown;
    WhenModalShows<TForm_Batch>([&](TForm_Batch* b) {
        for (int i = 0; i < 300 && b->Model().Size() == 0; ++i) QTest::qWait(10);
        shown = {b->Model().Printed(0), b->Model().Checked(0), b->Model().Printed(1), b->Model().Checked(1)};
        // Printed again on purpose: asked once, then the final question, and nothing more.
        b->Model().SetChecked(0, false);
        b->Model().SetChecked(1, true);
        const std::size_t before = boxes.size();
        answers = {true, true, false};
        In<QPushButton>(b, "BitBtn_Print")->click();
        std::vector<std::string> asked;
        for (std::size_t i = before; i < boxes.size(); ++i) asked.push_back(boxes[i].text);
        EXPECT_EQ(asked, (std::vector<std::string>{DoublePrintQuestion(All()[0].printedAt), "1 件の送り状を印刷しますか?"}));
        b->close();
    });
    form->OpenBatch(Path("orders.csv"));
    EXPECT_EQ(shown, (std::vector<bool>{false, true, true, false}));
    EXPECT_EQ(All()[0].reprintOf, All()[1].uid);  // ORDER-2 again, as a reprint of its print
}

TEST_F(JournalApp, ServerStoppedDuringAPrintIsNamed)
{
    if (!test::PgAdmin()) GTEST_SKIP() << "no server: run through with_postgres.sh";
    test::FreshStore db("postgres");
    WriteFile("hoxa_NIVORA.ini", "[hoxa_Journal]\r\nServer=" + db.Place().server + "\r\n");
    Start();
    const std::string ctl = std::getenv("HOXA_PG_CTL"), server = PgServerName(db.Place().server);
    onQuestion = [&](const std::string& q) {
        EXPECT_TRUE(q != kPrintQuestion || std::system((ctl + " stop -m immediate >/dev/null").c_str()) == 0);
    };
    F11({true, false});
    EXPECT_TRUE(Told("印刷履歴のサーバー " + server + " に接続できません", 1));
    EXPECT_TRUE(Told("\n記録を残さずに印刷しますか?", 1));
    EXPECT_TRUE(spooler->jobs.empty());
    ASSERT_EQ(std::system((ctl + " start >/dev/null").c_str()), 0);

    InJournal([&](TForm_Journal* w) { EXPECT_EQ(Text(w, "Label_Store"), "記録先: サーバー " + server); });
}

}  // namespace
