// The main window's life: the first start, restoring and saving the last
// entries, the exit question and a folder that cannot be written at exit.
#include "app_test_util.h"
#include "../base/test_profile_util.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QLabel>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>

#include <unistd.h>

using namespace hoxa;
using namespace hoxa::apptest;

namespace {

const char kFifteenKeys[] =
    "[hx_NIVORAprn]\r\n"
    "Addr_Font=1\r\n"
    "E_ZIP=\r\nE_AD1=\r\nE_AD2=\r\nE_CUS=\r\nE_TEL=\r\nE_G1=\r\nE_G2=\r\nE_G3=\r\n"
    "OP023My=\r\nOP023MyZip=\r\nOP023MyADD1=\r\nOP023MyADD2=\r\nOP023MyTEL=\r\n"
    "ComboBox_SEL=0\r\n";

}  // namespace

using FirstStart = MainWindowTest;

TEST_F(FirstStart, EmptyFolderShowsTheMissingSlotAndStartsEmpty)
{
    TForm_Main& w = Open();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, BoxKind::Error);
    EXPECT_EQ(boxes[0].text, "File not found.");

    EXPECT_EQ(FromQString(w.windowTitle()), "hoxa　送り状印刷　< ニボラ　> ver1.10");
    EXPECT_EQ(w.size(), QSize(677, 646));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_EQ(C<QLabel>("Label_CurrentDir")->text(), QDir::currentPath());
    for (const char* name : {"Edit_Zip", "Edit_Add1", "Edit_Add2", "Edit_Custo1", "Edit_tel", "Edit_MyZip",
                             "Edit_MyADD1", "Edit_MyADD2", "Edit_My", "Edit_MyTEL", "Edit_G1", "Edit_G2",
                             "Edit_G3", "Edit_de_date1", "Edit_de_date2", "Edit_de_date3"})
        EXPECT_TRUE(E(name)->text().isEmpty()) << name;
    EXPECT_EQ(C<QComboBox>("ComboBox_SEL")->currentIndex(), 0);
    EXPECT_EQ(C<QComboBox>("ComboBox_FontSize")->currentText(), QStringLiteral("11"));
    EXPECT_TRUE(C<QCheckBox>("CheckBox_My")->isChecked());
    EXPECT_TRUE(C<QCheckBox>("CheckBox_Date_1")->isChecked());
    EXPECT_EQ(C<QDateEdit>("DateTimePicker_1")->date(), QDate::currentDate());
    EXPECT_EQ(C<QStatusBar>("StatusBar1")->currentMessage(), QStringLiteral("  "));
    // The slot failure leaves the focus alone: no guidance yet.
    EXPECT_EQ(w.Guidance(), "");

    for (int i = 1; i <= 12; ++i) {
        auto* b = C<QToolButton>(QStringLiteral("SpeedButton_F%1").arg(i).toLatin1().constData());
        if (i == 2) {
            EXPECT_EQ(FromQString(b->text()), "中止");
        } else if (i == 8) {
            EXPECT_EQ(FromQString(b->text()), "履歴");
        } else if (i == 9) {
            EXPECT_EQ(FromQString(b->text()), "一括印刷");
        } else if (i == 10) {
            EXPECT_EQ(FromQString(b->text()), "プレビュー");
        } else if (i == 11) {
            EXPECT_EQ(FromQString(b->text()), "印刷");
        } else {
            EXPECT_EQ(b->text(), QStringLiteral("F%1").arg(i));
        }
        EXPECT_EQ(b->isEnabled(), i == 2 || (i >= 8 && i <= 11)) << i;
        EXPECT_EQ(b->geometry().size(), QSize(55, 26));
    }
    EXPECT_EQ(C<QToolButton>("SpeedButton_F5")->x(), 230);
    EXPECT_EQ(C<QToolButton>("SpeedButton_F9")->x(), 460);

    EXPECT_FALSE(Exists("hoxa_NIVORA.ini"));
    w.close();
    EXPECT_EQ(ReadFile("hoxa_NIVORA.ini"), kFifteenKeys);
    EXPECT_EQ(CountBoxes(BoxKind::Question), 0);  // closing asks nothing
}

