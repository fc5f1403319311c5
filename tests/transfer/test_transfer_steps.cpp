// The single steps of the address transfer, each on its own.
#include "transfer/TransferSteps.h"

#include "base/cp932.h"

#include <gtest/gtest.h>

#include <set>

using namespace hoxa;

namespace {

// Characters whose second byte equals an ASCII sign the steps look for.
const std::string kIn = "院";     // 0x89 0x40: trail byte "@"
const std::string kU = "宇";      // 0x89 0x46: trail byte "F"
const std::string kWeir = "堰";   // 0x89 0x81: with a following "@" the bytes 0x81 0x40 of "　"
const std::string kEn = "於";     // 0x89 0x97: with a following "l" the bytes 0x97 0x6C of "様"

Lines Seven(Lines lines)
{
    lines.resize(7);
    return lines;
}

}  // namespace

TEST(TransferLiterals, SourceLiteralsAreTheExpectedCp932Bytes)
{
    // The label and pattern tables are written as literals; a character that the
    // compiler could only transliterate would silently break them.
    EXPECT_EQ(std::string("－"), "\x81\x7C");
    EXPECT_EQ(std::string("℡"), "\x87\x84");
    EXPECT_EQ(std::string("〒"), "\x81\xA7");
    EXPECT_EQ(std::string("様"), "\x97\x6C");
    EXPECT_EQ(std::string("ﾋﾞﾙ"), "\xCB\xDE\xD9");
    EXPECT_EQ(kIn, "\x89\x40");
    EXPECT_EQ(kU, "\x89\x46");
    EXPECT_EQ(kWeir, "\x89\x81");
    EXPECT_EQ(kEn, "\x89\x97");
    for (const auto& list : {TransferLabels(), PrefectureNames(), AddressPatterns()})
        for (const auto s : list) EXPECT_EQ(s.find('?'), std::string_view::npos) << s;
}

TEST(TransferTables, SizesAndNoDuplicates)
{
    EXPECT_EQ(TransferLabels().size(), 45u);
    EXPECT_EQ(PrefectureNames().size(), 47u);
    EXPECT_EQ(AddressPatterns().size(), 57u);
    for (const auto& list : {TransferLabels(), PrefectureNames(), AddressPatterns()}) {
        const std::set<std::string_view> distinct(list.begin(), list.end());
        EXPECT_EQ(distinct.size(), list.size());
    }
    // A label that contains an earlier one would never be removed whole.
    const auto& labels = TransferLabels();
    for (std::size_t i = 0; i < labels.size(); ++i)
        for (std::size_t j = i + 1; j < labels.size(); ++j)
            EXPECT_EQ(CountOccurrences(labels[j], labels[i]), 0) << labels[j] << " after " << labels[i];
}

TEST(CountMailMarks, MailAndWebAddresses)
{
    EXPECT_EQ(CountMailMarks("kakuu.hanako@example.co.jp"), 3);
    EXPECT_EQ(CountMailMarks("https://www.example.net/shop"), 2);
    EXPECT_EQ(CountMailMarks("www.kakuu-shop.jp"), 1);
    EXPECT_EQ(CountMailMarks("info@example.com"), 3);  // "@", ".co", ".com"
    EXPECT_EQ(CountMailMarks("kakuu.org"), 1);
    EXPECT_EQ(CountMailMarks("東京都港区"), 0);
    EXPECT_EQ(CountMailMarks("ｋａｋｕｕ＠ｅｘａｍｐｌｅ．ｃｏ．ｊｐ"), 0);
    EXPECT_EQ(CountMailMarks("WWW.EXAMPLE.JP"), 0);
    EXPECT_EQ(CountMailMarks(""), 0);
    // The trail byte 0x40 of 院 is no "@".
    EXPECT_EQ(CountMailMarks("架空病" + kIn), 0);
    EXPECT_EQ(CountMailMarks(kIn + "@"), 1);
}

