// The journal against both stores: the local file, and the private PostgreSQL
// server of with_postgres.sh (skipped without it).
#include "base/Codec.h"
#include "journal/Journal.h"
#include "journal/JournalColumns.h"
#include "journal/JournalPager.h"
#include "journal/JournalRows.h"
#include "journal/JournalText.h"
#include "journal/SqliteConnection.h"
#include "journal_test_util.h"

#include <latch>
#include <optional>
#include <thread>

using namespace hoxa;
using namespace hoxa::test;

namespace {

class JournalStore : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (GetParam() == "postgres" && !PgAdmin()) GTEST_SKIP() << "no server: run through with_postgres.sh";
        store_.emplace(GetParam());
        journal_.emplace(store_->Place());
    }
    std::unique_ptr<SqlConnection> Raw() const
    {
        if (GetParam() == "postgres") return std::make_unique<PgConnection>(store_->Place().server, kJournalTimeout);
        return SqliteConnection::Open(store_->File(), 5000, nullptr);
    }
    // Prints the entries as one job; each call a millisecond later than the last.
    std::vector<JournalEntry> Print(std::vector<JournalEntry> es, int job = 7)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const Recording rec = journal_->Prepare(es);
        EXPECT_TRUE(rec.conflicts.empty());
        journal_->Commit(rec.ids, job);
        return es;
    }

    std::optional<FreshStore> store_;
    std::optional<Journal> journal_;
};

TEST_P(JournalStore, KeepsEveryFieldAsPrintedFromPendingToPrinted)
{
    std::vector<JournalEntry> es{SampleEntry(1), SampleEntry(2, Marketplace::Amazon)};
    es[0].waybill.g3 = "ギフト包装〓";
    es[0].waybill.printSender = false;
    es[1].order.uploadFields = {{"order-item-id", "111"}, {"quantity", "2"}, {"order-item-id", "112"}};
    const Recording rec = journal_->Prepare(es);
    ASSERT_EQ(rec.ids.size(), 2u);
    EXPECT_EQ(es[0].uid.size(), 32u);
    EXPECT_NE(es[0].uid, es[1].uid);
    EXPECT_EQ(journal_->Load(rec.ids), es);  // pending, job 0

    journal_->Commit(std::span(rec.ids).first(1), 42);
    journal_->Abandon(rec.ids);  // takes only the one still pending
    es[0].state = EntryState::Printed;
    es[0].jobId = 42;
    EXPECT_EQ(journal_->Load(rec.ids), std::vector<JournalEntry>{es[0]});
}

TEST_P(JournalStore, SearchFindsAnyPartNewestFirstAndPages)
{
    std::vector<JournalId> id;
    for (int n = 1; n <= 3; ++n) id.push_back(Print({SampleEntry(n)})[0].id);
    journal_->SetTracking(id[0], "123456789013");
    const std::vector<std::pair<std::string, std::vector<JournalId>>> cases = {
        {"", {id[2], id[1], id[0]}},
        {"山田", {id[2], id[1], id[0]}},
        {"太郎2", {id[1]}},                     // the blank inside the name ignored
        {"０３１２３４１００２", {id[1]}},      // full-width, without hyphens
        {"100-0003", {id[2]}},
        {"千代田3ハイツ", {id[2]}},             // across the two address lines
        {"order-1", {id[0]}},
        {"1234-5678-9013", {id[0]}},
        {"大阪", {}},
        {"田3", {id[2]}},                       // one or two characters: every text read
        {"イ", {id[2], id[1], id[0]}},
        {"order%1", {}},                        // no wildcard
    };
    for (const auto& [text, want] : cases) EXPECT_EQ(journal_->Search({text}), want) << text;

    const auto at = journal_->Load(id);
    EXPECT_EQ(journal_->Search({"", at[1].printedAt, at[2].printedAt}), std::vector<JournalId>{id[1]});

    JournalPager pager(*journal_, 2, 1);
    pager.Search({"山田"});
    ASSERT_EQ(pager.Count(), 3u);
    EXPECT_EQ(pager.At(2).id, id[0]);
    EXPECT_EQ(JournalCellText(pager.At(2), JournalColumn::Tracking), "1234-5678-9013");
    journal_->Remove(std::span(id).subspan(2));  // another station removes the newest
    EXPECT_EQ(journal_->Search({"山田"}), (std::vector<JournalId>{id[1], id[0]}));
    EXPECT_EQ(pager.At(1).waybill.custo1, "山田　太郎2");
    EXPECT_EQ(pager.At(0).id, id[2]);
    EXPECT_EQ(pager.At(0).waybill.custo1, "");
}

