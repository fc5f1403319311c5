// Shared set-up of the registration tests that drive the main window: the
// main-window fixture with a printer layer over a given spooler, and helpers
// that act on the modal dialogs once they show.
#pragma once

#include "app/app_test_util.h"
#include "print/SLIP97YPrnUnit.h"
#include "print/VpPrinters.h"
#include "print/fake_spooler.h"
#include "widgets/ObNumEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

namespace hoxa::regtest {

// Runs `drive` on the modal dialog of type T as soon as it is shown.  A dialog
// that is still open 10 s later is closed, so that a failing test cannot hang.
template <class T>
void WhenModalShows(std::function<void(T*)> drive)
{
    // The pending timer holds the only strong reference, so nothing is left over.
    auto attempt = std::make_shared<std::function<void(int)>>();
    std::weak_ptr<std::function<void(int)>> weak = attempt;
    *attempt = [drive, weak](int left) {
        T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            QPointer<QWidget> guard(dialog);
            QTimer::singleShot(10000, [guard] {
                if (guard && guard->isVisible()) {
                    ADD_FAILURE() << "dialog left open";
                    guard->close();
                }
            });
            drive(dialog);
        } else if (left > 0) {
            QTimer::singleShot(10, [self = weak.lock(), left] { (*self)(left - 1); });
        } else {
            ADD_FAILURE() << "dialog did not show";
        }
    };
    QTimer::singleShot(0, [attempt] { (*attempt)(300); });
}

// The printer-setup dialog: choose the visible printer `index` (-1 keeps the
// one it opened on) and what `choose` chooses, then OK or Cancel.  `opened`
// gets the printer it opened on.
inline void AnswerSetupDialog(int index, bool ok, QString* opened = nullptr,
                              std::function<void(QDialog*)> choose = nullptr)
{
    WhenModalShows<QDialog>([=](QDialog* d) {
        auto* printer = d->findChild<QComboBox*>(QStringLiteral("printerCombo"));
        auto* box = d->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (!printer || !box) {
            ADD_FAILURE() << "not the printer-setup dialog";
            d->reject();
            return;
        }
        if (opened) *opened = printer->currentText();
        if (index >= 0) printer->setCurrentIndex(index);
        if (choose) choose(d);
        box->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
}

class RegistrationTest : public apptest::MainWindowTest {
protected:
    std::shared_ptr<test::FakeSpooler> spooler = std::make_shared<test::FakeSpooler>();

    void TearDown() override
    {
        apptest::MainWindowTest::TearDown();
        DestroyVpPrinter();
    }

    // Creates the printer layer over the spooler as it is now and opens the
    // main window (its start sequence runs).
    TForm_Main& Start()
    {
        CreateVpPrinter(spooler);
        WriteSlot0();
        return Open();
    }

    std::string Label(const char* name) const { return FromQString(C<QLabel>(name)->text()); }
    QComboBox* Box(const char* name) const { return C<QComboBox>(name); }

    // The paper feed changed as the user does it: the Down or Up key in the list.
    void SelectFeed(int index)
    {
        QComboBox* feed = Box("ComboBox_SEL");
        while (feed->currentIndex() != index)
            QTest::keyClick(feed, feed->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
    }

    void ClickRegisterPrinter() { C<QToolButton>("BitBtn_PrnSet")->click(); }

    // Opens the margin dialog and runs `drive` in it; returns when it closed.
    void WithMarginDialog(std::function<void(TForm_SLIP97YPrn*)> drive)
    {
        WhenModalShows<TForm_SLIP97YPrn>(std::move(drive));
        C<QToolButton>("BitBtn_PrnSet2")->click();
    }
};

// A control of the margin dialog by name.
template <class T = QWidget>
T* In(QWidget* dialog, const char* name)
{
    T* w = dialog->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}
inline TObNumEdit* TopBox(QWidget* d) { return In<TObNumEdit>(d, "ObNumEdit_TOP"); }
inline TObNumEdit* LeftBox(QWidget* d) { return In<TObNumEdit>(d, "ObNumEdit_LEFT"); }
inline QPushButton* RegisterButton(QWidget* d) { return In<QPushButton>(d, "BitBtn_MRGN"); }

// Typing into a margin box: digits, "." and "-" as key presses.
inline void TypeInto(TObNumEdit* box, const char* keys) { QTest::keyClicks(box, QString::fromLatin1(keys)); }

// Empties a margin box with Backspace.
inline void ClearBox(TObNumEdit* box)
{
    for (int i = 0; i < 20 && !box->Text().empty(); ++i) QTest::keyClick(box, Qt::Key_Backspace);
}

}  // namespace hoxa::regtest
