// The whole transfer, from the paste area's lines to the five fields.
#include "transfer/Transfer.h"

#include "base/cp932.h"

#include <gtest/gtest.h>

using namespace hoxa;

namespace {

struct Fields {
    std::string zip, add1, add2, custo1, tel;
    bool operator==(const Fields&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Fields& f)
{
    return os << "{zip=" << f.zip << " add1=" << f.add1 << " add2=" << f.add2 << " custo1=" << f.custo1
              << " tel=" << f.tel << "}";
}

Fields FieldsOf(const TransferResult& r) { return {r.zip, r.add1, r.add2, r.custo1, r.tel}; }

Fields Transfer(const Lines& lines)
{
    const TransferResult r = TransferText(lines);
    EXPECT_FALSE(r.empty);
    EXPECT_EQ(r.memo.size(), 7u);
    return FieldsOf(r);
}

}  // namespace

TEST(MemoLines, SplitAtEveryKindOfLineBreak)
{
    EXPECT_EQ(SplitMemoLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitMemoLines(""), Lines{});
    EXPECT_EQ(SplitMemoLines("a"), Lines{"a"});
    EXPECT_EQ(SplitMemoLines("a\r\n"), Lines{"a"});
    EXPECT_EQ(SplitMemoLines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(SplitMemoLines("\r\n"), Lines{""});
    EXPECT_EQ(SplitMemoLines("\r\r"), (Lines{"", ""}));
    EXPECT_EQ(SplitMemoLines("\n\r"), (Lines{"", ""}));
    EXPECT_EQ(SplitMemoLines("\r\n\n"), (Lines{"", ""}));
    // A NUL ends the text.
    EXPECT_EQ(SplitMemoLines(std::string_view("a\0b\r\nc", 6)), Lines{"a"});
    EXPECT_EQ(SplitMemoLines(std::string_view("\0abc", 4)), Lines{});
    // Double-byte characters with the trail byte of no line break are kept whole.
    EXPECT_EQ(SplitMemoLines("山田\r\n太郎"), (Lines{"山田", "太郎"}));
}

TEST(MemoLines, JoinAndSplitAgainGiveTheSameLines)
{
    const Lines cases[] = {
        {}, {""}, {"a"}, {"a", ""}, {"", "", ""}, {"123-4567", "東京都", "", "", "", "", ""},
    };
    for (const auto& lines : cases) EXPECT_EQ(SplitMemoLines(JoinMemoLines(lines)), lines);
    EXPECT_EQ(JoinMemoLines({"a", "b"}), "a\r\nb\r\n");
    EXPECT_EQ(JoinMemoLines({}), "");
}

TEST(TransferText, NothingToTransfer)
{
    for (const Lines& lines : {Lines{}, Lines{"", " ", "\t"}, Lines{"", "hanako@example.jp", "  "},
                               Lines{"http://www.example.com/", "", "kakuu@example.net"}}) {
        const TransferResult r = TransferText(lines);
        EXPECT_TRUE(r.empty);
        EXPECT_TRUE(r.memo.empty());
        EXPECT_EQ(FieldsOf(r), Fields{});
    }
}

TEST(TransferText, FullWidthSpacesOnlyIsNotRefused)
{
    const TransferResult r = TransferText({"　　", "", "　"});
    EXPECT_FALSE(r.empty);
    EXPECT_EQ(r.memo, Lines(7));
    EXPECT_EQ(FieldsOf(r), Fields{});
}

TEST(TransferText, LabelledFourLineBlock)
{
    const TransferResult r = TransferText({"〒123-4567", "東京都千代田区千代田1-1", "山田太郎 様", "TEL：03-1234-5678"});
    ASSERT_FALSE(r.empty);
    EXPECT_EQ(FieldsOf(r), (Fields{"123-4567", "東京都千代田区千代田1-1", "", "山田太郎", "03-1234-5678"}));
    // The paste area shows the cleaned seven lines.
    EXPECT_EQ(r.memo, (Lines{"123-4567", "東京都千代田区千代田1-1", "山田太郎", "03-1234-5678", "", "", ""}));
}

TEST(TransferText, PrefectureLineGoesInFrontOfTheFirstAddress)
{
    EXPECT_EQ(Transfer({"東京都", "千代田区千代田1-1"}).add1, "東京都千代田区千代田1-1");
    // Wherever the prefecture line stands, and only the first one counts.
    const Fields f = Transfer({"千代田区千代田1-1", "架空ビル3階の奥", "東京都", "大阪府", "山田太郎"});
    EXPECT_EQ(f.add1, "東京都千代田区千代田1-1");
    EXPECT_EQ(f.add2, "架空ビル3階の奥");
    EXPECT_EQ(f.custo1, "山田太郎");
    // A prefecture line without an address line.
    EXPECT_EQ(Transfer({"沖縄県", "山田太郎"}).add1, "沖縄県");
}

TEST(TransferText, UnhyphenatedNumbersAreNotRecognised)
{
    const Fields f = Transfer({"1234567", "0312345678", "山田太郎"});
    EXPECT_EQ(f, (Fields{"", "1234567", "0312345678", "山田太郎", ""}));
    // Eleven digits are a telephone number.
    EXPECT_EQ(Transfer({"09012345678"}).tel, "09012345678");
}

TEST(TransferText, EarliestLineWinsEachSlot)
{
    const Fields f = Transfer({"123-4567", "東京都港区芝公園1-1", "765-4321", "架空ビル別館の3階", "03-1111-2222",
                               "大阪府大阪市北区梅田1-1", "06-3333-4444"});
    EXPECT_EQ(f, (Fields{"123-4567", "東京都港区芝公園1-1", "架空ビル別館の3階", "", "03-1111-2222"}));
}

TEST(TransferText, ShortAddressLineTakesTheName)
{
    const Fields f = Transfer({"101号", "山田太郎", "東京都港区芝公園1-1"});
    EXPECT_EQ(f.custo1, "101号");
    EXPECT_EQ(f.add1, "東京都港区芝公園1-1");
    // Six characters with an address word: still a name; nine: an address.
    EXPECT_EQ(Transfer({"市川　健太郎"}).custo1, "市川　健太郎");
    EXPECT_EQ(Transfer({"市川　健太郎左衛門"}).add1, "市川　健太郎左衛門");
    // 大阪 alone is no prefecture and no address.
    EXPECT_EQ(Transfer({"大阪"}).custo1, "大阪");
    // A four-character name with an address word: the name when the slot is free.
    EXPECT_EQ(Transfer({"田中町子"}).custo1, "田中町子");
    EXPECT_EQ(Transfer({"山田太郎", "田中町子"}).custo1, "山田太郎");
}

TEST(TransferText, CapitalFInANameMakesItAnAddress)
{
    const Fields f = Transfer({"FUJITA TARO", "東京都港区芝公園1-1"});
    EXPECT_EQ(f.add1, "FUJITA TARO");
    EXPECT_EQ(f.add2, "東京都港区芝公園1-1");
    EXPECT_EQ(f.custo1, "");
}

TEST(TransferText, FaxLineBecomesAnAddress)
{
    const Fields f = Transfer({"東京都港区芝公園1-1", "FAX 03-1234-5678", "03-1234-5679"});
    EXPECT_EQ(f.add2, "FAX 03-1234-5678");
    EXPECT_EQ(f.tel, "03-1234-5679");
}

TEST(TransferText, TelephoneWithRemarkFillsThePostalCode)
{
    const TransferResult r = TransferText({"東京都港区芝公園1-1", "03-1234-5678 (代表)", "山田商店"});
    EXPECT_EQ(r.zip, "03-1234-");
    EXPECT_EQ(r.tel, "");
    EXPECT_EQ(r.add1, "東京都港区芝公園1-1");
    EXPECT_EQ(r.add2, "5678 (代表)");
    EXPECT_EQ(r.custo1, "山田商店");
    EXPECT_EQ(r.memo, (Lines{"東京都港区芝公園1-1", "03-1234-", "山田商店", "5678 (代表)", "", "", ""}));
}

TEST(TransferText, FullWidthPostalCodeAndTelephoneArriveHalfWidth)
{
    const TransferResult r = TransferText({"〒１２３－４５６７", "山田太郎", "ＴＥＬ：０９０－１２３４－５６７８"});
    EXPECT_EQ(r.zip, "123-4567");
    EXPECT_EQ(r.tel, "090-1234-5678");
    // The telephone line keeps its full-width form in the paste area.
    EXPECT_EQ(r.memo[2], "０９０－１２３４－５６７８");
}

TEST(TransferText, OnlyTheFirstSevenCompactedLinesCount)
{
    Lines ten = {"〒123-4567", "東京都港区芝公園1-1", "架空ビル別館の3階", "03-1234-5678", "a", "b", "c",
                 "d", "山田太郎", "e"};
    const TransferResult r = TransferText(ten);
    EXPECT_EQ(r.custo1, "a");
    EXPECT_EQ(r.memo.size(), 7u);
    EXPECT_EQ(r.memo[6], "c");
    // Blank and mail lines do not use up the seven.
    ten = {"", "hanako@example.jp", "〒123-4567", "", "東京都港区芝公園1-1", "", "", "03-1234-5678", "山田太郎"};
    EXPECT_EQ(Transfer(ten).custo1, "山田太郎");
}

TEST(TransferText, ZipAndAddressOnOneLine)
{
    const TransferResult r = TransferText({"お届け先：〒123-4567　東京都港区芝公園4-2-8", "山田　太郎　様", "090-1234-5678"});
    EXPECT_EQ(FieldsOf(r), (Fields{"123-4567", "東京都港区芝公園4-2-8", "", "山田　太郎", "090-1234-5678"}));
    // The number line was turned half-width whole, so the moved address begins
    // with a half-width space.
    EXPECT_EQ(r.memo[3], " 東京都港区芝公園4-2-8");
}

TEST(TransferText, SeventhLineIsHalfWidthAndMayBeTheName)
{
    const Fields f = Transfer({"お届け先", "〒930-0000", "富山県富山市架空町1-1", "架空コーポラス二号棟", "076-000-1111",
                               "090-0000-2222", "カクウ　タロウ"});
    EXPECT_EQ(f, (Fields{"930-0000", "富山県富山市架空町1-1", "架空コーポラス二号棟", "ｶｸｳ ﾀﾛｳ", "076-000-1111"}));
}

TEST(TransferText, RunningAgainOnTheCleanedLinesGivesTheSameFields)
{
    const Lines pasted = {"【お届け先】", "〒812-0000 福岡県福岡市博多区架空1-1-1", "架空　五郎 様", "TEL 092-000-3333"};
    const TransferResult first = TransferText(pasted);
    const TransferResult second = TransferText(SplitMemoLines(JoinMemoLines(first.memo)));
    EXPECT_EQ(FieldsOf(second), FieldsOf(first));
    EXPECT_EQ(first.custo1, "【】");  // a label-only header line takes the name
}
