// The postal-code fill of the main window: a code the user types or pastes fills
// an empty first address line; texts the program sets never do; missing or
// damaged data is reported once.
#include "app_test_util.h"

#include "transfer/PostalCodes.h"

#include <QClipboard>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QToolButton>

using namespace hoxa;
using namespace hoxa::apptest;

namespace {

class PostalFill : public MainWindowTest {
protected:
    void SetUp() override
    {
        UsePostalDataFile(HOXA_SOURCE_DIR "/data/postal-codes.dat");
        MainWindowTest::SetUp();
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        UsePostalDataFile({});
    }
    // Replaces the field's text by typing, as the user does.
    void Retype(TCpEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        Key(Qt::Key_Delete);
        Type(edit, text);
    }
};

}  // namespace

TEST_F(PostalFill, CompletedCodeFillsTheEmptyAddressAndShowsWhatItFound)
{
    WriteSlot0();
    Open();
    EXPECT_FALSE(PostalCodesLoaded());  // nothing read at start
    TCpEdit* zip = E("Edit_Zip");
    TCpEdit* add1 = E("Edit_Add1");

    Type(zip, QStringLiteral("100-000"));
    EXPECT_EQ(add1->Text(), "");
    EXPECT_EQ(form->Guidance(), "お届け先の郵便番号を入力して下さい");
    Type(zip, QStringLiteral("1"));
    EXPECT_EQ(add1->Text(), "東京都千代田区千代田");
    EXPECT_EQ(form->Guidance(), "〒100-0001 東京都千代田区千代田");

    // The address is there now: left alone, the found one shown to compare.
    Key(Qt::Key_Backspace);
    Type(zip, QStringLiteral("5"));
    EXPECT_EQ(add1->Text(), "東京都千代田区千代田");
    EXPECT_EQ(form->Guidance(), "〒100-0005 東京都千代田区丸の内");

    Retype(zip, QStringLiteral("999-9999"));
    EXPECT_EQ(form->Guidance(), "〒999-9999 は郵便番号データにありません");
    EXPECT_EQ(add1->Text(), "東京都千代田区千代田");

    // Full-width digits from the input method, after the half-width conversion;
    // a pasted code the same.
    add1->clear();
    Retype(zip, QString());
    Commit(zip, QStringLiteral(u"４５２０９６１"));
    EXPECT_EQ(zip->Text(), "4520961");
    EXPECT_EQ(add1->Text(), "愛知県清須市春日");
    EXPECT_EQ(form->Guidance(), "〒452-0961 愛知県清須市春日");
    add1->clear();
    zip->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("530-0001"));
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(add1->Text(), "大阪府大阪市北区梅田");
    // Other writings of a code fill too, and are written as the waybill prints them.
    for (const QString& pasted : {QStringLiteral(u"〒100ー0001"), QStringLiteral(u"100\u20130001"),
                                  QStringLiteral(u"100\u00A00001"), QStringLiteral(u" 100 0001")}) {
        add1->clear();
        zip->selectAll();
        QApplication::clipboard()->setText(pasted);
        Key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(zip->Text(), "100-0001") << pasted.toStdString();
        EXPECT_EQ(add1->Text(), "東京都千代田区千代田") << pasted.toStdString();
    }

    // The sender: its code fills its first address line.
    TCpEdit* myAdd1 = E("Edit_MyADD1");
    Retype(E("Edit_MyZip"), QStringLiteral("9071801"));
    EXPECT_EQ(myAdd1->Text(), "沖縄県八重山郡与那国町与那国");
    EXPECT_EQ(form->Guidance(), "〒907-1801 沖縄県八重山郡与那国町与那国");
    EXPECT_EQ(add1->Text(), "東京都千代田区千代田");
}

TEST_F(PostalFill, TextsTheProgramSetsNeverFill)
{
    WriteFile("hoxa_NIVORA.ini", "[hx_NIVORAprn]\r\nE_ZIP=１００－０００１\r\nE_AD1=\r\n");
    WriteSlot0("452-0961\r\n\r\n\r\n依頼主\r\n\r\n");
    Open();
    EXPECT_EQ(E("Edit_Zip")->Text(), "100-0001");
    EXPECT_EQ(E("Edit_Add1")->Text(), "");
    EXPECT_EQ(E("Edit_MyZip")->Text(), "452-0961");
    EXPECT_EQ(E("Edit_MyADD1")->Text(), "");
    EXPECT_FALSE(PostalCodesLoaded());

    // A sender slot, the transfer, a text set directly.
    WriteFile("my1.txt", "530-0001\r\n\r\n\r\n依頼主２\r\n\r\n");
    C<QTabBar>("PageControl_My")->setCurrentIndex(1);
    EXPECT_EQ(E("Edit_MyZip")->Text(), "530-0001");
    E("Edit_Zip")->SetText("060-0000");
    EXPECT_FALSE(PostalCodesLoaded());
    // The transfer fills nothing either (its check may read the data to compare
    // postal code and address).
    C<QPlainTextEdit>("Memo1")->setPlainText(ToQString("〒９０７－１８０１\n山田太郎 様\n"));
    C<QToolButton>("BitBtn_1")->click();
    EXPECT_EQ(E("Edit_Zip")->Text(), "907-1801");
    EXPECT_EQ(E("Edit_Add1")->Text(), "");
    EXPECT_EQ(E("Edit_MyADD1")->Text(), "");
    EXPECT_EQ(form->Guidance().find("〒907-1801 "), std::string::npos);
}

TEST_F(PostalFill, DamagedDataIsReportedOnceAndChangesNothingElse)
{
    WriteFile("broken.dat", "HOXA-POSTAL 1\nrecords 1\n");
    UsePostalDataFile(Path("broken.dat").toStdString());
    WriteSlot0();
    Open();
    Type(E("Edit_Zip"), QStringLiteral("1000001"));
    EXPECT_EQ(form->Guidance(), "郵便番号データ(postal-codes.dat)が壊れているため、住所の自動入力はできません");
    EXPECT_EQ(E("Edit_Add1")->Text(), "");

    E("Edit_MyZip")->setFocus();
    Type(E("Edit_MyZip"), QStringLiteral("100-0001"));
    EXPECT_EQ(form->Guidance(), "ご依頼主の郵便番号を入力して下さい");
    EXPECT_EQ(E("Edit_MyADD1")->Text(), "");
    EXPECT_EQ(E("Edit_MyZip")->Text(), "100-0001");
}

TEST_F(PostalFill, CheckAfterTransferComparesCodeAndAddressThroughTheData)
{
    WriteSlot0();
    Open();
    auto transfer = [&](const char* paste) {
        C<QPlainTextEdit>("Memo1")->setPlainText(ToQString(paste));
        C<QToolButton>("BitBtn_1")->click();
        const auto& zip = form->CheckMarks().Reasons(DestField::Zip);
        return std::find(zip.begin(), zip.end(), check_reason::kZipAddress) != zip.end();
    };
    EXPECT_TRUE(transfer("〒100-0001\n大阪府大阪市北区梅田1-1\n山田太郎\n03-1234-5678\n"));
    EXPECT_FALSE(transfer("〒100-0001\n東京都千代田区千代田1-1\n山田太郎\n03-1234-5678\n"));
}
