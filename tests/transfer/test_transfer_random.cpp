// The whole transfer on random CP932 bytes: it must never read or write out of
// bounds (the sanitizer build runs this too) and must keep its promises about
// the shape of the result.
#include "transfer/Transfer.h"
#include "transfer/TransferSteps.h"

#include "base/cp932.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace hoxa;

namespace {

// Pieces that steer the random text into the interesting paths: digits and
// hyphens of both widths, blanks, labels, mail marks, address words, katakana,
// lone lead bytes and line breaks.
const std::vector<std::string> kPieces = {
    "0", "1", "2", "3", "5", "9", "-", "－", "０", "１", "９", " ", "　", "\t", "〒", "様", "TEL", "：", ":",
    "お届け先", "住所", "電話", "@", ".jp", ".co", "東京都", "沖縄県", "市", "区", "ビル", "ﾋﾞﾙ", "F",
    "カクウ", "ガ", "山田", "院", "宇", "\x81", "\x82", "\xFC", "\x80", "\xA0", "\xFF", "(", "代表", "ー",
};

std::string RandomText(std::mt19937& rng, std::size_t maxPieces, bool lineBreaks)
{
    std::uniform_int_distribution<std::size_t> count(0, maxPieces);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s;
    for (std::size_t n = count(rng); n > 0; --n) {
        const int k = kind(rng);
        if (k < 3) s.push_back(static_cast<char>(byte(rng)));
        else if (lineBreaks && k == 3) s += (byte(rng) & 1) ? "\r\n" : (byte(rng) & 1) ? "\n" : "\r";
        else s += kPieces[piece(rng)];
    }
    return s;
}

bool AllZipChars(const std::string& s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
}

void CheckResult(const Lines& input, const TransferResult& r)
{
    EXPECT_EQ(r.empty, CompactLines(input).empty());
    if (r.empty) {
        EXPECT_TRUE(r.memo.empty());
        EXPECT_TRUE(r.zip.empty() && r.add1.empty() && r.add2.empty() && r.custo1.empty() && r.tel.empty());
        return;
    }
    ASSERT_EQ(r.memo.size(), 7u);
    std::size_t longest = 0;
    for (const auto& l : input) longest = std::max(longest, l.size());
    for (const auto& l : r.memo) EXPECT_LE(l.size(), longest);
    // A postal code is always eight half-width digits or hyphens.
    if (!r.zip.empty()) {
        EXPECT_EQ(r.zip.size(), 8u);
        EXPECT_TRUE(AllZipChars(r.zip)) << r.zip;
    }
    // The second address line and the name are lines of the paste area.
    const auto isMemoLine = [&](const std::string& field) {
        return field.empty() || std::any_of(r.memo.begin(), r.memo.end(),
                                            [&](const std::string& l) { return Trim(l) == field; });
    };
    EXPECT_TRUE(isMemoLine(r.add2)) << r.add2;
    EXPECT_TRUE(isMemoLine(r.custo1)) << r.custo1;
    EXPECT_TRUE(r.add2.empty() || !r.add1.empty());
}

}  // namespace

TEST(TransferRandom, RandomLines)
{
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<int> lines(0, 20);
    for (int round = 0; round < 1500; ++round) {
        Lines input;
        for (int n = lines(rng); n > 0; --n) input.push_back(RandomText(rng, 30, false));
        SCOPED_TRACE("round " + std::to_string(round));
        CheckResult(input, TransferText(input));
        if (::testing::Test::HasFailure()) break;
    }
}

TEST(TransferRandom, RandomPastedText)
{
    std::mt19937 rng(7122026);
    for (int round = 0; round < 2000; ++round) {
        const std::string text = RandomText(rng, 120, true);
        const Lines input = SplitMemoLines(text);
        for (const auto& l : input) {
            EXPECT_EQ(l.find_first_of(std::string_view("\r\n\0", 3)), std::string::npos);
        }
        SCOPED_TRACE("round " + std::to_string(round));
        const TransferResult r = TransferText(input);
        CheckResult(input, r);
        // What the paste area shows splits back into the same lines.
        EXPECT_EQ(SplitMemoLines(JoinMemoLines(r.memo)), r.memo);
        if (::testing::Test::HasFailure()) break;
    }
}

TEST(TransferRandom, LongLinesAreCutSafely)
{
    std::mt19937 rng(42);
    for (int round = 0; round < 300; ++round) {
        std::string line = "123-4567";
        line += RandomText(rng, 200, false);
        const Lines out = SplitZipLines({line, "", "", "", "", "", ""});
        ASSERT_EQ(out.size(), 7u);
        // Whatever moved is at most 80 bytes and starts where the code ended.
        for (std::size_t k = 1; k < 7; ++k) EXPECT_LE(out[k].size(), 80u);
        if (!out[1].empty()) {
            EXPECT_EQ(out[0], "123-4567");
            EXPECT_EQ(Trim(line).compare(8, out[1].size(), out[1]), 0);
        }
    }
}
