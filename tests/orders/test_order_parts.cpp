// Joining the columns an export splits: postal code, telephone, address lines
// and goods lines, with the repairs of what a spreadsheet did to them.
#include "orders/ColumnSamples.h"
#include "orders/WaybillParts.h"

#include <gtest/gtest.h>

using namespace hoxa;

TEST(WaybillParts, PostalCodesAndTelephonesAreJoinedAndRepaired)
{
    // The postal data confirms only this code for the address in question.
    const auto confirm = [](std::string_view zip) { return zip == "060-0042" || zip == "001-0010"; };
    const struct {
        Cells parts;
        const char* zip;
    } zips[] = {
        {{"1000001"}, "100-0001"},     {{"１００－０００１"}, "100-0001"}, {{"〒100-0001"}, "100-0001"},
        {{"107", "0061"}, "107-0061"}, {{"600042"}, "060-0042"},          {{"60", "42"}, "060-0042"},
        {{"123456"}, "123456"},        {{"12", "345"}, "12-345"},          {{" "}, ""},
        {{"10010"}, "001-0010"},       {{"10020"}, "10020"},               {{"150 0001"}, "150-0001"},
        {{"'0600042"}, "060-0042"},
    };
    for (const auto& c : zips) EXPECT_EQ(JoinPostalCode(c.parts, confirm), c.zip) << c.parts[0];
    EXPECT_EQ(JoinPostalCode({"600042"}, {}), "600042");  // nothing to confirm it with

    const struct {
        Cells parts;
        const char* tel;
    } tels[] = {
        {{"03", "9999", "0001"}, "03-9999-0001"},  {{"3", "9999", "0001"}, "03-9999-0001"},
        {{"9012345678"}, "09012345678"},           {{"312345678"}, "0312345678"},
        {{"０３－１２３４－５６７８"}, "03-1234-5678"}, {{"+81 90-1234-5678"}, "090-1234-5678"},
        {{"+81-6-0000-2222"}, "06-0000-2222"},      {{"1234567890"}, "1234567890"},
        {{"090ー1234ー5678"}, "090-1234-5678"},     {{"", "", ""}, ""},
        {{"'09012345678"}, "09012345678"},
    };
    for (const auto& c : tels) EXPECT_EQ(JoinTelephone(c.parts), c.tel) << c.parts[0];
    EXPECT_EQ(JoinName({"見本", "　花子 "}), "見本 花子");
}

TEST(WaybillParts, AddressLinesSplitWhereTheBuildingBegins)
{
    const struct {
        Cells address, building;
        const char *add1, *add2;
    } cases[] = {
        {{"東京都", "港区", "北青山9-8-7 架空ハイツ101"}, {}, "東京都港区北青山9-8-7", "架空ハイツ101"},
        {{"東京都", "港区", "北青山９－８－７架空ハイツ101"}, {}, "東京都港区北青山９－８－７", "架空ハイツ101"},
        {{"東京都港区北青山一丁目2番3号コーポ架空"}, {}, "東京都港区北青山一丁目2番3号", "コーポ架空"},
        {{"北海道", "札幌市中央区", "北1条西2丁目1-1 架空ハイツ"}, {}, "北海道札幌市中央区北1条西2丁目1-1", "架空ハイツ"},
        {{"北海道", "札幌市中央区", "大通西99丁目9-9"}, {}, "北海道札幌市中央区大通西99丁目9-9", ""},
        {{"Tokyo", "渋谷区", "渋谷区神南8-8-8"}, {"テスト荘", "202"}, "東京都渋谷区神南8-8-8", "テスト荘 202"},
        {{"JP-27", "大阪市北区", "梅田7-7-7"}, {}, "大阪府大阪市北区梅田7-7-7", ""},
        {{"東京都", "港区", "北青山1丁目 2番3号"}, {}, "東京都港区北青山1丁目 2番3号", ""},
        // Too long for one line: split after the last place word that fits.
        {{"北海道", "札幌市中央区", "大通西九十九丁目ミホン通り商店街ヨコ"}, {"見本ビル"},
         "北海道札幌市中央区大通西九十九丁目", "ミホン通り商店街ヨコ 見本ビル"},
        // Where the building begins leaves a line too long: split where both fit.
        {{"京都府", "京都市下京区", "烏丸通七条下る東塩小路町721-1 京都タワービル 12F"}, {},
         "京都府京都市下京区烏丸通七条下る", "東塩小路町721-1 京都タワービル 12F"},
        {{"和歌山県", "東牟婁郡那智勝浦町", "大字那智山あいうえおかきくけこさしすせそ1-1"}, {},
         "和歌山県東牟婁郡那智勝浦町大字", "那智山あいうえおかきくけこさしすせそ1-1"},
    };
    for (const auto& c : cases) {
        const AddressLines a = JoinAddress(c.address, c.building);
        EXPECT_EQ(a.add1, c.add1) << c.address.back();
        EXPECT_EQ(a.add2, c.add2) << c.address.back();
    }
    // No place word and no blank: cut at the last whole character.
    const std::string longWord = "ミホンミホンミホンミホンミホンミホンミホンミホン";
    const AddressLines a = JoinAddress({"x" + longWord}, {});
    EXPECT_EQ(a.add1.size(), 39u);
    EXPECT_EQ(a.add1 + a.add2, "x" + longWord);
}

