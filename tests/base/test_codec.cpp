#include "base/Codec.h"

#include <gtest/gtest.h>

using namespace hoxa;

namespace {
std::string RoundTrip(const std::string& bytes, bool* lost = nullptr)
{
    return FromQString(ToQString(bytes), lost);
}
}  // namespace

TEST(Codec, MicrosoftVariantsRoundTrip)
{
    struct Case {
        const char* bytes;
        char16_t unit;
    } cases[] = {
        {"\x87\x40", 0x2460},  // ①
        {"\x81\x60", 0xFF5E},  // ～
        {"\x81\x5F", 0xFF3C},  // ＼
        {"\xFB\xFC", 0x9AD9},  // 髙
        {"\xFA\xB1", 0xFA11},  // 﨑
        {"\x81\x7C", 0xFF0D},  // －
        {"\x81\xAC", 0x3013},  // 〓
    };
    for (const auto& c : cases) {
        const QString q = ToQString(c.bytes);
        ASSERT_EQ(q.size(), 1) << c.bytes;
        EXPECT_EQ(q.at(0).unicode(), c.unit) << c.bytes;
        bool lost = false;
        EXPECT_EQ(FromQString(q, &lost), c.bytes);
        EXPECT_FALSE(lost);
    }
}

TEST(Codec, InputMethodFormsLandOnCp932)
{
    bool lost = false;
    EXPECT_EQ(FromQString(QString(QChar(0x301C)), &lost), "\x81\x60");  // 〜 wave dash
    EXPECT_EQ(FromQString(QString(QChar(0x2212)), &lost), "\x81\x7C");  // − minus sign
    EXPECT_FALSE(lost);
}

TEST(Codec, WebPageSpacesDashesAndInvisibleCharacters)
{
    const struct {
        char16_t unit;
        const char* bytes;
    } cases[] = {
        {0x00A0, " "}, {0x2002, " "}, {0x2003, " "}, {0x2009, " "}, {0x200A, " "}, {0x202F, " "}, {0x205F, " "},
        {0x200B, ""},  {0x200C, ""},  {0x200D, ""},  {0x2060, ""},  {0xFEFF, ""},
        {0x2011, "\x81\x5D"}, {0x2012, "\x81\x5D"}, {0x2013, "\x81\x5D"},  // as ‐
        {0x3000, "\x81\x40"},  // the full-width space is text
    };
    for (const auto& c : cases) {
        bool lost = false;
        const QString text = QStringLiteral(u"山") + QChar(c.unit) + QStringLiteral(u"田");
        EXPECT_EQ(FromQString(text, &lost), std::string("\x8E\x52") + c.bytes + "\x93\x63") << int(c.unit);
        EXPECT_FALSE(lost) << int(c.unit);
    }
    // Beside them, a character CP932 cannot hold is still replaced and reported.
    bool lost = false;
    EXPECT_EQ(Utf8ToCp932("\xC2\xA0" "a\xE2\x80\x8B\xF0\x9F\x98\x80", &lost), " a\x81\xAC");
    EXPECT_TRUE(lost);
}

TEST(Codec, ControlBytesAndAsciiAreThemselves)
{
    std::string all;
    for (int b = 0; b < 0x80; ++b) all.push_back(static_cast<char>(b));
    const QString q = ToQString(all);
    ASSERT_EQ(q.size(), 0x80);
    for (int b = 0; b < 0x80; ++b) EXPECT_EQ(q.at(b).unicode(), b);
    EXPECT_EQ(FromQString(q), all);
}

TEST(Codec, HalfWidthKanaAndUndefinedBytesRoundTrip)
{
    const std::string kana = "\xB1\xB2\xDE\xDF\xA1";
    EXPECT_EQ(ToQString(kana), QStringLiteral(u"ｱｲﾞﾟ｡"));
    EXPECT_EQ(RoundTrip(kana), kana);
    const std::string odd = "\x80\xA0\xFD\xFE\xFF";
    EXPECT_EQ(RoundTrip(odd), odd);
}

TEST(Codec, UnencodableCharactersBecomeGetaAndAreReported)
{
    bool lost = false;
    // An emoji (a surrogate pair) and a Hangul syllable.
    const QString text = QStringLiteral(u"a😀b한c");
    EXPECT_EQ(FromQString(text, &lost), "a\x81\xAC" "b\x81\xAC" "c");
    EXPECT_TRUE(lost);
    bool lost2 = false;
    EXPECT_EQ(FromQString(QStringLiteral("abc"), &lost2), "abc");
    EXPECT_FALSE(lost2);
    // A lone high surrogate does not swallow the next character.
    QString broken;
    broken.append(QChar(0xD83D));
    broken.append(QChar(u'x'));
    EXPECT_EQ(FromQString(broken), "\x81\xAC" "x");
}

TEST(Codec, BrokenDoubleByteShowsReplacement)
{
    const QString q = ToQString(std::string("a\x82"));  // lone lead byte at the end
    ASSERT_EQ(q.size(), 2);
    EXPECT_EQ(q.at(1).unicode(), 0xFFFD);
}

TEST(Codec, LongJapaneseTextRoundTrips)
{
    std::string text;
    for (int i = 0; i < 500; ++i) text += "東京都港区芝公園4-2-8　ﾊｲﾂ山田①～＼";
    EXPECT_EQ(RoundTrip(text), text);
}

TEST(Codec, Utf8BothWays)
{
    // "①～髙 東京" in UTF-8, and a character CP932 cannot hold.
    const std::string utf8 = "\xE2\x91\xA0\xEF\xBD\x9E\xE9\xAB\x99 \xE6\x9D\xB1\xE4\xBA\xAC";
    const std::string cp932 = "\x87\x40\x81\x60\xFB\xFC \x93\x8C\x8B\x9E";
    EXPECT_EQ(Cp932ToUtf8(cp932), utf8);
    bool lost = false;
    EXPECT_EQ(Utf8ToCp932(utf8, &lost), cp932);
    EXPECT_FALSE(lost);
    EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80" "b", &lost), "a\x81\xAC" "b");  // U+1F600
    EXPECT_TRUE(lost);
}
