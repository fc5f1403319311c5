// Entry fields of the main window driven by key and input-method events: the
// key map and tab order, byte limits, the month box, the warning, half-width
// conversion, characters CP932 cannot hold, the clear buttons, the mail link
// and the transfer button.
#include "app_test_util.h"

#include "transfer/Transfer.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QDesktopServices>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QToolButton>
#include <QUrlQuery>

using namespace hoxa;
using namespace hoxa::apptest;

namespace {

// Takes the links the buttons hand to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class Fields : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        WriteSlot0();
        Open();
        ASSERT_EQ(Focus(), E("Edit_Zip"));
    }
};

}  // namespace

TEST_F(Fields, UpArrowFollowsTheTabOrderExceptInThePostalCode)
{
    E("Edit_MyZip")->setFocus();
    Key(Qt::Key_Up);
    EXPECT_EQ(Focus(), C("CheckBox_My"));

    E("Edit_Zip")->setFocus();
    Key(Qt::Key_Up);
    EXPECT_EQ(Focus(), E("Edit_Zip"));
    E("Edit_Add1")->setFocus();
    Key(Qt::Key_Up, Qt::ShiftModifier);  // the shift state is not examined
    EXPECT_EQ(Focus(), E("Edit_Zip"));
    // Up in the date picker moves the focus instead of changing the date.
    auto* picker = C<QDateEdit>("DateTimePicker_1");
    const QDate today = picker->date();
    picker->setFocus();
    Key(Qt::Key_Up);
    EXPECT_EQ(Focus(), C("CheckBox_Date_1"));
    EXPECT_EQ(picker->date(), today);
}

