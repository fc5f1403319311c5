// From an order file to checked waybills: the known exports recognised from
// small fictional samples, rows grouped per order and destination, the checks
// and an edit's re-check, and the column mapping kept per header.
#include "orders/ColumnMappingStore.h"
#include "orders/OrderBatch.h"
#include "orders/OrderFormats.h"
#include "transfer/PostalCodes.h"

#include <QTemporaryDir>

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace hoxa;

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

ZipAddressLookup PostalLookup()
{
    UsePostalDataFile(HOXA_SOURCE_DIR "/data/postal-codes.dat");
    return &AddressMatchesPostalCode;
}

OrderBatch BatchOf(const std::string& bytes)
{
    const OrderTable table = ParseOrderFile(bytes);
    const auto format = RecogniseOrderFormat(table.Header());
    if (!format) throw std::runtime_error("not recognised");
    return OrderBatch(table, *format, "orders.csv", PostalLookup());
}

// The fields of a row, joined by '|'.
std::string Fields(const BatchRow& r)
{
    std::string out;
    for (std::size_t f = 0; f < kWaybillFields; ++f) out += (f ? "|" : "") + r.fields[f];
    return out;
}

}  // namespace

TEST(OrderBatch, EachKnownExportIsRecognisedByItsHeader)
{
    const struct {
        Marketplace market;
        std::string file;
        const char* fields;
    } cases[] = {
        {Marketplace::Rakuten,
         "注文番号,送付先郵便番号1,送付先郵便番号2,送付先住所都道府県,送付先住所郡市区,送付先住所それ以降の住所,"
         "送付先姓,送付先名,送付先電話番号1,送付先電話番号2,送付先電話番号3,商品名,個数,送付先ID,発送明細ID\r\n"
         "100001-20240101-0001,107,61,東京都,港区,北青山9-8-7 架空ハイツ101,架空,一郎,3,9999,0001,手作り石けん,2,5001,7001\r\n",
         "107-0061|東京都港区北青山9-8-7|架空ハイツ101|架空 一郎|03-9999-0001|手作り石けん×2||"},
        {Marketplace::Amazon,
         U8(u8"order-id\torder-item-id\tquantity-purchased\tproduct-name\trecipient-name\tship-address-1\t"
            u8"ship-address-2\tship-city\tship-state\tship-postal-code\tship-phone-number\n"
            u8"503-0000000-0000001\t11111111111111\t1\t木のスプーン\t見本 花子\t神南8-8-8\tテスト荘202\t渋谷区\t東京都\t150-0041\t9000001111\n"),
         "150-0041|東京都渋谷区神南8-8-8|テスト荘202|見本 花子|09000001111|木のスプーン||"},
        {Marketplace::Yahoo,
         "OrderId,ShipName,ShipZipCode,ShipPrefecture,ShipCity,ShipAddress1,ShipAddress2,ShipPhoneNumber,ItemTitle,Quantity\r\n"
         "store-10001,試験 三郎,1000001,東京都,千代田区,千代田9-9,,03-0000-3333,陶器の小皿,1\r\n",
         "100-0001|東京都千代田区千代田9-9||試験 三郎|03-0000-3333|陶器の小皿||"},
        {Marketplace::Base,  // the spelling of another version: full-width brackets
         "注文ID,氏（配送先）,名（配送先）,郵便番号（配送先）,都道府県（配送先）,住所（配送先）,住所2（配送先）,"
         "電話番号（配送先）,商品名,数量\r\n"
         "B0001,見本,四郎,064-0941,北海道,札幌市中央区旭ケ丘9-9-9,見本荘3,011-000-4444,ハーブティー,1\r\n",
         "064-0941|北海道札幌市中央区旭ケ丘9-9-9|見本荘3|見本 四郎|011-000-4444|ハーブティー||"},
        {Marketplace::Shopify,
         U8(u8"Name,Shipping Name,Shipping Zip,Shipping Province,Shipping City,Shipping Address1,Shipping Address2,"
            u8"Shipping Phone,Lineitem name,Lineitem quantity\n"
            u8"#1001,試験 五郎,530-0001,JP-27,大阪市北区,梅田7-7-7,,+81 6-0000-5555,革の名刺入れ,1\n"
            u8"#1001,,,,,,,,ペンケース,2\n"),
         "530-0001|大阪府大阪市北区梅田7-7-7||試験 五郎|06-0000-5555|革の名刺入れ|ペンケース×2|"},
        {Marketplace::EcCube,
         "注文ID,配送先_お名前(姓),配送先_お名前(名),配送先_郵便番号,配送先_都道府県,配送先_住所1,配送先_住所2,"
         "配送先_電話番号,商品名,数量\r\n"
         "77,架空,六子,9071801,沖縄県,八重山郡与那国町,与那国9999,0980-00-6666,黒糖,3\r\n",
         "907-1801|沖縄県八重山郡与那国町与那国9999||架空 六子|0980-00-6666|黒糖×3||"},
        // Other spellings; of alternative columns, each row takes the first it fills.
        {Marketplace::Rakuten,
         "受注番号,送付先郵便番号1,送付先郵便番号2,送付先住所:都道府県,送付先住所：郡市区,送付先住所・それ以降の住所,"
         "送付先姓,送付先名,送付先氏名,送付先電話番号1,商品名,個数\r\n"
         "R2,107,61,東京都,港区,北青山9-8-7,,,架空 二郎,'0399990002,石けん,２個\r\n",
         "107-0061|東京都港区北青山9-8-7||架空 二郎|0399990002|石けん×2||"},
        {Marketplace::Amazon,
         "order-id\trecipient-name\tship-postal-code\tship-state\tship-city\tship-address-1\t"
         "ship-phone-number\tbuyer-phone-number\tproduct-name\n"
         "A2\t見本 花子\t'1500041\t東京都\t渋谷区\t神南8-8-8\t\t09000001112\t木のスプーン\n",
         "150-0041|東京都渋谷区神南8-8-8||見本 花子|09000001112|木のスプーン||"},
    };
    for (const auto& c : cases) {
        const OrderBatch batch = BatchOf(c.file);
        ASSERT_EQ(batch.Size(), 1u) << c.fields;
        const BatchRow& row = batch.Row(0);
        EXPECT_EQ(row.ref.market, c.market) << c.fields;
        EXPECT_EQ(Fields(row), c.fields);
        EXPECT_FALSE(row.Marked()) << c.fields << ": " << (row.Marked() ? row.AllReasons().front() : "");
    }
    EXPECT_EQ(BatchOf(cases[0].file).Row(0).ref.uploadFields,
              (std::vector<std::pair<std::string, std::string>>{{"送付先ID", "5001"}, {"発送明細ID", "7001"}}));
    EXPECT_FALSE(RecogniseOrderFormat({"受付番号", "お届け先〒", "住所", "氏名"}).has_value());
}

