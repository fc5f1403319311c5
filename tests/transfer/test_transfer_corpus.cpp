// Delivery blocks shaped like those of real order e-mails (all names and places
// made up), each with the fields the transfer must give.  The file is UTF-8 and
// is turned into CP932 at load.
#include "transfer/corpus.h"

using namespace hoxa;
using namespace hoxa::corpus;

TEST(TransferCorpus, EveryBlockGivesItsFields)
{
    const auto blocks = Load(HOXA_TEST_DATA "/delivery-blocks.txt");
    ASSERT_GE(blocks.size(), 40u);
    for (const auto& b : blocks) {
        SCOPED_TRACE("block at line " + std::to_string(b.line) + ":" + b.title);
        const TransferResult r = TransferText(b.input);
        EXPECT_EQ(r.empty, b.refused);
        if (b.refused) continue;
        EXPECT_EQ(Utf8(r.zip), Utf8(b.zip)) << "zip";
        EXPECT_EQ(Utf8(r.add1), Utf8(b.add1)) << "add1";
        EXPECT_EQ(Utf8(r.add2), Utf8(b.add2)) << "add2";
        EXPECT_EQ(Utf8(r.custo1), Utf8(b.custo1)) << "name";
        EXPECT_EQ(Utf8(r.tel), Utf8(b.tel)) << "tel";
    }
}