TEST_F(Fields, EnterInTheTelephoneJumpsToTheDateCheckBox)
{
    E("Edit_tel")->setFocus();
    Key(Qt::Key_Return);
    EXPECT_EQ(Focus(), C("CheckBox_Date_1"));
    Key(Qt::Key_Return);  // nothing more here
    EXPECT_EQ(Focus(), C("CheckBox_Date_1"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(Focus(), C("DateTimePicker_1"));
}

TEST_F(Fields, EnterChainOfTheGoodsLinesEndsAtTheThird)
{
    E("Edit_G2")->SetText("品名その２");
    E("Edit_G1")->setFocus();
    Key(Qt::Key_Enter);
    EXPECT_EQ(Focus(), E("Edit_G2"));
    // Arriving by Enter: caret after the last character, nothing selected.
    EXPECT_FALSE(E("Edit_G2")->hasSelectedText());
    EXPECT_EQ(E("Edit_G2")->cursorPosition(), E("Edit_G2")->text().size());
    EXPECT_EQ(form->Guidance(), "品名を入力して下さい");
    Key(Qt::Key_Return);
    EXPECT_EQ(Focus(), E("Edit_G3"));
    Key(Qt::Key_Return);
    EXPECT_EQ(Focus(), E("Edit_G3"));
    EXPECT_EQ(E("Edit_G3")->text(), QString());  // the Enter itself is not typed
    // Enter from the last control of the order wraps to the first.
    E("Edit_MyTEL")->setFocus();
    Key(Qt::Key_Return);
    EXPECT_EQ(Focus(), C("BitBtn_My"));
    E("Edit_MyTEL")->SetText("03");
    E("Edit_MyTEL")->setFocus();
    C("BitBtn_My")->setEnabled(false);  // disabled controls are skipped
    Key(Qt::Key_Return);
    EXPECT_EQ(Focus(), E("Edit_Zip"));
}

TEST_F(Fields, TabWalksTheWholeOrderAndWraps)
{
    const std::vector<const char*> order = {
        "Edit_Zip",      "Edit_Add1",      "Edit_Add2",   "Edit_Custo1",   "Edit_tel",      "CheckBox_Date_1",
        "DateTimePicker_1", "Edit_de_date1", "Edit_de_date2", "Edit_de_date3", "Edit_G1",    "Edit_G2",
        "Edit_G3",       "ComboBox_SEL",   "BitBtn_SendMail", "PageControl_My", "CheckBox_My", "Edit_MyZip",
        "Edit_MyADD1",   "Edit_MyADD2",    "Edit_My",     "Edit_MyTEL",    "BitBtn_My"};
    for (std::size_t i = 1; i <= order.size(); ++i) {
        Key(Qt::Key_Tab);
        const char* want = order[i % order.size()];
        ASSERT_TRUE(Focus() == C(want) || C(want)->isAncestorOf(Focus())) << "step " << i << ": " << want << " got " << (Focus() ? Focus()->objectName().toStdString() + "/" + Focus()->metaObject()->className() : "none");
    }
    Key(Qt::Key_Backtab);
    EXPECT_EQ(Focus(), C("BitBtn_My"));
}

TEST_F(Fields, TabIntoAFieldWithTextLeavesTheCaretAtTheEnd)
{
    E("Edit_Add1")->SetText("東京都千代田区");
    E("Edit_Zip")->setFocus();
    Key(Qt::Key_Tab);
    ASSERT_EQ(Focus(), E("Edit_Add1"));
    EXPECT_FALSE(E("Edit_Add1")->hasSelectedText());
    EXPECT_EQ(E("Edit_Add1")->cursorPosition(), 7);
    EXPECT_EQ(form->Guidance(), "お届け先のおところ①を入力して下さい");
}

TEST_F(Fields, ByteLimitsCountFullWidthCharactersAsTwo)
{
    TCpEdit* name = E("Edit_Custo1");  // 80 bytes
    name->setFocus();
    QString forty;
    for (int i = 0; i < 40; ++i) forty += QChar(u'あ');
    Commit(name, forty);
    EXPECT_EQ(name->Text().size(), 80u);
    Commit(name, QStringLiteral(u"い"));
    Type(name, QStringLiteral("a"));
    EXPECT_EQ(name->Text().size(), 80u);
    Key(Qt::Key_Backspace);
    Type(name, QStringLiteral("abc"));  // two half-width characters fit, the third not
    EXPECT_EQ(name->Text().size(), 80u);
    EXPECT_TRUE(name->text().endsWith(QStringLiteral(u"あab")));

    TCpEdit* zip = E("Edit_MyZip");  // 8 bytes
    zip->setFocus();
    Type(zip, QStringLiteral("123-45678"));
    EXPECT_EQ(zip->Text(), "123-4567");

    TCpEdit* third = E("Edit_de_date3");  // 2 bytes: one full-width character
    third->setFocus();
    Commit(third, QStringLiteral(u"午"));
    Commit(third, QStringLiteral(u"前"));
    Type(third, QStringLiteral("1"));
    EXPECT_EQ(third->Text(), "午");

    // Text set by the program is not cut, and can still be shortened.
    const std::string longer(100, '7');
    name->SetText(longer);
    EXPECT_EQ(name->Text(), longer);
    name->setFocus();
    name->end(false);
    Type(name, QStringLiteral("8"));
    EXPECT_EQ(name->Text(), longer);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(name->Text().size(), 99u);

    // Also when the program sets the text through QLineEdit itself.
    TCpEdit* goods = E("Edit_G1");  // 30 bytes
    goods->setText(QString(40, u'x'));
    goods->setFocus();
    goods->end(false);
    Type(goods, QStringLiteral("y"));
    EXPECT_EQ(goods->text(), QString(40, u'x'));
    goods->setText(QStringLiteral("abc"));
    goods->end(false);
    Type(goods, QString(40, u'z'));
    EXPECT_EQ(goods->Text().size(), 30u);
}

TEST_F(Fields, MonthBoxTakesOnlyDigits)
{
    TCpEdit* month = E("Edit_de_date1");
    month->setFocus();
    Type(month, QStringLiteral("1a2"));
    EXPECT_EQ(month->text(), QStringLiteral("12"));
    Key(Qt::Key_Backspace);
    EXPECT_EQ(month->text(), QStringLiteral("1"));
    QApplication::clipboard()->setText(QStringLiteral("9"));
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(month->text(), QStringLiteral("1"));
    Key(Qt::Key_Return);
    EXPECT_EQ(Focus(), E("Edit_de_date2"));
    Type(E("Edit_de_date2"), QStringLiteral("x3 "));
    EXPECT_EQ(E("Edit_de_date2")->text(), QStringLiteral("3"));
}

TEST_F(Fields, AddressWarningAtFortyOneBytes)
{
    std::string twenty;
    for (int i = 0; i < 20; ++i) twenty += "東";
    E("Edit_Add1")->SetText(twenty + "1");
    E("Edit_Add2")->setFocus();
    EXPECT_EQ(FromQString(C<QLabel>("Label_Warning")->text()),
              "警告:おところ①の文字数が多すぎます。　おところ②へ分割してください");
    EXPECT_EQ(E("Edit_Add1")->Text(), twenty + "1");  // not changed
    E("Edit_Add1")->SetText(twenty);
    EXPECT_FALSE(C<QLabel>("Label_Warning")->text().isEmpty());  // not while typing
    E("Edit_Add1")->setFocus();
    EXPECT_TRUE(C<QLabel>("Label_Warning")->text().isEmpty());
}

TEST_F(Fields, FullWidthDigitsTurnHalfWidthInPostalCodeAndTelephone)
{
    TCpEdit* zip = E("Edit_Zip");
    QApplication::clipboard()->setText(QStringLiteral(u"１２３－４５６７"));
    zip->paste();
    EXPECT_EQ(zip->Text(), "123-4567");
    EXPECT_EQ(zip->cursorPosition(), 8);

    TCpEdit* tel = E("Edit_tel");
    tel->setFocus();
    Commit(tel, QStringLiteral(u"０３－"));
    Type(tel, QStringLiteral("1234"));
    EXPECT_EQ(tel->Text(), "03-1234");
    // Katakana turns half-width too; the sender fields keep what they get.
    tel->SetText("ガ");
    EXPECT_EQ(tel->Text(), "\xB6\xDE");
    E("Edit_MyZip")->SetText("１２３");
    EXPECT_EQ(E("Edit_MyZip")->Text(), "１２３");
}

TEST_F(Fields, CharacterOutsideCp932BecomesGetaWithGuidance)
{
    TCpEdit* add1 = E("Edit_Add1");
    add1->setFocus();
    Commit(add1, QStringLiteral(u"東京"));
    Type(add1, QString::fromUtf8("\xF0\x9F\x98\x80"));  // an emoji
    Type(add1, QStringLiteral("1"));
    EXPECT_EQ(add1->Text(), "東京〓1");
    EXPECT_NE(form->Guidance().find("お届け先のおところ①"), std::string::npos) << form->Guidance();
    EXPECT_NE(form->Guidance().find("〓"), std::string::npos);

    // The same through the input method, in a field with a byte limit.
    TCpEdit* goods = E("Edit_G2");
    goods->setFocus();
    Commit(goods, QString::fromUtf8("\xF0\x9F\x8D\x8E") + QStringLiteral(u"りんご"));
    EXPECT_EQ(goods->Text(), "〓りんご");
    EXPECT_NE(form->Guidance().find("品名２"), std::string::npos) << form->Guidance();

    auto* memo = C<QPlainTextEdit>("Memo1");
    memo->setFocus();
    EXPECT_EQ(form->Guidance(), "テキストを貼り付けることができます　７行以内に収めてください");
    memo->insertPlainText(QString::fromUtf8("\xE2\x9D\xA4 tel"));  // ❤ has no CP932 form
    EXPECT_EQ(FromQString(memo->toPlainText()), "〓 tel");
    EXPECT_NE(form->Guidance().find("〓"), std::string::npos);
}

TEST_F(Fields, PasteMemoColourFollowsItsText)
{
    auto* memo = C<QPlainTextEdit>("Memo1");
    EXPECT_EQ(memo->viewport()->palette().color(QPalette::Base), QColor(192, 192, 192));
    memo->setPlainText(QStringLiteral("x"));
    EXPECT_NE(memo->viewport()->palette().color(QPalette::Base), QColor(192, 192, 192));
    C<QToolButton>("BitBtn_MemoCLS")->click();
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    EXPECT_EQ(memo->viewport()->palette().color(QPalette::Base), QColor(192, 192, 192));
}

TEST_F(Fields, DestinationClearAsksAndKeepsTheGoods)
{
    E("Edit_Zip")->SetText("123-4567");
    E("Edit_Custo1")->SetText("山田");
    E("Edit_G1")->SetText("本");
    answers = {false};
    C<QToolButton>("BitBtn_CLS")->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "お届け先をクリアますか?");
    EXPECT_EQ(E("Edit_Custo1")->Text(), "山田");
    answers = {true};
    C<QToolButton>("BitBtn_CLS")->click();
    EXPECT_EQ(E("Edit_Zip")->Text(), "");
    EXPECT_EQ(E("Edit_Custo1")->Text(), "");
    EXPECT_EQ(E("Edit_G1")->Text(), "本");
}

TEST_F(Fields, MailLinkCarriesSubjectCcAndBccEncoded)
{
    const QString link = SupportMailUrl();
    EXPECT_TRUE(link.startsWith(QStringLiteral("mailto:support@hoxa.example.jp?subject=hoxa%E3%81%B8")));
    EXPECT_TRUE(link.endsWith(QStringLiteral("&cc=&bcc=&")));
    const QUrl url(link, QUrl::StrictMode);
    ASSERT_TRUE(url.isValid());
    EXPECT_EQ(QUrlQuery(url).queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
              QStringLiteral(u"hoxaへの問い合わせ"));
    EXPECT_EQ(C("BitBtn_SendMail")->toolTip(), QStringLiteral("support@hoxa.example.jp"));
    // Only the controls that have one show a hint.
    EXPECT_TRUE(E("Edit_Zip")->toolTip().isEmpty());
    EXPECT_TRUE(C("BitBtn_CLS")->toolTip().isEmpty());
    EXPECT_FALSE(E("Edit_G1")->toolTip().isEmpty());
}

TEST_F(Fields, WebAndMailButtonsHandTheirLinksToTheDesktop)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    C<QToolButton>("BitBtn_WebHelp")->click();
    C<QToolButton>("BitBtn_SendMail")->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(catcher.urls.size(), 2);
    EXPECT_EQ(catcher.urls[0], QUrl(QStringLiteral("https://hoxa.example.jp/")));
    EXPECT_EQ(catcher.urls[1].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(catcher.urls[1].path(), QStringLiteral("support@hoxa.example.jp"));
    EXPECT_EQ(catcher.urls[1].toString(QUrl::FullyEncoded), SupportMailUrl());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Fields, TransferFillsTheDestinationFromThePastedText)
{
    E("Edit_G1")->SetText("本");
    auto* memo = C<QPlainTextEdit>("Memo1");
    memo->setPlainText(ToQString("\r\n〒123-4567\n東京都千代田区千代田1-1\n山田太郎 様\nTEL：０３-1234-5678\n"
                                 "\nmail: taro@example.jp\n"));
    memo->moveCursor(QTextCursor::End);
    C<QToolButton>("BitBtn_1")->click();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(E("Edit_Zip")->Text(), "123-4567");
    EXPECT_EQ(E("Edit_Add1")->Text(), "東京都千代田区千代田1-1");
    EXPECT_EQ(E("Edit_Add2")->Text(), "");
    EXPECT_EQ(E("Edit_Custo1")->Text(), "山田太郎");
    EXPECT_EQ(E("Edit_tel")->Text(), "03-1234-5678");
    EXPECT_EQ(E("Edit_G1")->Text(), "本");
    EXPECT_EQ(Focus(), E("Edit_Zip"));
    EXPECT_EQ(memo->textCursor().position(), 0);
    EXPECT_EQ(memo->verticalScrollBar()->value(), 0);
    EXPECT_EQ(SplitMemoLines(FromQString(memo->toPlainText())).size(), 7u);
    EXPECT_FALSE(memo->toPlainText().contains(u'\r'));

    // A text with nothing to transfer leaves the fields as they were.
    memo->setPlainText(QStringLiteral("\n   \ninfo@example.jp\n"));
    C<QToolButton>("BitBtn_1")->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, BoxKind::Notice);
    EXPECT_EQ(boxes[0].text, "転送テキストがありません");
    EXPECT_EQ(E("Edit_Custo1")->Text(), "山田太郎");
    EXPECT_TRUE(memo->toPlainText().isEmpty());
}