TEST(OrderBatch, RowsOfOneOrderAndDestinationMakeOneWaybillInFileOrder)
{
    const OrderBatch batch = BatchOf(
        "注文番号,送付先郵便番号1,送付先郵便番号2,送付先住所都道府県,送付先住所郡市区,送付先住所それ以降の住所,"
        "送付先姓,送付先名,送付先電話番号1,送付先電話番号2,送付先電話番号3,商品名,個数,発送明細ID\r\n"
        "A,100,0001,東京都,千代田区,千代田1-1,見本,一,03,0000,0001,品A1,1,1\r\n"
        "B,100,0001,東京都,千代田区,千代田2-2,見本,二,03,0000,0002,品B1,1,2\r\n"
        "B,530,0001,大阪府,大阪市北区,梅田3-3,見本,三,06,0000,0003,品B2,1,3\r\n"
        ",100,0001,東京都,千代田区,千代田4-4,見本,四,03,0000,0004,品X,1,4\r\n"
        "A,100,0001,東京都,千代田区,千代田1-1,見本,一,03,0000,0001,品A2,2,5\r\n");
    ASSERT_EQ(batch.Size(), 4u);
    const char* expected[][3] = {{"A", "品A1", "品A2×2"}, {"B", "品B1", ""}, {"B", "品B2", ""}, {"", "品X", ""}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(batch.Row(i).ref.orderId, expected[i][0]);
        EXPECT_EQ(batch.Row(i).Field(WaybillField::G1), expected[i][1]);
        EXPECT_EQ(batch.Row(i).Field(WaybillField::G2), expected[i][2]);
        EXPECT_EQ(batch.Row(i).ref.sourceFile, "orders.csv");
    }
    EXPECT_EQ(batch.Row(0).ref.uploadFields,
              (std::vector<std::pair<std::string, std::string>>{{"発送明細ID", "1"}, {"発送明細ID", "5"}}));
    EXPECT_EQ(batch.Row(2).line, 4u);

    // The destination as the waybill shows it decides, compared without blanks.
    const OrderBatch base = BatchOf(
        "注文ID,氏(配送先),名(配送先),郵便番号(配送先),都道府県(配送先),住所(配送先),住所2(配送先),電話番号(配送先),"
        "商品名,数量\r\n"
        "O4,山田,花子,150-0001,東京都,渋谷区神宮前2-3-4,青山ハイツ101 ,03-3401-2345,x,1\r\n"
        "O4,山田,花子,1500001,東京都,渋谷区神宮前2-3-4,青山 ハイツ１０１,03-3401-2345,y,2個\r\n"
        "O4,山田,花子,150 0001,東京都,渋谷区神宮前2-3-4,青山ハイツ101,03-3401-2345,z,many\r\n");
    ASSERT_EQ(base.Size(), 1u);
    EXPECT_EQ(Fields(base.Row(0)), "150-0001|東京都渋谷区神宮前2-3-4|青山ハイツ101|山田 花子|03-3401-2345|x|y×2|z");
    EXPECT_EQ(base.Row(0).AllReasons(), std::vector<std::string>{std::string(batch_reason::kQuantity)});
}

