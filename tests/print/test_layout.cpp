// The computed waybill layout: positions, faces, sizes and texts of the items.
#include "print/WaybillLayout.h"

#include "base/errors.h"
#include "print/waybill_sample.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

using namespace hoxa;
using hoxa::test::SampleWaybill;

namespace {

struct Expect {
    int number;
    std::int64_t x, y;
};

// Worked out by hand: x * 1.125 and y * 1.125, halves rounded up.
constexpr std::array<Expect, 20> k180 = {{
    {1, 833, 203},   {2, 923, 203},   {3, 1035, 281},  {4, 1148, 281},  {5, 1266, 284},
    {6, 259, 34},    {7, 578, 34},    {8, 677, 34},    {9, 236, 101},   {10, 236, 169},
    {11, 236, 281},  {12, 810, 394},  {13, 810, 428},  {14, 810, 461},  {15, 248, 331},
    {16, 581, 331},  {17, 677, 331},  {18, 236, 377},  {19, 236, 433},  {20, 236, 495},
}};

// x * 2.25 and y * 2.25.
constexpr std::array<Expect, 20> k360 = {{
    {1, 1665, 405},  {2, 1845, 405},  {3, 2070, 563},  {4, 2295, 563},  {5, 2531, 567},
    {6, 518, 68},    {7, 1157, 68},   {8, 1355, 68},   {9, 473, 203},   {10, 473, 338},
    {11, 473, 563},  {12, 1620, 788}, {13, 1620, 855}, {14, 1620, 923}, {15, 495, 662},
    {16, 1161, 662}, {17, 1355, 662}, {18, 473, 754},  {19, 473, 866},  {20, 473, 990},
}};

// The table in layout units, for the integer cross-check at odd resolutions.
constexpr std::array<std::array<int, 2>, 20> kUnits = {{
    {740, 180}, {820, 180}, {920, 250}, {1020, 250}, {1125, 252}, {230, 30},  {514, 30},
    {602, 30},  {210, 90},  {210, 150}, {210, 250},  {720, 350},  {720, 380}, {720, 410},
    {220, 294}, {516, 294}, {602, 294}, {210, 335},  {210, 385},  {210, 440},
}};

template <std::size_t N>
void ExpectPositions(const std::vector<WaybillItem>& items, const std::array<Expect, N>& want,
                     std::int64_t dx = 0, std::int64_t dy = 0)
{
    ASSERT_EQ(items.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(want[i].number));
        EXPECT_EQ(items[i].number, want[i].number);
        EXPECT_EQ(items[i].x, want[i].x + dx);
        EXPECT_EQ(items[i].y, want[i].y + dy);
    }
}

std::vector<int> Numbers(const std::vector<WaybillItem>& items)
{
    std::vector<int> n;
    for (const auto& i : items) n.push_back(i.number);
    return n;
}

}  // namespace

TEST(WaybillRounding, RoundHalfAwayFromZero)
{
    EXPECT_EQ(RoundHalfAway(832.5L), 833);
    EXPECT_EQ(RoundHalfAway(-832.5L), -833);
    EXPECT_EQ(RoundHalfAway(2.4999L), 2);
    EXPECT_EQ(RoundHalfAway(-2.4999L), -2);
    EXPECT_EQ(RoundHalfAway(0.0L), 0);
    EXPECT_EQ(RoundHalfAway(-0.4L), 0);
    // Beyond the 32-bit range the result saturates rather than being undefined.
    EXPECT_EQ(RoundHalfAway(1e12L), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundHalfAway(-1e12L), std::numeric_limits<std::int32_t>::min());
}

TEST(WaybillRounding, FactorTiesGoToEven)
{
    EXPECT_EQ(ResolutionFactor(180), 11250);
    EXPECT_EQ(ResolutionFactor(360), 22500);
    EXPECT_EQ(ResolutionFactor(203), 12688);  // 12687.5
    EXPECT_EQ(ResolutionFactor(201), 12562);  // 12562.5
    EXPECT_EQ(ResolutionFactor(1), 62);       // 62.5
    EXPECT_EQ(ResolutionFactor(3), 188);      // 187.5
    EXPECT_EQ(ResolutionFactor(0), 0);
    EXPECT_EQ(ResolutionFactor(-203), -12688);
}

TEST(WaybillRounding, EffectiveResolutionAndScale)
{
    EXPECT_EQ(EffectiveResolution(180, 100), 180);
    EXPECT_EQ(EffectiveResolution(180, 50), 360);
    EXPECT_EQ(EffectiveResolution(360, 300), 120);
    EXPECT_EQ(EffectiveResolution(203, 300), 67);  // truncated
    EXPECT_EQ(EffectiveResolution(180, 0), 180);   // a scale of 0 counts as 100
    EXPECT_EQ(EffectiveResolution(180, -50), 180);
    // No overflow in the product.
    EXPECT_EQ(EffectiveResolution(std::numeric_limits<std::int32_t>::max(), 100),
              std::numeric_limits<std::int32_t>::max());
}