TEST_P(JournalStore, DoublePrintByDestinationFor14DaysAndByOrderForEver)
{
    const JournalEntry a = Print({SampleEntry(1)})[0];
    const std::int64_t now = NowMs();
    WaybillRecord same = a.waybill;
    same.zip = "１００－０００１";
    same.custo1 = "山田 太郎1";
    same.tel = "０３１２３４１００１";  // without its hyphens
    const auto found = journal_->FindEarlierPrint(same, {}, now);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->uid, a.uid);
    EXPECT_FALSE(found->sameOrder);
    EXPECT_EQ(DoublePrintQuestion(found->printedAt),
              "この送り状は " + FormatPrintTime(a.printedAt) + " に印刷済みです。もう一度印刷しますか?");
    EXPECT_FALSE(journal_->FindEarlierPrint(same, {}, now + kDoublePrintWindowMs + 1000));
    WaybillRecord other = same;
    other.tel = "03-1234-9999";
    EXPECT_FALSE(journal_->FindEarlierPrint(other, {}, now));
    const auto byOrder = journal_->FindEarlierPrint(other, a.order, now + 400 * kDoublePrintWindowMs);
    ASSERT_TRUE(byOrder);
    EXPECT_TRUE(byOrder->sameOrder);
    OrderRef elsewhere = a.order;
    elsewhere.market = Marketplace::Yahoo;  // the same number at another marketplace
    EXPECT_FALSE(journal_->FindEarlierPrint(other, elsewhere, now));
}

TEST_P(JournalStore, AnOrderIsClaimedByOnePrintOfTwoAtTheSameMoment)
{
    Journal station2(store_->Place());
    for (int n = 1; n <= 10; ++n) {
        std::vector<JournalEntry> mine{SampleEntry(n)}, theirs{SampleEntry(n)};
        Recording r1, r2;
        std::latch start(2);
        std::thread t([&] { start.arrive_and_wait(); r2 = station2.Prepare(theirs); });
        start.arrive_and_wait();
        r1 = journal_->Prepare(mine);
        t.join();
        ASSERT_NE(r1.conflicts.empty(), r2.conflicts.empty()) << n;
        Recording& lost = r1.conflicts.empty() ? r2 : r1;
        const JournalEntry& winner = r1.conflicts.empty() ? mine[0] : theirs[0];
        EXPECT_TRUE(lost.ids.empty());
        EXPECT_EQ(lost.conflicts[0].second.uid, winner.uid);
    }
    EXPECT_EQ(journal_->Search({}).size(), 10u);

    // Asked and answered Yes: a reprint of the earlier print.
    std::vector<JournalEntry> again{SampleEntry(1)};
    again[0].reprintOf = journal_->Prepare(again).conflicts.at(0).second.uid;
    EXPECT_TRUE(journal_->Prepare(again).conflicts.empty());
    // Two pages of one order; an abandoned print frees its claim.
    std::vector<JournalEntry> pages{SampleEntry(20), SampleEntry(20)};
    const Recording rec = journal_->Prepare(pages);
    EXPECT_EQ(rec.ids.size(), 2u);
    journal_->Abandon(rec.ids);
    std::vector<JournalEntry> later{SampleEntry(20)};
    EXPECT_TRUE(station2.Prepare(later).conflicts.empty());
}

TEST_P(JournalStore, TrackingNumbersAndBatchesInPrintOrder)
{
    std::vector<JournalEntry> batch{SampleEntry(1), SampleEntry(2), SampleEntry(3)};
    for (auto& e : batch) e.batch = "b1";
    batch = Print(batch);
    Print({SampleEntry(4)});
    const std::vector<JournalId> ids{batch[0].id, batch[1].id, batch[2].id};
    EXPECT_EQ(journal_->BatchEntries("b1"), ids);
    EXPECT_TRUE(journal_->BatchEntries("").empty());

    journal_->SetTracking(ids[0], "123456789013");
    const auto holders = journal_->HoldersOfTracking("123456789013", ids[1]);
    ASSERT_EQ(holders.size(), 1u);
    EXPECT_EQ(holders[0].id, ids[0]);
    EXPECT_TRUE(journal_->HoldersOfTracking("123456789013", ids[0]).empty());
    journal_->SetTracking(ids[0], "");
    EXPECT_TRUE(journal_->Search({"123456789013"}).empty());
    journal_->Remove(ids);
    EXPECT_THROW(journal_->SetTracking(ids[0], "123456789013"), EJournal);
}

TEST_P(JournalStore, CopiesTheLocalJournalOnceWithoutDuplicates)
{
    FreshStore local("sqlite");
    Journal from(local.Place());
    std::vector<JournalEntry> es{SampleEntry(1), SampleEntry(2), SampleEntry(3)};
    from.Commit(from.Prepare(es).ids, 9);
    Print({SampleEntry(1)});  // the server printed order 1 too
    EXPECT_EQ(from.CopyInto(*journal_).copied, 3u);
    const CopyCount again = from.CopyInto(*journal_);
    EXPECT_EQ(again.copied, 0u);
    EXPECT_EQ(again.present, 3u);
    EXPECT_EQ(journal_->Search({}).size(), 4u);
    EXPECT_EQ(journal_->Search({"太郎3"}).size(), 1u);
}