TEST_F(FirstStart, RegionsStackToTheClientArea)
{
    WriteSlot0();
    TForm_Main& w = Open();
    int y = 0;
    for (auto [name, h] : std::initializer_list<std::pair<const char*, int>>{
             {"Panel3", 130}, {"Panel1", 157}, {"Panel2", 146}, {"Panel4", 139}, {"Panel_HelpMess", 30},
             {"Panel_Fnc", 28}, {"StatusBar1", 16}}) {
        const QRect g = C(name)->geometry();
        EXPECT_EQ(g, QRect(0, y, 677, h)) << name;
        y += h;
    }
    EXPECT_EQ(y, 646);
    EXPECT_EQ(w.font().pixelSize(), 16);
    // The start sequence ended in the postal code field with its guidance.
    EXPECT_EQ(Focus(), E("Edit_Zip"));
    EXPECT_EQ(w.Guidance(), "お届け先の郵便番号を入力して下さい");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FirstStart, AllTenSenderTabsAreInSightWithTheirCaptionsWhole)
{
    WriteSlot0();
    Open();
    auto* tabs = C<QTabBar>("PageControl_My");
    ASSERT_EQ(tabs->size(), QSize(440, 19));
    EXPECT_GE(tabs->font().pixelSize(), 10) << "a readable size";
    const QFontMetrics fm(tabs->font());
    for (int i = 0; i < tabs->count(); ++i) {
        const QRect r = tabs->tabRect(i);
        EXPECT_TRUE(tabs->rect().contains(r)) << i << " " << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
        EXPECT_LE(fm.horizontalAdvance(tabs->tabText(i)), r.width()) << i;
        EXPECT_LE(fm.height(), r.height()) << i;
    }
    for (const QToolButton* arrow : tabs->findChildren<QToolButton*>()) EXPECT_FALSE(arrow->isVisible());
}

TEST_F(FirstStart, DisabledF6LooksAsDisabledAsTheOtherKeys)
{
    WriteSlot0();
    Open();
    // The darkest pixel of a key's caption.
    auto darkest = [this](const char* name) {
        const QImage img = C(name)->grab().toImage();
        int dark = 255;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) dark = std::min(dark, qGray(img.pixel(x, y)));
        return dark;
    };
    ASSERT_FALSE(C("SpeedButton_F6")->isEnabled());
    ASSERT_FALSE(C("SpeedButton_F7")->isEnabled());
    EXPECT_GT(darkest("SpeedButton_F6"), 0) << "not drawn in black";
    EXPECT_NEAR(darkest("SpeedButton_F6"), darkest("SpeedButton_F7"), 8);
}

using RestoreSave = MainWindowTest;

TEST_F(RestoreSave, LastEntriesComeBackAndGoBackOut)
{
    WriteFile("hoxa_NIVORA.ini",
              "[hx_NIVORAprn]\r\n"
              "NIVORAprnno=0x2\r\n"
              "Addr_Font=7\r\n"
              "op023myzip=999-0000\r\n"
              "OP023My=旧依頼主\r\n"
              "E_ZIP=１２３－４５６７\r\n"
              "E_AD1=東京都千代田区千代田1-1  \r\n"
              "E_CUS=山田太郎\r\n"
              "E_TEL=０３－１２３４－５６７８\r\n"
              "E_G1=りんご\r\n"
              "ComboBox_SEL=5\r\n");
    WriteSlot0("100-0001\r\n東京都\r\n丸の内\r\nニボラ商店\r\n03-0000-0000\r\n");
    TForm_Main& w = Open();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(E("Edit_Zip")->Text(), "123-4567");
    EXPECT_EQ(E("Edit_Add1")->Text(), "東京都千代田区千代田1-1");
    EXPECT_EQ(E("Edit_Custo1")->Text(), "山田太郎");
    EXPECT_EQ(E("Edit_tel")->Text(), "03-1234-5678");
    EXPECT_EQ(E("Edit_G1")->Text(), "りんご");
    EXPECT_EQ(C<QComboBox>("ComboBox_FontSize")->currentIndex(), -1);
    EXPECT_EQ(C<QComboBox>("ComboBox_SEL")->currentIndex(), 0);
    // The first slot replaces the sender read from the settings file.
    EXPECT_EQ(E("Edit_MyZip")->Text(), "100-0001");
    EXPECT_EQ(E("Edit_My")->Text(), "ニボラ商店");

    E("Edit_G3")->SetText("みかん　１０ｋｇ");
    E("Edit_Add1")->SetText("大阪府大阪市北区");
    E("Edit_de_date1")->SetText("12");  // not kept
    w.close();
    EXPECT_EQ(ReadFile("hoxa_NIVORA.ini"),
              "[hx_NIVORAprn]\r\n"
              "NIVORAprnno=0x2\r\n"
              "Addr_Font=-1\r\n"
              "op023myzip=100-0001\r\n"
              "OP023My=ニボラ商店\r\n"
              "E_ZIP=123-4567\r\n"
              "E_AD1=大阪府大阪市北区\r\n"
              "E_CUS=山田太郎\r\n"
              "E_TEL=03-1234-5678\r\n"
              "E_G1=りんご\r\n"
              "ComboBox_SEL=0\r\n"
              "E_AD2=\r\n"
              "E_G2=\r\n"
              "E_G3=みかん　１０ｋｇ\r\n"
              "OP023MyADD1=東京都\r\n"
              "OP023MyADD2=丸の内\r\n"
              "OP023MyTEL=03-0000-0000\r\n");

    // The next start reads back what was written.
    form.reset();
    std::remove("my0.txt");
    boxes.clear();
    Open();
    EXPECT_EQ(E("Edit_G3")->Text(), "みかん　１０ｋｇ");
    EXPECT_EQ(E("Edit_My")->Text(), "ニボラ商店");  // from the settings file now
    EXPECT_EQ(C<QComboBox>("ComboBox_FontSize")->currentIndex(), -1);
}

