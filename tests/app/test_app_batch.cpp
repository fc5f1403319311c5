// The batch window "一括印刷" through the main window: opened by F9 and its
// chooser, by a dropped file, with its size kept; the mapping step kept per
// header; the list's marks, filter, in-place edit with its re-check, checks and
// printed rows; what 印刷 hands to the main window's print; F10 on a row.
#include "print/registration_test_util.h"

#include "app/BatchModel.h"
#include "app/BatchUnit.h"
#include "app/ColumnMappingUnit.h"
#include "print/WaybillPreviewUnit.h"
#include "transfer/PostalCodes.h"

#include <QFileDialog>
#include <QMimeData>
#include <QTableView>

using namespace hoxa;
using namespace hoxa::regtest;

namespace {

// Three orders of a Rakuten export: the second has no telephone, the third two items.
constexpr char kRakuten[] =
    "注文番号,送付先郵便番号1,送付先郵便番号2,送付先住所都道府県,送付先住所郡市区,送付先住所それ以降の住所,"
    "送付先姓,送付先名,送付先電話番号1,送付先電話番号2,送付先電話番号3,商品名,個数\r\n"
    "A-1,107,0061,東京都,港区,北青山9-8-7,架空,一郎,03,9999,0001,石けん,2\r\n"
    "A-2,150,0041,東京都,渋谷区,神南8-8-8,見本,花子,,,,木のスプーン,1\r\n"
    "A-3,100,0001,東京都,千代田区,千代田1-1,試験,次郎,090,1111,2222,小皿,1\r\n"
    "A-3,100,0001,東京都,千代田区,千代田1-1,試験,次郎,090,1111,2222,はちみつ,3\r\n";

using Col = TBatchModel::Column;

class Batch : public RegistrationTest {
protected:
    void SetUp() override
    {
        RegistrationTest::SetUp();
        UsePostalDataFile(HOXA_SOURCE_DIR "/data/postal-codes.dat");
        spooler->Add("EPSON VP-D500");
    }
    void TearDown() override
    {
        RegistrationTest::TearDown();
        UsePostalDataFile({});
    }

    // Runs `drive` in the batch window once it lists a file, then closes it.
    void InBatch(std::function<void(TForm_Batch*)> drive)
    {
        done = false;
        WhenModalShows<TForm_Batch>([this, drive](TForm_Batch* b) {
            for (int i = 0; i < 300 && b->Model().Size() == 0; ++i) QTest::qWait(10);
            drive(b);
            b->close();
            done = true;
        });
    }
    void WaitDone()
    {
        for (int i = 0; i < 1000 && !done; ++i) QTest::qWait(10);
        EXPECT_TRUE(done);
    }
    // A cell of the list as shown (under the filter).
    static QModelIndex Cell(TForm_Batch* b, int row, int column) { return b->List()->model()->index(row, column); }
    static std::string Text(TForm_Batch* b, int row, int column, int role = Qt::DisplayRole)
    {
        return FromQString(b->Model().index(row, column).data(role).toString());
    }

    bool done = false;
};

}  // namespace

