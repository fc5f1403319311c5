// Tracking numbers, the upload files read back, and the journal's settings.
#include "base/Codec.h"
#include "base/Profile.h"
#include "journal/JournalSettings.h"
#include "journal/Tracking.h"
#include "journal/UploadFiles.h"
#include "journal_test_util.h"

using namespace hoxa;
using namespace hoxa::test;

namespace {

TEST(TrackingNumber, CheckDigitAndTheFormsOfInput)
{
    const std::vector<std::tuple<std::string, TrackingRule, std::string>> cases = {
        {"123456789013", TrackingRule::SevenDR, "123456789013"},
        {"000000000000", TrackingRule::SevenDR, "000000000000"},
        {"999999999994", TrackingRule::SevenDR, "999999999994"},
        {"3141-5926-5350", TrackingRule::SevenDR, "314159265350"},     // groups as printed
        {"3141‐5926−5350", TrackingRule::SevenDR, "314159265350"},     // an input method's hyphen and minus
        {"２７１８２８１８２８４６\r\n", TrackingRule::SevenDR, "271828182846"},  // full width, scanner's Enter
        {"123456789012", TrackingRule::SevenDR, ""},                    // check digit 2, not 3
        {"400000000003", TrackingRule::SevenDR, ""},
        {"123456789012", TrackingRule::Digits12, "123456789012"},       // a courier without check
        {"12345678901", TrackingRule::Digits12, ""},
        {"1234567890123", TrackingRule::Digits12, ""},
        {"123-456789013", TrackingRule::SevenDR, ""},
        {"12345678901a", TrackingRule::Digits12, ""},
    };
    for (const auto& [typed, rule, want] : cases) {
        const TrackingCheck c = CheckTrackingNumber(typed, rule);
        EXPECT_EQ(c.number, want) << typed;
        EXPECT_EQ(c.Ok(), !want.empty()) << typed;
        if (!c.Ok()) {
            EXPECT_EQ(c.error.substr(c.error.size() - 2), "。") << typed;
        }
    }
    EXPECT_NE(CheckTrackingNumber("123456789012", TrackingRule::SevenDR).error.find("1234-5678-9012"),
              std::string::npos);
}

TEST(TrackingNumber, WalkOffersTheNextSerialsAfterTheFirstScan)
{
    EXPECT_EQ(NextTrackingNumber("123456789013", TrackingRule::SevenDR), "123456789024");
    EXPECT_EQ(NextTrackingNumber("123456789993", TrackingRule::SevenDR), "123456790004");
    EXPECT_EQ(NextTrackingNumber("999999999994", TrackingRule::SevenDR), "");
    EXPECT_EQ(NextTrackingNumber("123456789019", TrackingRule::Digits12), "123456789020");

    TrackingWalk walk({11, 12, 13, 14, 15}, TrackingRule::SevenDR);
    EXPECT_FALSE(walk.Propose("").Ok());  // nothing to offer before the first scan
    walk.Accept(walk.Propose("1234-5678-9013").number);
    EXPECT_EQ(walk.Current(), 12);
    EXPECT_EQ(walk.Propose("").number, "123456789024");  // Enter takes the offer
    walk.Accept("123456789024");
    walk.SkipForm();  // a jammed form
    EXPECT_EQ(walk.Offered(), "123456789046");
    walk.Accept(walk.Propose("").number);
    EXPECT_FALSE(walk.Propose("123456789051").Ok());  // a misread scan
    walk.Accept(walk.Propose("314159265350").number);  // a scan overrides the offer
    EXPECT_EQ(walk.Offered(), "314159265361");
    walk.SkipEntry();
    EXPECT_TRUE(walk.Done());
}

// The fields of each line of a CSV (every field quoted) or a tab-separated file.
std::vector<std::vector<std::string>> ReadBack(std::string text, const std::string& sep)
{
    std::vector<std::vector<std::string>> rows;
    for (std::size_t end; (end = text.find('\n')) != std::string::npos; text.erase(0, end + 1)) {
        std::string line = text.substr(0, end - (text[end - 1] == '\r'));
        if (sep != "\t") line = line.substr(1, line.size() - 2);  // the outer quotes
        auto& fields = rows.emplace_back();
        for (std::size_t at; (at = line.find(sep)) != std::string::npos; line.erase(0, at + sep.size()))
            fields.push_back(line.substr(0, at));
        fields.push_back(line);
        for (auto& f : fields)
            for (std::size_t q; (q = f.find("\"\"")) != std::string::npos;) f.erase(q, 1);
    }
    return rows;
}

TEST(UploadFiles, EachMarketplaceReadsBackWithItsRows)
{
    std::vector<JournalEntry> es{SampleEntry(1), SampleEntry(2, Marketplace::Amazon),
                                 SampleEntry(3, Marketplace::Yahoo), SampleEntry(4, Marketplace::Base),
                                 SampleEntry(5)};
    es[0].order.uploadFields.emplace_back("発送明細ID", "72");  // two rows of one order
    es[0].order.uploadFields.emplace_back("発送明細ID", "72");  // and a second item of that shipment
    es[1].order.uploadFields = {{"order-item-id", "111"}, {"quantity", "2"}, {"order-item-id", "112"}, {"quantity", "1"}};
    es[3].waybill.custo1 = "鈴木 \"花子\"";
    es[3].waybill.printDate = false;
    es[3].printedAt = LocalDayStartMs(2024, 12, 9) + 3600000;
    for (int i = 0; i < 4; ++i) es[static_cast<std::size_t>(i)].tracking = "12345678901" + std::to_string(i);
    const UploadSet set = MakeUploadFiles(es, CourierByKey("sagawa"), "20241207");
    EXPECT_EQ(set.skipped, 1u);  // no tracking number yet
    ASSERT_EQ(set.files.size(), 4u);

    EXPECT_EQ(set.files[0].fileName, "hoxa_rakuten_20241207.csv");
    EXPECT_EQ(ReadBack(set.files[0].bytes, "\",\""),  // CP932
              (std::vector<std::vector<std::string>>{
                  {"注文番号", "送付先ID", "発送明細ID", "お荷物伝票番号", "配送会社", "発送日"},
                  {"ORDER-1", "1", "71", "123456789010", "1002", "2024-12-07"},
                  {"ORDER-1", "1", "72", "123456789010", "1002", "2024-12-07"}}));
    const std::string sagawa = Cp932ToUtf8("佐川急便"), method = Cp932ToUtf8("飛脚宅配便");
    EXPECT_EQ(ReadBack(set.files[1].bytes, "\t"),  // UTF-8
              (std::vector<std::vector<std::string>>{
                  {"order-id", "order-item-id", "quantity", "ship-date", "carrier-code", "carrier-name",
                   "tracking-number", "ship-method"},
                  {"ORDER-2", "111", "2", "2024-12-07", "SagawaExpress", sagawa, "123456789011", method},
                  {"ORDER-2", "112", "1", "2024-12-07", "SagawaExpress", sagawa, "123456789011", method}}));
    EXPECT_EQ(ReadBack(set.files[2].bytes, "\",\""),
              (std::vector<std::vector<std::string>>{
                  {"OrderId", "ShipCompanyCode", "ShipInvoiceNumber1", "ShipDate", "ShipStatus"},
                  {"ORDER-3", "1002", "123456789012", "20241207", "3"}}));
    EXPECT_EQ(ReadBack(set.files[3].bytes, "\",\""),  // the date left off: the day it was printed
              (std::vector<std::vector<std::string>>{{"注文番号", "発送日", "伝票番号", "お届け先"},
                                                     {"ORDER-4", "2024/12/09", "123456789013", "鈴木 \"花子\""}}));
}

TEST(JournalSettings, ServerAndCourierFromTheSettingsFile)
{
    FreshStore dir("sqlite");
    EXPECT_EQ(LoadJournalSettings(dir.Place().folder).server, "");
    ProfileFile ini(dir.Place().folder + "/hoxa_NIVORA.ini");
    ini.WriteString("hoxa_Journal", "Server", "host=/nowhere port=5999 dbname=hoxa user=shop password=x");
    ini.WriteString("hoxa_Journal", "Courier", "Sagawa");
    const JournalSettings s = LoadJournalSettings(dir.Place().folder);
    EXPECT_EQ(CourierByKey(s.courier).name, "佐川急便");
    EXPECT_EQ(CourierByKey("").key, "yamato");
    Journal journal(JournalPlaceFor(dir.Place().folder, s));
    EXPECT_EQ(journal.StoreName(), "サーバー /nowhere:5999/hoxa");
    try {  // refused before any connection is tried
        journal.Search({});
        FAIL();
    } catch (const EJournal& e) {
        EXPECT_NE(std::string(e.what()).find("PGPASSWORD"), std::string::npos);
    }
}

}  // namespace