TEST_F(RestoreSave, F2ThenNoKeepsRunningAndSavesNothing)
{
    WriteSlot0();
    TForm_Main& w = Open();
    E("Edit_G1")->setFocus();
    E("Edit_G1")->SetText("品物");
    answers = {false};
    Key(Qt::Key_F2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, BoxKind::Question);
    EXPECT_EQ(boxes[0].text, "終了しますか?");
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(Focus(), E("Edit_Zip"));
    EXPECT_FALSE(Exists("hoxa_NIVORA.ini"));

    // The F2 button, answered Yes, closes and saves.
    answers = {true};
    C<QToolButton>("SpeedButton_F2")->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_NE(ReadFile("hoxa_NIVORA.ini").find("E_G1=品物\r\n"), std::string::npos);
    // Closing once more writes nothing again.
    std::remove("hoxa_NIVORA.ini");
    form.reset();
    EXPECT_FALSE(Exists("hoxa_NIVORA.ini"));
}

TEST_F(RestoreSave, UnwritableFolderAtExitIsReportedAndTheWindowStillCloses)
{
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    WriteSlot0();
    TForm_Main& w = Open();
    ASSERT_TRUE(QFile::setPermissions(QDir::currentPath(), QFile::ReadOwner | QFile::ExeOwner));
    w.close();
    EXPECT_FALSE(w.isVisible());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, BoxKind::Error);
    EXPECT_NE(boxes[0].text.find("hoxa_NIVORA.ini に書き込めません"), std::string::npos) << boxes[0].text;
    EXPECT_FALSE(Exists("hoxa_NIVORA.ini"));
}