TEST(OrderBatch, RowsAreMarkedWithTheirReasonsAndAnEditChecksAgain)
{
    const std::string longName(90, 'N');
    OrderBatch batch = BatchOf(U8(u8"OrderId,ShipName,ShipZipCode,ShipPrefecture,ShipCity,ShipAddress1,ShipPhoneNumber\n"
                                  u8"1,𠮷田 七海,100-0001,東京都,千代田区,千代田1-1,03-0000-0007\n"
                                  u8"2,試験 八郎,530-0001,東京都,千代田区,千代田1-1,03-0000-0008\n"
                                  u8"3,") + longName + ",,,,,\n");
    ASSERT_EQ(batch.Size(), 3u);
    EXPECT_EQ(batch.MarkedCount(), 3u);
    namespace why = batch_reason;
    EXPECT_EQ(batch.Row(0).Field(WaybillField::Custo1), "〓田 七海");
    EXPECT_EQ(batch.Row(0).Reasons(WaybillField::Custo1).back(), why::kGeta);  // after the check's own sign rule
    EXPECT_EQ(batch.Row(1).Reasons(WaybillField::Zip), std::vector<std::string>{std::string(check_reason::kZipAddress)});
    const BatchRow& r = batch.Row(2);
    EXPECT_EQ(r.Field(WaybillField::Custo1), longName.substr(0, 80));
    EXPECT_EQ(r.Reasons(WaybillField::Custo1).back(), why::kCut);
    EXPECT_EQ(r.Reasons(WaybillField::Zip), std::vector<std::string>{std::string(why::kZipEmpty)});
    EXPECT_EQ(r.Reasons(WaybillField::Add1).front(), check_reason::kAddrEmpty);

    // Edits convert and limit as the main window's fields do, and check the row again.
    batch.Edit(0, WaybillField::Custo1, "吉田 七海");
    EXPECT_FALSE(batch.Row(0).Marked());
    batch.Edit(1, WaybillField::Zip, "〒１００ー０００１");  // the long-vowel mark as a hyphen
    EXPECT_EQ(batch.Row(1).Field(WaybillField::Zip), "100-0001");
    EXPECT_FALSE(batch.Row(1).Marked());
    batch.Edit(2, WaybillField::Custo1, "試験 九");
    batch.Edit(2, WaybillField::G1, std::string(40, 'G'));
    EXPECT_EQ(batch.Row(2).Field(WaybillField::G1), std::string(30, 'G'));
    EXPECT_TRUE(batch.Row(2).Reasons(WaybillField::Custo1).empty());
    EXPECT_TRUE(batch.Row(2).Reasons(WaybillField::G1).empty());
    EXPECT_EQ(batch.MarkedCount(), 1u);
}

TEST(OrderBatch, TheMappingOfAnUnknownHeaderIsKeptForTheNextFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ColumnMappingStore store = ColumnMappingStore::InFolder(dir.path().toStdString());
    const std::string file =
        "受付番号,お届け先〒,住所,建物,氏名,TEL,品名\r\n"
        "R-1,1000001,東京都千代田区千代田9-9,見本ビル,試験 十郎,0300000010,茶葉\r\n";
    const OrderTable table = ParseOrderFile(file);
    EXPECT_FALSE(FindOrderFormat(table, store).has_value());

    ColumnMapping mapping;
    mapping[OrderField::OrderId] = {0};
    mapping[OrderField::Zip] = {1};
    mapping[OrderField::Address] = {2};
    mapping[OrderField::Building] = {3};
    mapping[OrderField::Name] = {4};
    mapping[OrderField::Tel] = {5};
    mapping[OrderField::Item] = {6, 0};
    store.Save(table.Header(), mapping);

    const auto format = FindOrderFormat(ParseOrderFile(file), ColumnMappingStore::InFolder(dir.path().toStdString()));
    ASSERT_TRUE(format.has_value());
    EXPECT_EQ(format->market, Marketplace::Other);
    EXPECT_EQ(format->mapping, mapping);
    const OrderBatch batch(table, *format, "x.csv");
    EXPECT_EQ(Fields(batch.Row(0)), "100-0001|東京都千代田区千代田9-9|見本ビル|試験 十郎|0300000010|茶葉 R-1||");

    // The file is the program's kind: CP932 with CR LF.
    std::ifstream in(store.Path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("\r\n品名=7+1\r\n"), std::string::npos) << text.str();
    // A known export without a column a waybill needs is mapped by the clerk,
    // starting from what its header gave; the export stays what it is.
    const OrderTable amazon = ParseOrderFile("order-id\tship-postal-code\tship-state\tship-address-1\tbuyer-name\n");
    OrderFormat draft;
    EXPECT_FALSE(FindOrderFormat(amazon, store, &draft).has_value());
    EXPECT_EQ(draft.market, Marketplace::Amazon);
    EXPECT_EQ(draft.mapping[OrderField::Address], (std::vector<std::size_t>{2, 3}));
    ColumnMapping chosen = draft.mapping;
    chosen[OrderField::Name] = {4};
    store.Save(amazon.Header(), chosen);
    EXPECT_EQ(FindOrderFormat(amazon, store)->market, Marketplace::Amazon);
    // Another header, or one column fewer, finds nothing.
    EXPECT_FALSE(store.Find({"受付番号", "お届け先〒", "住所", "建物", "氏名", "TEL"}).has_value());
}
