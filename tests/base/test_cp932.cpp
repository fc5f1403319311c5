#include "base/cp932.h"
#include "base/errors.h"

#include <gtest/gtest.h>

using namespace hoxa;

TEST(Cp932Bytes, LeadAndTrailRanges)
{
    EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(0x81)));
    EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(0x9F)));
    EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(0xE0)));
    EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(0xFC)));
    EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(0x80)));
    EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(0xA0)));
    EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(0xB1)));  // half-width ｱ
    EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(0xFD)));
    EXPECT_TRUE(IsTrailByte(static_cast<unsigned char>(0x40)));
    EXPECT_FALSE(IsTrailByte(static_cast<unsigned char>(0x7F)));
    EXPECT_TRUE(IsTrailByte(static_cast<unsigned char>(0x80)));
    EXPECT_FALSE(IsTrailByte(static_cast<unsigned char>(0x3F)));
}

TEST(Cp932Bytes, CountCharsCountsDoubleByteOnceAndKanaOnce)
{
    EXPECT_EQ(CountChars(""), 0u);
    EXPECT_EQ(CountChars("abc"), 3u);
    EXPECT_EQ(CountChars("山田太郎"), 4u);
    EXPECT_EQ(CountChars("ﾔﾏﾀﾞ"), 4u);
    EXPECT_EQ(CountChars("市川　健太郎"), 6u);
    // A lone lead byte at the end is one character.
    EXPECT_EQ(CountChars(std::string("a\x82")), 2u);
}

TEST(Cp932Trim, RemovesControlsAndBlanksButNotFullWidthSpace)
{
    EXPECT_EQ(Trim(" \t abc \r\n"), "abc");
    EXPECT_EQ(Trim("　山田　"), "　山田　");
    EXPECT_EQ(Trim(std::string("\x1a x\x1a", 4)), "x");
    EXPECT_EQ(TrimLeft("  a b  "), "a b  ");
    EXPECT_EQ(TrimRight("  a b  "), "  a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(""), "");
}

TEST(Cp932Occurrences, CountsAtCharacterBoundariesOnly)
{
    // 病 = 0x95 0x61? no: trail bytes 0x40 '@' and 0x46 'F' must never match.
    EXPECT_EQ(CountOccurrences("ジ", "W"), 0);      // ジ = 0x83 0x57
    EXPECT_EQ(CountOccurrences("宇", "F"), 0);      // 宇 = 0x89 0x46
    EXPECT_EQ(CountOccurrences("宇F", "F"), 1);
    EXPECT_EQ(CountOccurrences("病", "a"), 0);
    EXPECT_EQ(CountOccurrences("ゼ", "["), 0);      // ゼ = 0x83 0x5B
    EXPECT_EQ(CountOccurrences("@@", "@"), 2);
    EXPECT_EQ(CountOccurrences("aaaa", "aa"), 2);  // no overlap
    EXPECT_EQ(CountOccurrences("中学校", "中学"), 1);
    EXPECT_EQ(CountOccurrences("abc", ""), 0);
    // 0x82 0x60 (Ａ) followed by 0x60: the pattern 0x60 0x82 straddles two characters.
    EXPECT_EQ(CountOccurrences("Ａ`", std::string("\x60")), 1);
    EXPECT_EQ(CountOccurrences("ＡＡ", std::string("\x60\x82")), 0);
}

TEST(Cp932Occurrences, RemoveMatchesTheSameOccurrences)
{
    EXPECT_EQ(RemoveOccurrences("TTELEL", "TEL"), "TEL");
    EXPECT_EQ(RemoveOccurrences("山田様方", "様"), "山田方");
    EXPECT_EQ(RemoveOccurrences("宇F宇", "F"), "宇宇");
    EXPECT_EQ(RemoveOccurrences("abc", ""), "abc");
}

TEST(Cp932StrToInt, AcceptsTheNumberForms)
{
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("-5"), -5);
    EXPECT_EQ(StrToInt("+12"), 12);
    EXPECT_EQ(StrToInt("  42"), 42);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("x10"), 16);
    EXPECT_EQ(StrToInt("X10"), 16);
    EXPECT_EQ(StrToInt("0x2"), 2);
    EXPECT_EQ(StrToInt("-$10"), -16);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("007"), 7);
}

TEST(Cp932StrToInt, RefusesEverythingElseWithTheMessage)
{
    for (const char* bad : {"", " ", "-", "$", "0x", "12.5", "12.", "1 ", "1a", "2147483648",
                            "-2147483649", "\t1", "１２", "abc", "$FFFFFFFF"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(bad) + "' is not a valid integer value");
        }
    }
}