TEST(WaybillLayout, AllTwentyItemsAt180Dpi)
{
    WaybillRecord r = SampleWaybill("180");
    r.prnLeft = "";  // an empty margin counts as 0
    const auto items = ComputeWaybillLayout(r);
    ExpectPositions(items, k180);
    // Which field each item prints.
    std::vector<std::string> texts;
    for (const auto& i : items) texts.push_back(i.text);
    const std::vector<std::string> want = {
        "11", "07", "12", "24", "AM", "03-1234-5678", "123", "4567",
        "東京都千代田区丸の内１－１", "丸の内ビル３Ｆ", "山田太郎", "衣料品", "雑貨ABC", "食品～冷蔵",
        "06-9876-5432", "987", "6543", "大阪府大阪市北区梅田２－２", "梅田ハイツ１０１", "ニボラ商店",
    };
    EXPECT_EQ(texts, want);
    EXPECT_EQ(FaceName(WaybillFace::Mincho), "ＭＳ Ｐ明朝");
    EXPECT_EQ(FaceName(WaybillFace::Lucida), "Lucida Sans Unicode");
}

TEST(WaybillLayout, SamePlaceAt360DpiAndAtScale50)
{
    ExpectPositions(ComputeWaybillLayout(SampleWaybill("360")), k360);

    // A driver scale of 50 % at 180 dpi: the print command writes 360.
    WaybillRecord r = SampleWaybill();
    r.dpix = std::to_string(EffectiveResolution(180, 50));
    r.dpiy = std::to_string(EffectiveResolution(180, 50));
    ExpectPositions(ComputeWaybillLayout(r), k360);

    // Different horizontal and vertical resolutions are used each for its axis.
    r = SampleWaybill();
    r.dpix = "360";
    r.dpiy = "180";
    const auto items = ComputeWaybillLayout(r);
    ASSERT_EQ(items.size(), 20u);
    for (std::size_t i = 0; i < 20; ++i) {
        EXPECT_EQ(items[i].x, k360[i].x);
        EXPECT_EQ(items[i].y, k180[i].y);
    }
}

TEST(WaybillLayout, OddResolutionsAgreeWithExactArithmetic)
{
    // Cross-check against integer arithmetic: round(x * f / 10000), halves up.
    for (const auto& [dpi, factor] : {std::pair{203, 12688LL}, std::pair{201, 12562LL}}) {
        SCOPED_TRACE(dpi);
        const auto items = ComputeWaybillLayout(SampleWaybill(std::to_string(dpi).c_str()));
        ASSERT_EQ(items.size(), 20u);
        for (std::size_t i = 0; i < 20; ++i) {
            EXPECT_EQ(items[i].x, (kUnits[i][0] * factor + 5000) / 10000) << "item " << i + 1;
            EXPECT_EQ(items[i].y, (kUnits[i][1] * factor + 5000) / 10000) << "item " << i + 1;
        }
        if (dpi == 203) {
            EXPECT_EQ(items[0].x, 939);  // 740 * 1.2688 = 938.912
            EXPECT_EQ(items[0].y, 228);  // 180 * 1.2688 = 228.384
        }
    }
}

TEST(WaybillLayout, MarginsAreDotsAddedUnchanged)
{
    for (const char* dpi : {"180", "360"}) {
        WaybillRecord r = SampleWaybill(dpi);
        r.prnTop = "10";
        r.prnLeft = "-5";
        if (std::string(dpi) == "180")
            ExpectPositions(ComputeWaybillLayout(r), k180, -5, 10);
        else
            ExpectPositions(ComputeWaybillLayout(r), k360, -5, 10);
    }
    // StrToInt forms: leading blanks, sign, hexadecimal.
    WaybillRecord r = SampleWaybill();
    r.prnTop = "  +$10";
    r.prnLeft = "-0x5";
    ExpectPositions(ComputeWaybillLayout(r), k180, -5, 16);

    // The extreme margins do not wrap around.
    r.prnTop = "2147483647";
    r.prnLeft = "-2147483648";
    const auto items = ComputeWaybillLayout(r);
    EXPECT_EQ(items[0].y, 203LL + 2147483647LL);
    EXPECT_EQ(items[0].x, 833LL - 2147483648LL);
}

