// Reading order files: encodings, separators, line ends, quoting, and the files
// that cannot be read.
#include "orders/OrderFile.h"

#include <gtest/gtest.h>

using namespace hoxa;

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// Header and rows, cells joined by '|', rows by '/'.
std::string Dump(const OrderTable& t)
{
    std::string out;
    for (std::size_t c = 0; c < t.Columns(); ++c) out += (c ? "|" : "") + t.Header()[c];
    for (std::size_t r = 0; r < t.Rows(); ++r) {
        out += "/";
        for (std::size_t c = 0; c < t.Columns(); ++c) out += (c ? "|" : "") + std::string(t.Cell(r, c));
    }
    return out;
}

std::string Message(std::string_view bytes)
{
    try {
        ParseOrderFile(bytes);
    } catch (const EOrderFile& e) {
        return e.what();
    }
    return "(read)";
}

}  // namespace

TEST(OrderFile, EncodingsSeparatorsAndLineEndsGiveTheSameCells)
{
    struct Case {
        std::string bytes;
        OrderFileEncoding encoding;
        char separator;
    } cases[] = {
        {"氏名,住所\r\n見本 太郎,東京都\r\n", OrderFileEncoding::Cp932, ','},
        {U8(u8"氏名,住所\n見本 太郎,東京都\n"), OrderFileEncoding::Utf8, ','},
        {U8(u8"\uFEFF氏名\t住所\r見本 太郎\t東京都"), OrderFileEncoding::Utf8, '\t'},
        {"氏名\t住所\n\n \t \n見本 太郎\t東京都\n \t \n", OrderFileEncoding::Cp932, '\t'},  // blank lines left out
    };
    for (const auto& c : cases) {
        const OrderTable t = ParseOrderFile(c.bytes);
        EXPECT_EQ(Dump(t), "氏名|住所/見本 太郎|東京都") << c.bytes;
        EXPECT_EQ(t.Encoding(), c.encoding) << c.bytes;
        EXPECT_EQ(t.Separator(), c.separator) << c.bytes;
    }
    // A file of ASCII only reads the same either way; a BOM alone makes UTF-8.
    EXPECT_EQ(ParseOrderFile("a,b\n1,2\n").Encoding(), OrderFileEncoding::Cp932);
    EXPECT_EQ(ParseOrderFile("\xEF\xBB\xBF" "a,b\n1,2\n").Encoding(), OrderFileEncoding::Utf8);
}

TEST(OrderFile, QuotedCellsKeepSeparatorsQuotesAndLineBreaks)
{
    const OrderTable t = ParseOrderFile(
        "id,memo,name\r\n"
        "1,\"a,b\",\"say \"\"hi\"\"\"\r\n"
        "2,\"two\r\nlines\nhere\",\"\"\r\n"
        "3,x\"y,\"表\"\r\n");
    EXPECT_EQ(Dump(t), "id|memo|name/1|a,b|say \"hi\"/2|two\r\nlines\nhere|/3|x\"y|表");
    // Lines of the file: the quoted line breaks count.
    EXPECT_EQ(t.Line(0), 2u);
    EXPECT_EQ(t.Line(1), 3u);
    EXPECT_EQ(t.Line(2), 6u);
}

TEST(OrderFile, FilesThatCannotBeReadNameTheLine)
{
    struct Case {
        std::string bytes;
        const char* message;
    } cases[] = {
        {"a,b\n1,\"x\n2,3\n", "2 行目で始まる「\"」の囲みが閉じられていないため"},
        {"a,b\n1,2\n\"3\n4\",5,6\n", "3 行目の項目の数が 3 で、見出しの 2 と合わないため"},
        {"a,b\n1,2\r\n3,\x01\n", "3 行目に文字ではないデータがあるため"},
        {"a,b\n1,\x82\x20\n", "2 行目に UTF-8 でもシフトJIS でもない文字があるため"},
        {std::string("\xFF\xFE" "a\0,\0", 6), "UTF-16 で保存されたファイルは読み込めません"},
        {"\r\n\r\n", "注文ファイルに見出しの行がありません"},
        {"\r\n\r\n  \t \r\n,\r\n", "注文ファイルに見出しの行がありません"},
        {U8(u8"氏名,住所\n見本,東京都\n見本,東京都") + "\xA0\n", "3 行目に UTF-8 でもシフトJIS でもない"},
        {std::string(kMaxOrderFileBytes + 1, 'a'), "50 MB を超えている"},
    };
    for (const auto& c : cases) {
        const std::string m = Message(c.bytes);
        EXPECT_NE(m.find(c.message), std::string::npos) << m;
        EXPECT_TRUE(m.ends_with("。")) << m;
    }
    std::string rows = "a\n";
    for (std::size_t r = 0; r < kMaxOrderRows; ++r) rows += "1\n";
    EXPECT_EQ(ParseOrderFile(rows).Rows(), kMaxOrderRows);
    EXPECT_NE(Message(rows + "1\n").find("100002 行目で注文の行が 100,000 行を超える"), std::string::npos);
}

TEST(OrderFile, MissingFileIsToldInJapanese)
{
    try {
        ReadOrderFile(HOXA_BINARY_DIR "/no-such-orders.csv");
        FAIL();
    } catch (const EOrderFile& e) {
        EXPECT_STREQ(e.what(), "注文ファイルが見つかりません。");
    }
}
