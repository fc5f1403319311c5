// The ten sender slots on the window: tab changes load, the save button stores,
// a missing slot leaves the fields, and the print check box colours the fields.
#include "app_test_util.h"

#include <QCheckBox>
#include <QTabBar>
#include <QToolButton>

#include <unistd.h>

using namespace hoxa;
using namespace hoxa::apptest;

namespace {

class Slots : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        WriteSlot0("100-0001\r\n東京都千代田区\r\n丸の内１－１\r\nニボラ商店\r\n03-1111-2222\r\n");
        Open();
        tabs = C<QTabBar>("PageControl_My");
    }
    std::string Sender() const
    {
        std::string s;
        for (const char* n : {"Edit_MyZip", "Edit_MyADD1", "Edit_MyADD2", "Edit_My", "Edit_MyTEL"})
            s += E(n)->Text() + "|";
        return s;
    }
    QTabBar* tabs = nullptr;
};

}  // namespace

TEST_F(Slots, TenTabsAndTheFirstSlotAtStart)
{
    ASSERT_EQ(tabs->count(), 10);
    EXPECT_EQ(FromQString(tabs->tabText(0)), "依頼主1");
    EXPECT_EQ(FromQString(tabs->tabText(9)), "依頼主10");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(Sender(), "100-0001|東京都千代田区|丸の内１－１|ニボラ商店|03-1111-2222|");
}

TEST_F(Slots, NeverSavedTabReportsAndKeepsTheSenderThenSaveCopiesIt)
{
    tabs->setCurrentIndex(2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, BoxKind::Error);
    EXPECT_EQ(boxes[0].text, "File not found.");
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_EQ(Sender(), "100-0001|東京都千代田区|丸の内１－１|ニボラ商店|03-1111-2222|");

    E("Edit_My")->SetText("別の店");
    E("Edit_MyTEL")->clear();
    answers = {true};
    C<QToolButton>("BitBtn_My")->click();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].text, "ご依頼主を登録しますか?");
    EXPECT_EQ(boxes[2].kind, BoxKind::Notice);
    EXPECT_EQ(boxes[2].text, "ご依頼主を登録しました");
    EXPECT_EQ(ReadFile("my2.txt"), "100-0001\r\n東京都千代田区\r\n丸の内１－１\r\n別の店\r\n\r\n");
    EXPECT_EQ(Focus(), E("Edit_MyZip"));

    tabs->setCurrentIndex(0);
    EXPECT_EQ(E("Edit_My")->Text(), "ニボラ商店");
    tabs->setCurrentIndex(2);
    EXPECT_EQ(E("Edit_My")->Text(), "別の店");
    EXPECT_EQ(E("Edit_MyTEL")->Text(), "");
    EXPECT_EQ(boxes.size(), 3u);
}

TEST_F(Slots, AnsweringNoWritesNothingAndFocusesThePostalCode)
{
    tabs->setCurrentIndex(4);
    boxes.clear();
    E("Edit_G1")->setFocus();
    answers = {false};
    C<QToolButton>("BitBtn_My")->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(Exists("my4.txt"));
    EXPECT_EQ(Focus(), E("Edit_MyZip"));
}

TEST_F(Slots, ShortLfAndJunkFilesLoad)
{
    WriteFile("my1.txt", "111-2222\nA町\nB丁目");  // three lines, LF, no final end
    WriteFile("my3.txt", std::string("\x01\x02\r\x81\r\n\xFF\xFE\r\n\r\n\r\nname\r\ntel\r\nextra\r\n", 30));
    tabs->setCurrentIndex(1);
    EXPECT_EQ(Sender(), "111-2222|A町|B丁目|||");
    tabs->setCurrentIndex(3);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(E("Edit_MyTEL")->Text(), "name");  // line 5; the sixth and later are ignored
    EXPECT_EQ(E("Edit_My")->Text(), "");
}

TEST_F(Slots, AllEmptySaveWritesFiveEmptyLines)
{
    for (const char* n : {"Edit_MyZip", "Edit_MyADD1", "Edit_MyADD2", "Edit_My", "Edit_MyTEL"}) E(n)->clear();
    answers = {true};
    C<QToolButton>("BitBtn_My")->click();
    EXPECT_EQ(ReadFile("my0.txt"), "\r\n\r\n\r\n\r\n\r\n");
}

TEST_F(Slots, FailedSaveKeepsTheOldFileAndShowsTheError)
{
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    ASSERT_TRUE(QFile::setPermissions(QDir::currentPath(), QFile::ReadOwner | QFile::ExeOwner));
    E("Edit_My")->SetText("変更");
    answers = {true};
    C<QToolButton>("BitBtn_My")->click();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].kind, BoxKind::Error);
    EXPECT_EQ(ReadFile("my0.txt"), "100-0001\r\n東京都千代田区\r\n丸の内１－１\r\nニボラ商店\r\n03-1111-2222\r\n");
}

TEST_F(Slots, FailedSaveIntoADirectoryNameShowsTheError)
{
    // A folder where the slot file should be: the write fails even for root.
    ASSERT_TRUE(QDir::current().mkdir(QStringLiteral("my5.txt")));
    tabs->setCurrentIndex(5);  // reading a folder fails too
    boxes.clear();
    answers = {true};
    C<QToolButton>("BitBtn_My")->click();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].kind, BoxKind::Error);
    EXPECT_TRUE(QFileInfo(Path("my5.txt")).isDir());
}

TEST_F(Slots, PrintCheckBoxGreysTheSenderFields)
{
    auto* check = C<QCheckBox>("CheckBox_My");
    const QColor window = E("Edit_My")->palette().color(QPalette::Base);
    check->click();
    EXPECT_FALSE(check->isChecked());
    for (const char* n : {"Edit_MyZip", "Edit_MyADD1", "Edit_MyADD2", "Edit_My", "Edit_MyTEL"})
        EXPECT_EQ(E(n)->palette().color(QPalette::Base), QColor(128, 128, 128)) << n;
    EXPECT_FALSE(E("Edit_My")->isReadOnly());
    check->click();
    EXPECT_EQ(E("Edit_MyTEL")->palette().color(QPalette::Base), window);
}