TEST(WaybillLayout, CheckBoxesLeaveOutDateAndSender)
{
    WaybillRecord r = SampleWaybill();
    r.printDate = false;
    auto items = ComputeWaybillLayout(r);
    std::vector<int> want;
    for (int i = 3; i <= 20; ++i) want.push_back(i);
    EXPECT_EQ(Numbers(items), want);
    EXPECT_EQ(items[0].text, "12");  // the desired month stays
    EXPECT_EQ(items[0].x, 1035);

    r = SampleWaybill();
    r.printSender = false;
    items = ComputeWaybillLayout(r);
    want.clear();
    for (int i = 1; i <= 14; ++i) want.push_back(i);
    EXPECT_EQ(Numbers(items), want);
    ExpectPositions(items, std::array<Expect, 14>{{k180[0], k180[1], k180[2], k180[3], k180[4],
                                                   k180[5], k180[6], k180[7], k180[8], k180[9],
                                                   k180[10], k180[11], k180[12], k180[13]}});

    r.printDate = false;
    want.erase(want.begin(), want.begin() + 2);
    EXPECT_EQ(Numbers(ComputeWaybillLayout(r)), want);
}

TEST(WaybillLayout, EmptyFieldsAreListedWithEmptyText)
{
    WaybillRecord r;
    r.dpix = r.dpiy = "180";
    const auto items = ComputeWaybillLayout(r);
    ASSERT_EQ(items.size(), 20u);
    for (const auto& i : items) EXPECT_TRUE(i.text.empty()) << i.number;
}

TEST(WaybillLayout, BadTextRaisesConversionErrorAndListsNothing)
{
    struct Case {
        const char* top;
        const char* left;
        const char* dpi;
        const char* message;
    };
    const Case cases[] = {
        {"1.5", "0", "180", "'1.5' is not a valid integer value"},
        {"0", "abc", "180", "'abc' is not a valid integer value"},
        {" ", "0", "180", "' ' is not a valid integer value"},
        {"99999999999", "0", "180", "'99999999999' is not a valid integer value"},
        {"0", "0", "", "'' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        WaybillRecord r = SampleWaybill(c.dpi);
        r.prnTop = c.top;
        r.prnLeft = c.left;
        std::vector<WaybillItem> items;
        try {
            items = ComputeWaybillLayout(r);
            ADD_FAILURE() << "no error for " << c.top << " / " << c.left;
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_TRUE(items.empty());
    }
}

TEST(WaybillText, PostalCodeParts)
{
    using P = std::pair<std::string, std::string>;
    EXPECT_EQ(SplitPostalCode("123-4567"), P("123", "4567"));
    // Typed without the hyphen: the fourth digit is printed too.
    EXPECT_EQ(SplitPostalCode("1234567"), P("123", "4567"));
    EXPECT_EQ(SplitPostalCode("123 4567"), P("123", "4567"));
    EXPECT_EQ(SplitPostalCode("123"), P("123", ""));
    EXPECT_EQ(SplitPostalCode("12"), P("12", ""));
    EXPECT_EQ(SplitPostalCode("123-"), P("123", ""));
    EXPECT_EQ(SplitPostalCode("123-45"), P("123", "45"));
    EXPECT_EQ(SplitPostalCode(""), P("", ""));
    EXPECT_EQ(SplitPostalCode("123-456789"), P("123", "4567"));
    // Other shapes keep the byte positions, but a double-byte character is never
    // cut in half: a character that would straddle a cut is left out.
    EXPECT_EQ(SplitPostalCode("１２３－４５６７"), P("１", "３－"));
    EXPECT_EQ(SplitPostalCode("12３-4567"), P("12", "-456"));
    EXPECT_EQ(SplitPostalCode("123４567"), P("123", "567"));

    WaybillRecord r = SampleWaybill();
    r.zip = "1234567";
    r.myZip = "9876543";
    const auto items = ComputeWaybillLayout(r);
    EXPECT_EQ(items[6].text, "123");
    EXPECT_EQ(items[7].text, "4567");
    EXPECT_EQ(items[15].text, "987");
    EXPECT_EQ(items[16].text, "6543");
}

TEST(WaybillText, DateMonthAndDay)
{
    EXPECT_EQ(FormatWaybillDate(2026, 12, 7), "2026/12/07");
    EXPECT_EQ(FormatWaybillDate(2027, 1, 31), "2027/01/31");
    EXPECT_EQ(FormatWaybillDate(999, 3, 4), "0999/03/04");

    WaybillRecord r = SampleWaybill();
    r.dateText = FormatWaybillDate(2027, 1, 5);
    auto items = ComputeWaybillLayout(r);
    EXPECT_EQ(items[0].text, "01");
    EXPECT_EQ(items[1].text, "05");
    // A short or empty date text prints what is there, without reading past it.
    r.dateText = "2027/1";
    items = ComputeWaybillLayout(r);
    EXPECT_EQ(items[0].text, "1");
    EXPECT_EQ(items[1].text, "");
    r.dateText.clear();
    items = ComputeWaybillLayout(r);
    EXPECT_EQ(items[0].text, "");
}
