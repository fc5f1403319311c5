// The check after a transfer: its rules on short cases, and how well it tells
// the transfers that need a correction from those that are right on two corpora
// of pasted order mails with a clerk's reading of each.
#include "transfer/TransferCheck.h"

#include "transfer/HalfWidth.h"
#include "transfer/corpus.h"

#include <cstdio>
#include <map>

using namespace hoxa;
using namespace hoxa::corpus;

namespace {

// How a clerk compares a field with what should be there: width and blanks do
// not matter, nor the hyphens and brackets of a telephone number.
std::string Plain(const std::string& s, bool tel = false)
{
    std::string out;
    for (const char c : ToHalfWidth(s)) {
        if (static_cast<unsigned char>(c) <= 0x20) continue;
        if (tel && (c == '-' || c == '(' || c == ')')) continue;
        out.push_back(c);
    }
    return out;
}

struct Rates {
    int wrong = 0, wrongMarked = 0, right = 0, rightMarked = 0;
    double Hit() const { return wrong ? 100.0 * wrongMarked / wrong : 100.0; }
    double FalseAlarm() const { return right ? 100.0 * rightMarked / right : 0.0; }
};

const char* const kFieldNames[] = {"zip", "add1", "add2", "name", "tel"};

// Runs the transfer and the check on every block; `readings` are the clerk's.
Rates Measure(const std::vector<Block>& blocks, const std::map<std::string, Block>& readings, const char* corpus)
{
    Rates rates;
    for (const auto& b : blocks) {
        if (b.refused) continue;
        const auto it = readings.find(b.title);
        if (it == readings.end()) {
            ADD_FAILURE() << corpus << ": no reading for" << b.title;
            continue;
        }
        const Block& clerk = it->second;
        const TransferResult r = TransferText(b.input);
        std::string wrongFields;
        if (Plain(r.zip) != Plain(clerk.zip)) wrongFields += " zip";
        if (Plain(r.add1 + r.add2) != Plain(clerk.add1 + clerk.add2)) wrongFields += " address";
        if (Plain(r.custo1) != Plain(clerk.custo1)) wrongFields += " name";
        if (Plain(r.tel, true) != Plain(clerk.tel, true)) wrongFields += " tel";
        const CheckResult c = CheckTransfer(b.input, {r.zip, r.add1, r.add2, r.custo1, r.tel});
        const bool wrong = !wrongFields.empty(), marked = c.AnyMarked();
        (wrong ? rates.wrong : rates.right)++;
        (wrong ? rates.wrongMarked : rates.rightMarked) += marked;
        if (wrong != marked || std::getenv("HOXA_CHECK_LIST")) {
            std::string why;
            for (std::size_t f = 0; f < kDestFields; ++f)
                for (const auto& reason : c.reasons[f]) why += std::string(" ") + kFieldNames[f] + ":" + Utf8(reason);
            std::printf("%s %s line %d:%s\n   wrong:%s\n   marks:%s\n   got: %s | %s | %s | %s | %s\n",
                        corpus, wrong ? (marked ? "hit" : "MISSED") : (marked ? "FALSE ALARM" : "ok"), b.line,
                        b.title.c_str(), wrongFields.c_str(), why.c_str(), Utf8(r.zip).c_str(), Utf8(r.add1).c_str(),
                        Utf8(r.add2).c_str(), Utf8(r.custo1).c_str(), Utf8(r.tel).c_str());
        }
    }
    std::printf("%s: %d transfers need a correction, %d marked (%.1f %%); %d are right, %d marked (%.1f %%)\n",
                corpus, rates.wrong, rates.wrongMarked, rates.Hit(), rates.right, rates.rightMarked,
                rates.FalseAlarm());
    return rates;
}

std::map<std::string, Block> ByTitle(const std::vector<Block>& blocks)
{
    std::map<std::string, Block> out;
    for (const auto& b : blocks) out[b.title] = b;
    return out;
}

}  // namespace

TEST(TransferCheckCorpus, OrderMailsMarkTheTransfersThatNeedACorrection)
{
    const auto mails = Load(HOXA_TEST_DATA "/order-mails.txt");
    ASSERT_GE(mails.size(), 80u);
    const Rates r = Measure(mails, ByTitle(mails), "order-mails");
    EXPECT_GE(r.Hit(), 90.0);
    EXPECT_LE(r.FalseAlarm(), 5.0);
}

TEST(TransferCheckCorpus, DeliveryBlocksMarkTheTransfersThatNeedACorrection)
{
    const auto blocks = Load(HOXA_TEST_DATA "/delivery-blocks.txt");
    const Rates r = Measure(blocks, ByTitle(Load(HOXA_TEST_DATA "/delivery-blocks-clerk.txt")), "delivery-blocks");
    EXPECT_GE(r.Hit(), 90.0);
    EXPECT_LE(r.FalseAlarm(), 5.0);
}