TEST_F(Fields, KeysPasteAndTransferWhileThePasteAreaAndTheButtonTakeNoFocus)
{
    auto* memo = C<QPlainTextEdit>("Memo1");
    memo->setPlainText(QStringLiteral("an older text"));
    QGuiApplication::clipboard()->setText(ToQString("〒123-4567\n東京都千代田区千代田1-1\n山田太郎 様\n"));
    QTest::keyClick(E("Edit_G1"), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(E("Edit_Custo1")->Text(), "山田太郎");
    EXPECT_EQ(E("Edit_G1")->Text(), "") << "nothing pasted into the field";
    EXPECT_FALSE(memo->toPlainText().contains(QStringLiteral("older")));
    memo->setPlainText(ToQString("〒150-0001\n東京都渋谷区神宮前1-1\n架空花子\n"));
    QTest::keyClick(E("Edit_Zip"), Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(E("Edit_Custo1")->Text(), "架空花子");
    EXPECT_FALSE((memo->focusPolicy() | C("BitBtn_1")->focusPolicy()) & Qt::TabFocus);
    EXPECT_TRUE(C("BitBtn_1")->toolTip().contains(QStringLiteral("Alt+T")));
    for (const char* hinted : {"BitBtn_1", "Memo1"})
        EXPECT_TRUE(C(hinted)->toolTip().contains(QStringLiteral("Ctrl+Shift+V"))) << hinted;
}

TEST_F(Fields, PasteKeepsWhatFitsCutAtACharacter)
{
    const struct {
        const char* field;
        const char* before;  // the field's text, the caret at its end
        const char* pasted;
        const char* after;
    } cases[] = {
        // Half-width first, then the 16-byte limit; a complete code is then
        // written as the waybill prints it.
        {"Edit_Zip", "", "〒１２３－４５６７", "123-4567"},
        {"Edit_Zip", "", "１２３４５６７８９０１２３４５６７８", "1234567890123456"},
        {"Edit_tel", "", "０３－１２３４－５６７８", "03-1234-5678"},
        // No conversion in the sender's postal code: four full-width characters fit.
        {"Edit_MyZip", "", "１２３－４５６７", "１２３－"},
        // A full-width character that would need the 81st byte stays out.
        {"Edit_My", "a", "ああああああああああああああああああああああああああああああああああああああああ",
         "aあああああああああああああああああああああああああああああああああああああああ"},
        {"Edit_G1", "品名", "abcdefghijklmnopqrstuvwxyz0123456789", "品名abcdefghijklmnopqrstuvwxyz"},
        // Nothing fits: the field stays as it was.
        {"Edit_MyZip", "1234567", "あ", "1234567"},
    };
    for (const auto& c : cases) {
        TCpEdit* e = E(c.field);
        e->SetText(c.before);
        e->setFocus();
        e->end(false);
        QGuiApplication::clipboard()->setText(Q(c.pasted));
        Key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(e->Text(), c.after) << c.field << " " << c.pasted;
    }
    // Shift+Insert pastes too; a selection makes room.
    TCpEdit* goods = E("Edit_G2");
    goods->SetText(std::string(30, 'x'));
    goods->setFocus();
    goods->setSelection(0, 2);
    QGuiApplication::clipboard()->setText(QStringLiteral("yz!"));
    Key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(goods->Text(), "yz" + std::string(28, 'x'));
}

TEST_F(Fields, ContextMenuIsJapaneseAndItsPasteKeepsWhatFits)
{
    TCpEdit* zip = E("Edit_Zip");
    zip->setFocus();
    QGuiApplication::clipboard()->setText(Q("〒１２３－４５６７"));
    QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(5, 5), zip->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(zip, &open);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QStringList captions;
    for (QAction* a : menu->actions()) captions << a->text().section(u'\t', 0, 0);
    EXPECT_TRUE(captions.contains(Q("元に戻す(&U)"))) << captions.join(u',').toStdString();
    EXPECT_TRUE(captions.contains(Q("貼り付け(&P)"))) << captions.join(u',').toStdString();
    QAction* paste = nullptr;
    for (QAction* a : menu->actions())
        if (a->text().startsWith(Q("貼り付け(&P)"))) paste = a;
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    menu->close();
    EXPECT_EQ(zip->Text(), "123-4567");
}

TEST_F(Fields, EnterPressesTheFocusedButton)
{
    // Enter in the sender telephone lands on the save button; a second Enter presses it.
    E("Edit_MyTEL")->setFocus();
    Key(Qt::Key_Return);
    ASSERT_EQ(Focus(), C("BitBtn_My"));
    boxes.clear();
    answers = {false};
    Key(Qt::Key_Return);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "ご依頼主を登録しますか?");
    EXPECT_EQ(Focus(), E("Edit_MyZip"));
    // The keypad's Enter too, on the other button that takes the focus.
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
    C("BitBtn_SendMail")->setFocus();
    Key(Qt::Key_Enter, Qt::KeypadModifier);
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    EXPECT_EQ(catcher.urls.size(), 1);
}

#include "test_app_fields.moc"
