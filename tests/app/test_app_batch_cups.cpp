// A batch of three waybills through a private CUPS server (run by
// with_cupsd.sh): one job on the feed's registered printer, read back page by
// page: list order, the feed's paper on every page, every item where the
// single print puts it.
#include "print/registration_test_util.h"

#include "app/BatchModel.h"
#include "print/CupsSpooler.h"
#include "print/TPrinter.h"
#include "print/cups_jobs.h"
#include "print/layout_readback.h"

#include <QPushButton>

using namespace hoxa;
using namespace hoxa::regtest;

namespace {

// Names in one column: the read-back takes a space as the end of a word.
constexpr char kOrders[] =
    "注文番号,送付先郵便番号1,送付先郵便番号2,送付先住所都道府県,送付先住所郡市区,送付先住所それ以降の住所,"
    "送付先姓,送付先名,送付先電話番号1,送付先電話番号2,送付先電話番号3,商品名,個数\r\n"
    "B-1,107,0061,東京都,港区,北青山9-8-7,架空一郎,,03,9999,0001,石けん,2\r\n"
    "B-2,150,0041,東京都,渋谷区,神南8-8-8,見本花子,,03,1111,2222,木のスプーン,1\r\n"
    "B-3,100,0001,東京都,千代田区,千代田1-1,試験次郎,,090,1111,2222,小皿,1\r\n";

using BatchCups = apptest::MainWindowTest;

}  // namespace

TEST_F(BatchCups, ThreeWaybillsAreOneJobOfThreePagesOnTheFeedsPaper)
{
    const char* queue = std::getenv("HOXA_CUPS_PDF");
    if (!queue) GTEST_SKIP() << "run through tests/print/with_cupsd.sh";
    WriteFile("hoxa_q310.ini", std::string("[手差し]\r\nPrnName=") + queue +
                                   "\r\nPrnNoIndex=1\r\nhoxPrn_Top=10\r\nhoxPrn_Left=-5\r\nhoxPrn_Paper=A4\r\n");
    WriteFile("orders.csv", kOrders);
    CreateVpPrinter(std::make_shared<CupsSpooler>());
    WriteSlot0();
    Open();
    std::vector<WaybillRecord> records;
    WhenModalShows<TForm_Batch>([&](TForm_Batch* b) {
        for (int i = 0; i < 300 && b->Model().Size() == 0; ++i) QTest::qWait(10);
        answers = {true};
        b->findChild<QPushButton*>(QStringLiteral("BitBtn_Print"))->click();
        for (std::size_t r = 0; r < b->Model().Size(); ++r) records.push_back(b->RecordOf(r));
        b->close();
    });
    form->OpenBatch(Path("orders.csv"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "3 件の送り状を印刷しますか?");
    ASSERT_EQ(records.size(), 3u);
    const PageGeometry area = Printer().Page();
    const int dpi = std::stoi(records[0].dpix);

    const test::FinishedJob job = test::WaitForJob(queue);
    ASSERT_EQ(job.state, IPP_JSTATE_COMPLETED);
    QString error;
    const auto pages = test::ReadPdfWords(QString::fromLocal8Bit(std::getenv("HOXA_CUPS_OUT")) + u'/' +
                                              QString::fromLocal8Bit(queue) + QStringLiteral(".out"),
                                          &error);
    ASSERT_EQ(pages.size(), 3u) << error.toStdString();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(pages[i].width, 595.3, 1.0);  // A4, not the printer's Letter
        EXPECT_NEAR(pages[i].height, 841.9, 1.0);
        for (const auto& f :
             test::CompareWithPage(ComputeWaybillLayout(records[i]), pages[i], dpi, dpi, 1.0, area.left, area.top))
            ADD_FAILURE() << f;
    }
    DestroyVpPrinter();
}