TEST_F(FirstStart, FieldsCarryTheirLimitsModesAndHiddenHelpers)
{
    WriteSlot0();
    Open();
    struct Want {
        const char* name;
        int maxBytes;
        bool ime;
    };
    for (const Want& f : {Want{"Edit_Zip", 16, false}, Want{"Edit_Add1", 0, true}, Want{"Edit_Add2", 0, true},
                          Want{"Edit_Custo1", 80, true}, Want{"Edit_tel", 0, false}, Want{"Edit_MyZip", 8, false},
                          Want{"Edit_MyADD1", 0, true}, Want{"Edit_MyADD2", 0, true}, Want{"Edit_My", 80, true},
                          Want{"Edit_MyTEL", 0, false}, Want{"Edit_de_date1", 2, false},
                          Want{"Edit_de_date2", 2, false}, Want{"Edit_de_date3", 2, true},
                          Want{"Edit_G1", 30, true}, Want{"Edit_G2", 30, true}, Want{"Edit_G3", 30, true}}) {
        TCpEdit* e = E(f.name);
        EXPECT_EQ(e->MaxBytes(), f.maxBytes) << f.name;
        // Each field asks for its mode when it gets the focus.
        e->setFocus();
        EXPECT_EQ(e->testAttribute(Qt::WA_InputMethodEnabled), f.ime) << f.name;
    }
    EXPECT_FALSE(C("DateTimePicker_1")->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(C<QDateEdit>("DateTimePicker_1")->displayFormat(), QStringLiteral("yyyy/MM/dd"));
    EXPECT_TRUE(C<QDateEdit>("DateTimePicker_1")->calendarPopup());

    for (const char* hidden : {"Label_PrinterIndex", "Label_CurrentDir", "Label_dpix", "Label_dpiy",
                               "ComboBox_FontSize", "Memo2", "SpeedButton_readMy", "SpeedButton_ZIP2",
                               "SpeedButton_TEL2"})
        EXPECT_FALSE(C(hidden)->isVisible()) << hidden;
    auto* feed = C<QComboBox>("ComboBox_SEL");
    ASSERT_EQ(feed->count(), 2);
    EXPECT_EQ(FromQString(feed->itemText(0)), "手差し");
    EXPECT_EQ(FromQString(feed->itemText(1)), "連続(４インチ)");
    EXPECT_FALSE(feed->isEditable());
    for (const char* n : {"ComboBox1", "ComboBox2", "ComboBox3"}) EXPECT_FALSE(C(n)->focusPolicy() & Qt::TabFocus);
    EXPECT_EQ(C("SpeedButton_F2")->font().pixelSize(), 15);
    EXPECT_EQ(C("SpeedButton_F6")->font().pixelSize(), 12);
    EXPECT_EQ(C("SpeedButton_F1")->font().pixelSize(), 13);
    EXPECT_EQ(C("Memo1")->font().pixelSize(), 13);
}

TEST_F(FirstStart, ThePrintReadsTheWaybillFromTheControls)
{
    WriteSlot0("987-6543\r\n大阪府\r\n\r\nニボラ\r\n06-1111-2222\r\n");
    TForm_Main& w = Open();
    E("Edit_Zip")->SetText("1234567");
    E("Edit_Add1")->SetText("東京都千代田区");
    E("Edit_G1")->SetText("衣料品");
    E("Edit_de_date2")->SetText("24");
    C<QCheckBox>("CheckBox_My")->setChecked(false);
    C<QCheckBox>("CheckBox_Date_1")->setChecked(true);
    C<QDateEdit>("DateTimePicker_1")->setDate(QDate(2027, 3, 9));
    C<QLabel>("Label_Prn_Left")->setText(QStringLiteral("-5"));
    C<QLabel>("Label_dpiy")->setText(QStringLiteral("180"));
    const WaybillRecord r = w.CurrentWaybill();
    EXPECT_EQ(r.dateText, "2027/03/09");
    EXPECT_EQ(r.zip, "1234567");
    EXPECT_EQ(r.add1, "東京都千代田区");
    EXPECT_EQ(r.g1, "衣料品");
    EXPECT_EQ(r.deDate2, "24");
    EXPECT_EQ(r.my, "ニボラ");
    EXPECT_EQ(r.myTel, "06-1111-2222");
    EXPECT_FALSE(r.printSender);
    EXPECT_TRUE(r.printDate);
    EXPECT_EQ(r.prnLeft, "-5");
    EXPECT_EQ(r.dpiy, "180");
}

TEST_F(FirstStart, TemporaryFileOfAKilledSaveIsRemovedAtStart)
{
    WriteSlot0();
    const std::string stale = ".hoxa_NIVORA.ini.tmp" + std::to_string(testutil::DeadPid()) + "-0";
    WriteFile(stale.c_str(), "[hx_NIVORAprn]\r\nAddr_Font=1\r\nE_ZIP=1");
    Open();
    EXPECT_FALSE(Exists(stale.c_str()));
    EXPECT_TRUE(Exists("my0.txt"));
}

TEST_F(FirstStart, ALaterStartRestoresAMinimisedWindow)
{
    WriteSlot0();
    TForm_Main& w = Open();
    w.showMinimized();
    QTest::qWait(10);
    EXPECT_TRUE(w.isMinimized());
    w.BringToFront();
    EXPECT_FALSE(w.isMinimized());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(boxes.empty());  // the start sequence does not run again
}

TEST_F(FirstStart, PrinterFailureIsShownOnceAndTheWindowIsStillReadied)
{
    // No printer object exists in this test program, so every printer refresh
    // fails: the start sequence reports it and still completes.
    WriteSlot0("100-0001\r\n\r\n\r\n\r\n\r\n");
    TForm_Main& w = Open();
    ASSERT_EQ(printerBoxes.size(), 1u);
    EXPECT_EQ(printerBoxes[0].kind, BoxKind::Error);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(FromQString(C<QToolButton>("SpeedButton_F2")->text()), "中止");
    EXPECT_TRUE(C<QToolButton>("SpeedButton_F11")->isEnabled());
    EXPECT_FALSE(C<QToolButton>("SpeedButton_F1")->isEnabled());
    EXPECT_EQ(C<QComboBox>("ComboBox_SEL")->currentIndex(), 0);
    EXPECT_EQ(E("Edit_MyZip")->Text(), "100-0001");  // the first slot was loaded
    EXPECT_EQ(Focus(), E("Edit_Zip"));
    EXPECT_EQ(w.Guidance(), "お届け先の郵便番号を入力して下さい");
}

TEST_F(RestoreSave, SettingsFileThatCannotBeReplacedIsReportedAtExit)
{
    // A folder in the settings file's place: the write fails, also for root.
    ASSERT_TRUE(QDir::current().mkdir(QStringLiteral("hoxa_NIVORA.ini")));
    WriteSlot0();
    TForm_Main& w = Open();
    w.close();
    EXPECT_FALSE(w.isVisible());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, BoxKind::Error);
    const std::string want = FromQString(QDir::current().absoluteFilePath(QStringLiteral("hoxa_NIVORA.ini"))) +
                             " に書き込めません";
    EXPECT_EQ(boxes[0].text.rfind(want, 0), 0u) << boxes[0].text;
    form.reset();  // no second attempt when the window goes away
    EXPECT_EQ(boxes.size(), 1u);
}