TEST(WaybillParts, GoodsLinesHoldOneItemEachAndCountWhatRemains)
{
    const std::string forty = "あいうえおかきくけこさしすせそたちつてと";
    const struct {
        std::vector<GoodsItem> items;
        std::array<std::string, 3> lines;
        std::array<bool, 3> cut;
    } cases[] = {
        {{{"石けん", 1}}, {"石けん", "", ""}, {}},
        {{{"石けん", 1}, {"タオル", 3}}, {"石けん", "タオル×3", ""}, {}},
        {{{"A", 1}, {"B", 1}, {"C", 1}, {"D", 2}, {"E", 1}}, {"A", "B", "C 他3点"}, {}},
        {{{forty, 1}, {forty, 2}}, {forty.substr(0, 30), forty.substr(0, 26) + "×2", ""}, {true, true, false}},
        {{{"x" + forty, 1}}, {"x" + forty.substr(0, 28), "", ""}, {true, false, false}},
    };
    for (const auto& c : cases) {
        const GoodsLines g = FillGoodsLines(c.items);
        EXPECT_EQ(g.lines, c.lines) << c.items[0].name;
        EXPECT_EQ(g.cut, c.cut) << c.items[0].name;
    }
    const std::pair<const char*, std::optional<long>> quantities[] = {
        {"３", 3}, {"", 1}, {"２個", 2}, {"12 PCS", 12}, {"3点", 3}, {"二", std::nullopt}, {"0", std::nullopt}};
    for (const auto& [cell, n] : quantities) EXPECT_EQ(ParseQuantity(cell), n) << cell;
}

TEST(WaybillParts, MappingStepSamplesJoinAsTheBatchDoes)
{
    // The first row leaves the telephone and building blank: their samples come from the second.
    const OrderTable t = ParseOrderFile("id,zip1,zip2,pref,city,street,bldg,family,given,t1,t2,t3,qty\r\n"
                                        "K1,107,0061,東京都,港区,北青山9-8-7,,架空,一郎,,,,２\r\n"
                                        "K2,150,0041,東京都,渋谷区,神南8-8-8,テスト荘202,見本,花子,3,1111,2222,1\r\n");
    EXPECT_EQ(ColumnSample(t, 5, 5), "北青");  // never half a character
    EXPECT_EQ(ColumnSample(t, 6, 40), "テスト荘202");
    const struct {
        OrderField field;
        std::vector<std::size_t> columns;
        const char* sample;
    } cases[] = {
        {OrderField::Zip, {1, 2}, "107-0061"},        {OrderField::Address, {3, 4, 5}, "東京都港区北青山9-8-7"},
        {OrderField::Building, {6}, "テスト荘202"},   {OrderField::Name, {7, 8}, "架空 一郎"},
        {OrderField::Tel, {9, 10, 11}, "03-1111-2222"}, {OrderField::Quantity, {12}, "2"},
        {OrderField::OrderId, {}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FieldSample(t, c.field, c.columns), c.sample) << c.sample;
}