TEST_P(JournalStore, RefusesAJournalOfANewerVersion)
{
    journal_->Search({});
    Raw()->Run("UPDATE journal_meta SET value = '99' WHERE key = 'schema_version'");
    try {
        Journal(store_->Place()).Search({});
        FAIL() << "no error";
    } catch (const EJournal& e) {
        EXPECT_NE(std::string(e.what()).find("新しい版の hoxa で作られています (版 99)"), std::string::npos);
    }
}

TEST_P(JournalStore, ASecondVersionJournalsRecentDestinationsAreFoundWithoutHyphens)
{
    JournalEntry e = SampleEntry(1);
    e.uid = "v2-1";
    e.printedAt = NowMs();
    {
        const auto raw = Raw();
        MigrateJournal(*raw, "v2", 2);
        raw->Run(kEntryInsert, EntryParams(e, true), [&e](const SqlRow& r) { e.id = r.Int(0); });
        raw->Run("UPDATE entries SET dest_key = $1", {Cp932ToUtf8("100-0001\n山田太郎1\n03-1234-1001")});  // as v2 made it
    }
    WaybillRecord typed = e.waybill;
    typed.tel = "0312341001";
    const auto found = journal_->FindEarlierPrint(typed, {}, NowMs());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->uid, e.uid);
}

TEST_P(JournalStore, AFirstVersionJournalKeepsEveryEntryAndFindsThemAPageAtATime)
{
    std::vector<JournalEntry> made;  // oldest first, four at a time
    {
        const auto raw = Raw();
        MigrateJournal(*raw, "v1", 1);
        for (int n = 0; n < 250; ++n) {
            JournalEntry& e = made.emplace_back(SampleEntry(n));
            e.uid = "v1-" + std::to_string(n);
            e.printedAt = 1'000'000 + n / 4;
            raw->Run(kEntryInsert, EntryParams(e, true), [&e](const SqlRow& r) { e.id = r.Int(0); });
        }
    }
    std::vector<JournalId> all;  // newest first
    for (auto e = made.rbegin(); e != made.rend(); ++e) all.push_back(e->id);
    ASSERT_EQ(journal_->Search({}), all);
    EXPECT_EQ(journal_->Load(std::vector<JournalId>(all.rbegin(), all.rend())), made);
    EXPECT_EQ(journal_->Search({"太郎1"}).size(), 111u);

    for (const char* text : {"", "太郎1", "7", "ｲ"}) {
        JournalPager pager(*journal_, 7);
        pager.Search({text});
        std::vector<JournalId> rows(pager.Count());
        for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = pager.IdAt(row);
        EXPECT_EQ(rows, journal_->Search({text})) << text;
    }
    // Entries another station removes before the rows are reached: the later
    // rows move up, the last are left empty.
    JournalPager pager(*journal_, 7);
    pager.Search({});
    journal_->Remove(std::span(all).subspan(100, 2));
    EXPECT_EQ(pager.IdAt(100), all[102]);
    EXPECT_EQ(pager.IdAt(247), all[249]);
    EXPECT_EQ(pager.At(249).id, 0);
}

INSTANTIATE_TEST_SUITE_P(Stores, JournalStore, ::testing::Values("sqlite", "postgres"));

// The trigram index wants an extension that a user without the right to create
// it cannot have: the journal does without.
TEST(JournalServer, SearchesWithTrigramsOrWithoutWhereTheUserMayNotCreateThem)
{
    if (!PgAdmin()) GTEST_SKIP() << "no server: run through with_postgres.sh";
    FreshStore full("postgres"), plain("postgres");
    PgConnection admin(PgAdmin(), kJournalTimeout);
    admin.Run("CREATE ROLE hoxa_plain LOGIN");
    PgConnection(plain.Place().server, kJournalTimeout).Run("GRANT CREATE ON SCHEMA public TO hoxa_plain");
    for (const bool mayCreate : {true, false}) {
        JournalPlace place = (mayCreate ? full : plain).Place();
        if (!mayCreate) place.server += " user=hoxa_plain";
        Journal journal(place);
        std::vector<JournalEntry> es{SampleEntry(1), SampleEntry(2)};
        journal.Commit(journal.Prepare(es).ids, 1);
        EXPECT_EQ(journal.Search({"太郎2"}), std::vector<JournalId>{es[1].id});
        std::int64_t indexes = -1;
        PgConnection(place.server, kJournalTimeout)
            .Run("SELECT count(*) FROM pg_indexes WHERE indexname = 'entry_search_trigrams'", {},
                 [&indexes](const SqlRow& r) { indexes = r.Int(0); });
        EXPECT_EQ(indexes, mayCreate ? 1 : 0);
    }
}

}  // namespace