TEST(CompactLines, KeepsNonEmptyMailFreeLinesOfTheFirstSixteen)
{
    Lines twenty;
    for (int i = 0; i < 20; ++i) twenty.push_back(i % 2 ? (i % 4 == 1 ? "" : " \t ") : " 行" + IntToStr(i) + " ");
    const Lines kept = CompactLines(twenty);
    ASSERT_EQ(kept.size(), 8u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(kept[i], "行" + IntToStr(2 * i));

    EXPECT_TRUE(CompactLines({"", "  ", "\t", "\r"}).empty());
    EXPECT_TRUE(CompactLines({}).empty());

    const Lines mixed = {"架空 花子", "hanako@example.jp", "  http://www.example.com  ",
                         "０３－００００－１１１１", "　"};
    EXPECT_EQ(CompactLines(mixed), (Lines{"架空 花子", "０３－００００－１１１１", "　"}));

    // The seventeenth line is never read, even when the first sixteen are all dropped.
    Lines late(16, "");
    late.push_back("架空 次郎");
    EXPECT_TRUE(CompactLines(late).empty());
    late[15] = "x";
    EXPECT_EQ(CompactLines(late), Lines{"x"});
}

TEST(TrimBlanks, RemovesHalfAndFullWidthSpacesAtBothEnds)
{
    EXPECT_EQ(TrimBlanks("　 山田　太郎 　"), "山田　太郎");
    EXPECT_EQ(TrimBlanks("\t　a　\n"), "a");
    EXPECT_EQ(TrimBlanks("　　"), "");
    EXPECT_EQ(TrimBlanks(" 　 "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimBlanks("a b"), "a b");
    // Character boundaries: 堰 followed by "@" ends in the bytes of "　" but
    // holds no full-width space.
    EXPECT_EQ(TrimBlanks(kWeir + "@"), kWeir + "@");
    EXPECT_EQ(TrimBlanks("　" + kWeir + "@　"), kWeir + "@");
    // A dangling lead byte at the end stays.
    EXPECT_EQ(TrimBlanks("ab\x81"), "ab\x81");
}

TEST(NumericLeadLength, NormalisedNumberAtTheStart)
{
    EXPECT_EQ(NumericLeadLength("123-4567"), 3);
    EXPECT_EQ(NumericLeadLength("090-1234-5678"), 2);
    EXPECT_EQ(NumericLeadLength("0120-123-456"), 3);
    EXPECT_EQ(NumericLeadLength("1,234円"), 4);
    EXPECT_EQ(NumericLeadLength("1234567890"), 0);   // ten integer digits
    EXPECT_EQ(NumericLeadLength("123456789"), 9);
    EXPECT_EQ(NumericLeadLength("東京都"), 0);
    EXPECT_EQ(NumericLeadLength(""), 0);
    EXPECT_EQ(NumericLeadLength("１２３－４５６７"), 3);
    EXPECT_EQ(NumericLeadLength("０３－１２３４－５６７８"), 1);
    EXPECT_EQ(NumericLeadLength("１，２３４"), 4);
    EXPECT_EQ(NumericLeadLength("000"), 1);
    EXPECT_EQ(NumericLeadLength("-0012"), 3);
    EXPECT_EQ(NumericLeadLength("-."), 3);           // "-0."
    EXPECT_EQ(NumericLeadLength(".5"), 3);           // "0.5"
    EXPECT_EQ(NumericLeadLength("12.34567"), 6);     // three decimals at most
    EXPECT_EQ(NumericLeadLength("1.2.3"), 3);
    EXPECT_EQ(NumericLeadLength("101号"), 3);
}

TEST(StripLabels, LabelsHonorificsAndColonsGo)
{
    EXPECT_EQ(StripLabelsFromLine("お届け先：〒123-4567"), "123-4567");
    EXPECT_EQ(StripLabelsFromLine("お名前：　山田　太郎　様"), "山田　太郎");
    EXPECT_EQ(StripLabelsFromLine("ご住所：東京都港区芝公園4-2-8"), "東京都港区芝公園4-2-8");
    EXPECT_EQ(StripLabelsFromLine("山田様方"), "山田方");
    EXPECT_EQ(StripLabelsFromLine("株式会社でんわ"), "株式会社");
    EXPECT_EQ(StripLabelsFromLine("お届け先："), "");
    EXPECT_EQ(StripLabelsFromLine("お電話番号:03-0000-1111"), "03-0000-1111");
    EXPECT_EQ(StripLabelsFromLine("おところ１　架空町"), "架空町");
    EXPECT_EQ(StripLabelsFromLine("住所2: 架空ビル"), "架空ビル");
    EXPECT_EQ(StripLabelsFromLine("℡ 03-0000-1111"), "03-0000-1111");
    EXPECT_EQ(StripLabelsFromLine("お届け先住所"), "");
    // One pass per label: what the removal joins together stays.
    EXPECT_EQ(StripLabelsFromLine("TTELEL"), "TEL");
    EXPECT_EQ(StripLabelsFromLine("様様"), "");
    // Only whole characters match: 於 + "l" holds the bytes of 様 across two characters.
    EXPECT_EQ(StripLabelsFromLine(kEn + "l架空"), kEn + "l架空");
    // A full-width space left after a label goes only at the end.
    EXPECT_EQ(StripLabelsFromLine("氏名　架空　十郎"), "架空　十郎");
}

TEST(StripLabels, NumberLinesAndTheSeventhLineTurnHalfWidth)
{
    // Telephone number 03 normalises to 3: the line stays full-width here.
    EXPECT_EQ(StripLabelsFromLine("TEL：０３－１２３４－５６７８"), "０３－１２３４－５６７８");
    EXPECT_EQ(StripLabelsFromLine("１００　ハイツ"), "100 ﾊｲﾂ");
    EXPECT_EQ(StripLabelsFromLine("〒１２３－４５６７"), "123-4567");
    EXPECT_EQ(StripLabelsFromLine("12　カクウ"), "12　カクウ");

    const Lines out = StripLabels({"a", "ヤマダ　タロウ", "c", "d", "e", "f", "ヤマダ　タロウ", "h"});
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[1], "ヤマダ　タロウ");
    EXPECT_EQ(out[6], "ﾔﾏﾀﾞ ﾀﾛｳ");
}

TEST(StripLabels, AlwaysSevenLines)
{
    EXPECT_EQ(StripLabels({"様", "架空", "〒"}), Seven({"", "架空", ""}));
    EXPECT_EQ(StripLabels({}), Seven({}));
    Lines ten;
    for (int i = 0; i < 10; ++i) ten.push_back("行" + IntToStr(i));
    const Lines out = StripLabels(ten);
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[5], "行5");
}

