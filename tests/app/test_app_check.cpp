// The check after a transfer on the main window: a doubtful field is marked,
// its mark goes when the user edits it, and F11 asks first while marks remain.
#include "app_test_util.h"

#include <QPlainTextEdit>
#include <QToolButton>

using namespace hoxa;
using namespace hoxa::apptest;

namespace {

class CheckMarks : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        WriteSlot0();
        Open();
    }
    bool Marked(const char* name) const
    {
        TCpEdit* e = E(name);
        const bool filled = e->palette().color(QPalette::Base) != QApplication::palette(e).color(QPalette::Base);
        EXPECT_EQ(filled, !e->toolTip().isEmpty()) << name;
        EXPECT_EQ(e->toolTip(), e->accessibleDescription()) << name;
        return filled;
    }
};

}  // namespace

TEST_F(CheckMarks, TransferMarksEditClearsF11AsksFirst)
{
    // The heading's brackets are taken for the name, the name line is lost.
    C<QPlainTextEdit>("Memo1")->setPlainText(
        Q("【お届け先】\n〒150-0001\n東京都渋谷区神宮前9-8-7\n架空 花子 様\n03-0000-1234\n"));
    C<QToolButton>("BitBtn_1")->click();
    ASSERT_EQ(E("Edit_Custo1")->Text(), "【】");
    EXPECT_TRUE(Marked("Edit_Custo1"));
    for (const char* other : {"Edit_Zip", "Edit_Add1", "Edit_Add2", "Edit_tel"}) EXPECT_FALSE(Marked(other));
    const std::string tip = FromQString(E("Edit_Custo1")->toolTip());
    EXPECT_NE(tip.find(check_reason::kNameSign), std::string::npos) << ToQString(tip).toStdString();
    EXPECT_EQ(form->Guidance(), form->CheckMarks().FirstReason());
    EXPECT_EQ(Focus(), E("Edit_Zip"));

    // F11 while the mark remains: No (the default) focuses the marked field and
    // prints nothing; the print question is not asked.
    Key(Qt::Key_F11);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, BoxKind::QuestionDefaultNo);
    EXPECT_EQ(boxes[0].text, "確認が必要な欄があります。このまま印刷しますか?");
    EXPECT_EQ(Focus(), E("Edit_Custo1"));

    // Editing the field takes its mark away; F11 then goes straight to the print
    // question (answered No here).
    E("Edit_Custo1")->selectAll();
    Type(E("Edit_Custo1"), Q("架空 花子"));
    EXPECT_FALSE(Marked("Edit_Custo1"));
    boxes.clear();
    Key(Qt::Key_F11);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "印刷しますか?");

    // A new transfer marks again; clearing the destination takes every mark away.
    C<QPlainTextEdit>("Memo1")->setPlainText(Q("〒1500001\n東京都渋谷区神宮前9-8-7\n架空 花子\n03-0000-1234\n"));
    C<QToolButton>("BitBtn_1")->click();
    EXPECT_TRUE(Marked("Edit_Add1"));
    EXPECT_FALSE(Marked("Edit_Custo1"));
    answers = {true};
    C<QToolButton>("BitBtn_CLS")->click();
    EXPECT_FALSE(form->CheckMarks().AnyMarked());
    EXPECT_FALSE(Marked("Edit_Add1"));
}