TEST_F(Batch, OpensByF9ThroughTheChooserAndByADroppedFileAndKeepsItsSize)
{
    Start();
    WriteFile("orders.csv", kRakuten);
    auto* f9 = C<QToolButton>("SpeedButton_F9");
    EXPECT_EQ(FromQString(f9->text()), "一括印刷");
    EXPECT_TRUE(f9->isEnabled());
    EXPECT_EQ(f9->font().pixelSize(), 13);

    WhenModalShows<QFileDialog>([this](QFileDialog* d) {
        EXPECT_TRUE(d->nameFilters().front().contains(QStringLiteral("*.csv *.tsv *.txt")));
        d->selectFile(Path("orders.csv"));
        InBatch([](TForm_Batch* b) {
            EXPECT_EQ(FromQString(b->windowTitle()), "一括印刷");
            EXPECT_EQ(b->Model().Size(), 3u);
            b->resize(700, 500);
        });
        static_cast<QDialog*>(d)->accept();
    });
    QTest::keyClick(E("Edit_Zip"), Qt::Key_F9);
    WaitDone();
    EXPECT_NE(ReadFile("hoxa_NIVORA.ini").find("[hoxa_Batch]\r\nWidth=700\r\nHeight=500\r\n"), std::string::npos);

    // A file dropped on an entry field opens the window; the field takes no text.
    InBatch([](TForm_Batch* b) {
        EXPECT_EQ(b->size(), QSize(700, 500));
        EXPECT_EQ(b->Model().Size(), 3u);
    });
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(Path("orders.csv"))});
    mime.setText(Path("orders.csv"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(E("Edit_Add1"), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(E("Edit_Add1"), &drop);
    WaitDone();
    EXPECT_TRUE(E("Edit_Add1")->text().isEmpty());
}

TEST_F(Batch, MappingStepIsKeptPerHeader)
{
    Start();
    const std::string header = "受付,〒,住所,建物,氏名,TEL,品名\r\n";
    WriteFile("own.csv", header + "K1,1070061,東京都港区北青山9-8-7,架空ハイツ101,架空 一郎,0399990001,石けん\r\n");
    WhenModalShows<TForm_ColumnMapping>([](TForm_ColumnMapping* m) {
        auto* ok = m->findChild<QPushButton*>(QStringLiteral("BitBtn_OK"));
        EXPECT_FALSE(ok->isEnabled());
        const std::pair<OrderField, int> picks[] = {{OrderField::OrderId, 1}, {OrderField::Zip, 2}, {OrderField::Address, 3},
                                                    {OrderField::Building, 4}, {OrderField::Name, 5}, {OrderField::Tel, 6},
                                                    {OrderField::Item, 7}};
        for (const auto& [field, item] : picks) m->ColumnBox(field, 0)->setCurrentIndex(item);
        EXPECT_FALSE(m->ColumnBox(OrderField::Quantity, 1)->isEnabled());
        EXPECT_EQ(FromQString(m->findChild<QLabel*>(QStringLiteral("Label_Sample1"))->text()), "107-0061");
        EXPECT_TRUE(ok->isEnabled());
        ok->click();
    });
    InBatch([this](TForm_Batch* b) {
        EXPECT_EQ(Text(b, 0, Col::ColZip), "107-0061");
        EXPECT_EQ(Text(b, 0, Col::ColAdd2), "架空ハイツ101");
        EXPECT_EQ(Text(b, 0, Col::ColOrderId), "K1");
    });
    form->OpenBatch(Path("own.csv"));
    WaitDone();
    EXPECT_TRUE(Exists("hoxa_columns.ini"));

    // The next file of that shape opens directly.
    WriteFile("own2.csv", header + "K2,1500041,東京都渋谷区神南8-8-8,,見本 花子,0311112222,スプーン\r\n"
                                   "K3,1000001,東京都千代田区千代田1-1,,試験 次郎,09011112222,小皿\r\n");
    InBatch([](TForm_Batch* b) {
        EXPECT_EQ(QApplication::activeModalWidget(), b);
        EXPECT_EQ(b->Model().Size(), 2u);
    });
    form->OpenBatch(Path("own2.csv"));
    WaitDone();

    // A known export without a name column: the step opens with what its header gave.
    WriteFile("shop.csv", "注文番号,配送先氏名,配送先郵便番号,配送先都道府県,配送先住所,配送先電話番号,アイテム名,数量\r\n"
                          "S1,架空 一郎,1070061,東京都,港区北青山9-8-7,0399990001,石けん,2個\r\n");
    WhenModalShows<TForm_ColumnMapping>([](TForm_ColumnMapping* m) {
        EXPECT_EQ(m->ColumnBox(OrderField::Zip, 0)->currentIndex(), 3);
        EXPECT_FALSE(m->findChild<QPushButton*>(QStringLiteral("BitBtn_OK"))->isEnabled());
        const std::pair<OrderField, int> picks[] = {{OrderField::Name, 2}, {OrderField::Item, 7}};
        for (const auto& [field, item] : picks) m->ColumnBox(field, 0)->setCurrentIndex(item);
        m->ColumnBox(OrderField::Address, 1)->setCurrentIndex(5);
        m->findChild<QPushButton*>(QStringLiteral("BitBtn_OK"))->click();
    });
    InBatch([this](TForm_Batch* b) {
        EXPECT_EQ(Text(b, 0, Col::ColAdd1) + Text(b, 0, Col::ColName) + Text(b, 0, Col::ColG1),
                  "東京都港区北青山9-8-7架空 一郎石けん×2");
    });
    form->OpenBatch(Path("shop.csv"));
    WaitDone();
}

TEST_F(Batch, ListShowsMarksFiltersAndEditsWithTheMainWindowsRules)
{
    Start();
    form->SetBatchPrint({});
    WriteFile("orders.csv", kRakuten);
    InBatch([this](TForm_Batch* b) {
        TBatchModel& m = b->Model();
        ASSERT_EQ(m.Size(), 3u);
        EXPECT_EQ(Text(b, 2, Col::ColG1), "小皿");
        EXPECT_EQ(Text(b, 2, Col::ColG2), "はちみつ×3");
        EXPECT_EQ(m.headerData(2, Qt::Vertical).toString(), QStringLiteral("4"));  // the file's line
        // The second order is marked: its reason in the marks column, as tooltip, amber.
        EXPECT_EQ(Text(b, 1, Col::ColMarks), "電話番号がありません");
        EXPECT_EQ(Text(b, 1, Col::ColTel, Qt::ToolTipRole), "電話番号がありません");
        EXPECT_EQ(m.index(1, Col::ColTel).data(Qt::BackgroundRole).value<QColor>(), CheckMarkFill());
        EXPECT_FALSE(m.index(1, Col::ColName).data(Qt::BackgroundRole).isValid());
        EXPECT_EQ(Text(b, 0, Col::ColMarks), "");

        auto* filter = b->findChild<QCheckBox*>(QStringLiteral("CheckBox_MarkedOnly"));
        filter->click();
        QAbstractItemModel* shown = b->List()->model();
        ASSERT_EQ(shown->rowCount(), 1);
        // Typed in full width into the telephone cell, kept in half width; the
        // row is checked again and its mark goes, but it stays in sight.
        b->List()->setCurrentIndex(Cell(b, 0, Col::ColTel));
        b->List()->edit(Cell(b, 0, Col::ColTel));
        auto* editor = b->List()->viewport()->findChild<TCpEdit*>();
        ASSERT_TRUE(editor);
        Type(editor, QStringLiteral(u"０３－１２３４－５６７８"));
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();  // the view takes the edit once the key is done
        EXPECT_EQ(Text(b, 1, Col::ColTel), "03-1234-5678");
        EXPECT_FALSE(m.Batch().Row(1).Marked());
        EXPECT_EQ(shown->rowCount(), 1);
        filter->click();
        filter->click();
        EXPECT_EQ(shown->rowCount(), 0);
        filter->click();

        // The name field keeps its 80-byte limit.
        m.setData(m.index(0, Col::ColName), QString(50, QChar(u'山')));
        EXPECT_EQ(Text(b, 0, Col::ColName).size(), 80u);

        // Space turns the row's check over; a printed row shows 印刷済 and is unchecked.
        b->List()->setCurrentIndex(Cell(b, 2, Col::ColAdd1));
        QTest::keyClick(b->List(), Qt::Key_Space);
        EXPECT_FALSE(m.Checked(2));
        m.setData(m.index(0, Col::ColZip), true, TBatchModel::PrintedRole);
        EXPECT_EQ(Text(b, 0, Col::ColPrinted), "印刷済");
        EXPECT_FALSE(m.Checked(0));
        EXPECT_EQ(m.CheckedCount(), 1u);
        // Without the main window's print there is nothing 印刷 could do.
        EXPECT_FALSE(b->findChild<QPushButton*>(QStringLiteral("BitBtn_Print"))->isEnabled());
    });
    form->OpenBatch(Path("orders.csv"));
    WaitDone();
}

TEST_F(Batch, PrintHandsTheCheckedRowsToTheMainWindowsPrintInListOrder)
{
    WriteFile("my2.txt", "105-0011\r\n東京都港区芝公園1-1\r\n\r\n見本商店\r\n03-0000-0000\r\n");
    Start();
    WriteFile("orders.csv", kRakuten);
    C<QTabBar>("PageControl_My")->setCurrentIndex(2);
    C<QLabel>("Label_Prn_Top")->setText(QStringLiteral("12"));
    std::vector<BatchWaybill> handed;
    bool accept = false;
    form->SetBatchPrint([&](QWidget*, const std::vector<BatchWaybill>& w, bool askFinal) {
        handed = w;
        return accept && askFinal ? BatchPrintResult::Sent : BatchPrintResult::NotSent;
    });
    InBatch([&](TForm_Batch* b) {
        auto* print = b->findChild<QPushButton*>(QStringLiteral("BitBtn_Print"));
        b->findChild<QCheckBox*>(QStringLiteral("CheckBox_Date_1"))->setChecked(false);
        b->Model().SetChecked(0, false);
        print->click();  // refused: nothing printed
        ASSERT_EQ(handed.size(), 2u);
        EXPECT_FALSE(b->Model().Printed(1));
        accept = true;
        QTest::keyClick(b->List(), Qt::Key_F11);
        ASSERT_EQ(handed.size(), 2u);
        EXPECT_EQ(handed[0].row, 1u);
        EXPECT_EQ(handed[1].row, 2u);
        EXPECT_EQ(handed[0].ref.orderId, "A-2");
        EXPECT_EQ(handed[0].ref.market, Marketplace::Rakuten);
        EXPECT_EQ(handed[0].marks.Reasons(DestField::Tel), std::vector<std::string>{"電話番号がありません"});
        EXPECT_FALSE(handed[1].marks.AnyMarked() || !handed[1].otherMarks.empty());
        const WaybillRecord& r = handed[1].record;
        EXPECT_EQ(r.custo1, "試験 次郎");
        EXPECT_EQ(r.my, "見本商店");
        EXPECT_EQ(r.prnTop, "12");
        EXPECT_FALSE(r.printDate);
        EXPECT_TRUE(b->Model().Printed(1) && b->Model().Printed(2));
        EXPECT_EQ(b->Model().CheckedCount(), 0u);
        EXPECT_FALSE(print->isEnabled());
    });
    form->OpenBatch(Path("orders.csv"));
    WaitDone();
}

TEST_F(Batch, F10PreviewsTheSelectedRowAsTheSingleWaybill)
{
    Start();
    WriteFile("orders.csv", kRakuten);
    bool previewed = false;
    InBatch([&](TForm_Batch* b) {
        b->List()->setCurrentIndex(Cell(b, 2, Col::ColName));
        WhenModalShows<TForm_WaybillPreview>([&](TForm_WaybillPreview* p) {
            std::vector<std::string> texts;
            for (const WaybillItem& item : p->Page().items) texts.push_back(item.text);
            EXPECT_NE(std::find(texts.begin(), texts.end(), "試験 次郎"), texts.end());
            EXPECT_NE(std::find(texts.begin(), texts.end(), "はちみつ×3"), texts.end());
            previewed = true;
            p->findChild<QPushButton*>(QStringLiteral("BitBtn_Print"))->click();
        });
        QTest::keyClick(b->List(), Qt::Key_F10);
        EXPECT_TRUE(b->Model().Printed(2) && !b->Model().Printed(1));
    });
    form->OpenBatch(Path("orders.csv"));
    WaitDone();
    EXPECT_TRUE(previewed);
    EXPECT_TRUE(boxes.empty() && spooler->jobs.size() == 1) << "its 印刷 asks no count";
}