TEST(ClassifyZipTel, PostalCodes)
{
    for (const char* s : {"123-4567", "１２３－４５６７", "1234-567", "12345678", "03-1234-", "  123-4567\t"})
        EXPECT_EQ(ClassifyZipTel(s), kKindZip) << s;
    EXPECT_EQ(ClassifyZipTel("1234567"), kKindUndecided);
    EXPECT_EQ(ClassifyZipTel("〒123-4567"), kKindUndecided);
    EXPECT_EQ(ClassifyZipTel("123ｰ4567"), kKindUndecided);  // half-width long mark
}

TEST(ClassifyZipTel, TelephoneNumbers)
{
    for (const char* s : {"03-1234-5678", "０９０－１２３４－５６７８", "09012345678", "03-1234-5678x", " 090-1234-5678 "})
        EXPECT_EQ(ClassifyZipTel(s), kKindTel) << s;
    EXPECT_EQ(ClassifyZipTel("0312345678"), kKindUndecided);
    EXPECT_EQ(ClassifyZipTel("(03)1234-5678"), kKindUndecided);
}

TEST(ClassifyZipTel, AddressesAndUndecided)
{
    EXPECT_EQ(ClassifyZipTel("03-1234-5678 内線"), kKindAddress);
    EXPECT_EQ(ClassifyZipTel("FAX 03-1234-5678"), kKindAddress);
    EXPECT_EQ(ClassifyZipTel("東京都千代田区千代田1-1"), kKindAddress);
    EXPECT_EQ(ClassifyZipTel("山田太郎"), kKindUndecided);
    EXPECT_EQ(ClassifyZipTel(""), kKindUndecided);
    EXPECT_EQ(ClassifyZipTel("   "), kKindUndecided);
    // Half-width katakana count one character each.
    EXPECT_EQ(ClassifyZipTel("ｶｸｳﾀﾛｳｶｸｳﾀﾛ"), kKindAddress);
    EXPECT_EQ(ClassifyZipTel("ｶｸｳﾀﾛｳｶｸｳﾀ"), kKindUndecided);
}

TEST(SplitZipLines, PostalCodeWithAddressBehind)
{
    const Lines in = {"123-4567 東京都港区芝公園4-2-8", "山田太郎", "03-1234-5678", "x"};
    const Lines out = SplitZipLines(Seven(in));
    EXPECT_EQ(out, Seven({"123-4567", "山田太郎", "03-1234-5678", "x", " 東京都港区芝公園4-2-8"}));

    // The tail goes to the first blank line after the code, even one in the middle.
    EXPECT_EQ(SplitZipLines(Seven({"a", "123-4567東京都港区芝公園", " ", "b"})),
              Seven({"a", "123-4567", "東京都港区芝公園", "b"}));
}

TEST(SplitZipLines, ShortTailsStay)
{
    EXPECT_EQ(SplitZipLines(Seven({"123-4567 港区"})), Seven({"123-4567 港区"}));
    EXPECT_EQ(SplitZipLines(Seven({"123-4567 12345"})), Seven({"123-4567 12345"}));  // six characters
    EXPECT_EQ(SplitZipLines(Seven({"123-4567 1234567"})), Seven({"123-4567", " 1234567"}));
    EXPECT_EQ(SplitZipLines(Seven({"123-4567"})), Seven({"123-4567"}));
    EXPECT_EQ(SplitZipLines(Seven({"1234567 東京都港区芝公園"})), Seven({"1234567 東京都港区芝公園"}));
}

