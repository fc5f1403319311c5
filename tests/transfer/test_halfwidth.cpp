#include "transfer/HalfWidth.h"

#include "base/cp932.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

using namespace hoxa;

namespace {
std::string FromHex(const std::string& hex)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// input bytes -> output bytes, from the reference table.
std::map<std::string, std::string> LoadTable()
{
    std::ifstream in(HOXA_TEST_DATA "/halfwidth-map.tsv");
    std::map<std::string, std::string> table;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line.rfind("input_hex", 0) == 0) continue;
        std::istringstream fields(line);
        std::string from, to;
        std::getline(fields, from, '\t');
        std::getline(fields, to, '\t');
        table[FromHex(from)] = FromHex(to);
    }
    return table;
}
}  // namespace

TEST(HalfWidth, EveryTableEntryAndNothingElseChanges)
{
    const auto table = LoadTable();
    ASSERT_EQ(table.size(), 193u);
    int checked = 0;
    // Every double-byte code of CP932's lead and trail ranges, alone and in a text.
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!IsTrailByte(static_cast<unsigned char>(trail))) continue;
            const std::string ch{static_cast<char>(lead), static_cast<char>(trail)};
            const auto it = table.find(ch);
            const std::string expected = it == table.end() ? ch : it->second;
            ASSERT_EQ(ToHalfWidth(ch), expected) << std::hex << lead << trail;
            ASSERT_EQ(ToHalfWidth("a" + ch + "b"), "a" + expected + "b");
            ++checked;
        }
    }
    EXPECT_GT(checked, 10000);
    // Single bytes (ASCII, controls, half-width katakana) stay.
    for (int b = 1; b < 0x100; ++b) {
        if (IsLeadByte(static_cast<unsigned char>(b))) continue;
        const std::string s(1, static_cast<char>(b));
        EXPECT_EQ(ToHalfWidth(s), s);
    }
}

TEST(HalfWidth, Examples)
{
    EXPECT_EQ(ToHalfWidth("１２３－４５６７"), "123-4567");
    EXPECT_EQ(ToHalfWidth("０３－１２３４－５６７８"), "03-1234-5678");
    EXPECT_EQ(ToHalfWidth("ヤマダ　タロウ"), "ﾔﾏﾀﾞ ﾀﾛｳ");
    EXPECT_EQ(ToHalfWidth("ガパヴヾ"), "ｶﾞﾊﾟｳﾞヽﾞ");
    EXPECT_EQ(ToHalfWidth("東京都"), "東京都");
    EXPECT_EQ(ToHalfWidth(""), "");
    EXPECT_EQ(ToHalfWidth("123-4567"), "123-4567");
    EXPECT_EQ(ToHalfWidth("○■→←↑↓│"), "○■→←↑↓│");
    EXPECT_EQ(ToHalfWidth("～￥’”"), "~\\'\"");
}

TEST(HalfWidth, LongTextsAndBrokenTailKeepEveryByte)
{
    std::string text;
    for (int i = 0; i < 300; ++i) text += "１";
    EXPECT_EQ(ToHalfWidth(text), std::string(300, '1'));
    EXPECT_EQ(ToHalfWidth(std::string("１\x82")), std::string("1\x82"));
}