TEST(SplitZipLines, TelephoneWithRemarkIsSplitLikeAPostalCode)
{
    EXPECT_EQ(SplitZipLines(Seven({"03-1234-5678 (代表)"})), Seven({"03-1234-", "5678 (代表)"}));
}

TEST(SplitZipLines, TailIsLostWithoutABlankLineAfter)
{
    const Lines full = {"a", "b", "c", "d", "e", "f", "123-4567 東京都港区芝公園"};
    EXPECT_EQ(SplitZipLines(full), (Lines{"a", "b", "c", "d", "e", "f", "123-4567"}));
    const Lines filled = {"a", "123-4567 東京都港区芝公園", "c", "d", "e", "f", "g"};
    EXPECT_EQ(SplitZipLines(filled), (Lines{"a", "123-4567", "c", "d", "e", "f", "g"}));
    // A blank line before the code does not take it.
    const Lines before = {"", "123-4567 東京都港区芝公園", "c", "d", "e", "f", "g"};
    EXPECT_EQ(SplitZipLines(before)[0], "");
}

TEST(SplitZipLines, TailEndsAtByte88WithoutHalvingACharacter)
{
    std::string kanji;
    for (int i = 0; i < 40; ++i) kanji += "町";
    // "a" + 40 kanji: the last kanji would take bytes 88 and 89, so it goes.
    const Lines split = SplitZipLines(Seven({"123-4567a" + kanji}));
    EXPECT_EQ(split[1], "a" + kanji.substr(0, 78));
    // 40 kanji end exactly at byte 88; what follows is lost.
    const Lines exact = SplitZipLines(Seven({"123-4567" + kanji + "bc"}));
    EXPECT_EQ(exact[1], kanji);
    EXPECT_EQ(exact[0], "123-4567");
}

TEST(SplitZipLines, MovedTailIsExaminedInItsTurn)
{
    // The moved tail starts with another postal code and an address.
    const Lines out = SplitZipLines(Seven({"123-4567765-4321東京都港区芝公園"}));
    EXPECT_EQ(out, Seven({"123-4567", "765-4321", "東京都港区芝公園"}));
}

TEST(IsPrefecture, WholeTrimmedLineOnly)
{
    EXPECT_TRUE(IsPrefecture("東京都"));
    EXPECT_TRUE(IsPrefecture("沖縄県"));
    EXPECT_TRUE(IsPrefecture(" \t大阪府  "));
    EXPECT_TRUE(IsPrefecture("北海道"));
    EXPECT_TRUE(IsPrefecture("神奈川県"));
    EXPECT_FALSE(IsPrefecture("大阪"));
    EXPECT_FALSE(IsPrefecture("東京都港区"));
    EXPECT_FALSE(IsPrefecture("東京都　"));  // the full-width space is not trimmed here
    EXPECT_FALSE(IsPrefecture(""));
    for (const auto name : PrefectureNames()) EXPECT_TRUE(IsPrefecture(name)) << name;
}

TEST(AddressScore, CountsDigitsHyphensAndAddressWords)
{
    EXPECT_EQ(AddressScore("山田太郎"), 0);
    EXPECT_EQ(AddressScore("ヤマダ　タロウ"), 0);
    EXPECT_EQ(AddressScore("株式会社　山田商店"), 0);
    EXPECT_EQ(AddressScore("東京都港区芝公園4-2-8"), 7);
    EXPECT_EQ(AddressScore("ﾊｲﾂ山田 101"), 4);
    EXPECT_EQ(AddressScore("中学校"), 2);
    EXPECT_EQ(AddressScore("高等学校"), 1);
    EXPECT_EQ(AddressScore("FUJITA"), 1);
    EXPECT_EQ(AddressScore("fujita"), 0);
    EXPECT_EQ(AddressScore("03-1234"), 7);
    EXPECT_EQ(AddressScore("北海道"), 1);
    EXPECT_EQ(AddressScore("１２Ｆ"), 3);
    EXPECT_EQ(AddressScore("ﾒｿﾞﾝ架空ﾏﾝｼｮﾝ"), 2);
    // The trail byte 0x46 of 宇 is no "F".
    EXPECT_EQ(AddressScore(kU + kU), 0);
    EXPECT_EQ(AddressScore(""), 0);
}
