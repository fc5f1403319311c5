// The printer-setup and print dialogs and the change watcher on a scripted
// spooler.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

#include "base/Codec.h"
#include "print/PrinterWatcher.h"
#include "print/VpPrinterDialogs.h"
#include "print/VpPrinters.h"
#include "print/fake_spooler.h"

namespace hoxa {
namespace {

using test::FakeSpooler;

// Runs `drive` on the dialog once it is shown modally.
void WhenDialogShows(std::function<void(QDialog*)> drive) {
    auto attempt = std::make_shared<std::function<void(int)>>();
    *attempt = [drive, attempt](int left) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog) {
            drive(dialog);
        } else if (left > 0) {
            QTimer::singleShot(10, [attempt, left] { (*attempt)(left - 1); });
        } else {
            ADD_FAILURE() << "dialog did not show";
        }
    };
    QTimer::singleShot(0, [attempt] { (*attempt)(200); });
}

void Press(QDialog* dialog, QDialogButtonBox::StandardButton which) {
    auto* box = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    ASSERT_NE(box, nullptr);
    box->button(which)->click();
}

class DialogTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeSpooler> spooler = std::make_shared<FakeSpooler>();

    void SetUp() override {
        spooler->Add("A");
        spooler->Add("H", PRINTER_ATTRIBUTE_HIDDEN);
        auto& b = spooler->Add("B");
        b.papers = std::vector<PaperEntry>{{DMPAPER_A4, "A4"}, {256, "Waybill"}, {DMPAPER_LETTER, "Letter"}};
        b.bins = std::vector<BinEntry>{{DMBIN_TRACTOR, "Tractor"}, {DMBIN_MANUAL, "Manual"}};
        b.details.status = "待機中";
        b.details.location = "店頭";
        b.mode.defaultSource = DMBIN_TRACTOR;
        spooler->defaultName = "A";
        CreateVpPrinter(spooler);
    }
    void TearDown() override { DestroyVpPrinter(); }
};

TEST_F(DialogTest, ConfirmSetsPrinterAndDeviceModeAndRefreshes) {
    TVpPrinter& vp = VpPrinter();
    ASSERT_EQ(vp.GetIndex(), 0);
    vp.GetPaperSizeIndex();

    QWidget parent;
    TVpPrinterSetupDialog setup(&parent);
    QString status, location;
    bool sourceEnabled = false;
    WhenDialogShows([&](QDialog* d) {
        auto* printer = d->findChild<QComboBox*>(QStringLiteral("printerCombo"));
        ASSERT_NE(printer, nullptr);
        ASSERT_EQ(printer->count(), 2) << "the hidden printer is not offered";
        EXPECT_EQ(printer->currentText(), QStringLiteral("A"));
        printer->setCurrentIndex(1);
        status = d->findChild<QLabel*>(QStringLiteral("statusLabel"))->text();
        location = d->findChild<QLabel*>(QStringLiteral("locationLabel"))->text();
        auto* paper = d->findChild<QComboBox*>(QStringLiteral("paperCombo"));
        auto* source = d->findChild<QComboBox*>(QStringLiteral("sourceCombo"));
        EXPECT_EQ(paper->count(), 3);
        EXPECT_EQ(paper->currentText(), QStringLiteral("A4"));
        EXPECT_EQ(source->currentText(), QStringLiteral("Tractor"));
        sourceEnabled = source->isEnabled();
        paper->setCurrentIndex(1);
        source->setCurrentIndex(1);
        d->findChild<QRadioButton*>(QStringLiteral("landscapeRadio"))->setChecked(true);
        Press(d, QDialogButtonBox::Ok);
    });
    EXPECT_TRUE(setup.Execute());
    EXPECT_EQ(status, ToQString("待機中"));
    EXPECT_EQ(location, ToQString("店頭"));
    EXPECT_TRUE(sourceEnabled);
    EXPECT_EQ(vp.GetIndex(), 1);
    EXPECT_EQ(vp.GetPaperSizeNumber(), 256);
    EXPECT_EQ(vp.GetPaperSizeIndex(), 1);
    EXPECT_EQ(vp.GetBinNumber(), DMBIN_MANUAL);
    EXPECT_EQ(vp.GetBinIndex(), 1);
    EXPECT_EQ(vp.CachedIndex(), 2) << "confirming re-reads the device information";

    // The print job carries the choices.
    vp.BeginDoc("t");
    vp.EndDoc();
    ASSERT_EQ(spooler->jobs.size(), 1u);
    EXPECT_EQ(spooler->jobs[0].printer, "B");
    EXPECT_EQ(spooler->jobs[0].mode.paperSize, 256);
    EXPECT_EQ(spooler->jobs[0].mode.defaultSource, DMBIN_MANUAL);
    EXPECT_EQ(spooler->jobs[0].mode.orientation, DMORIENT_LANDSCAPE);

    // Opening again shows the choices in force.
    WhenDialogShows([&](QDialog* d) {
        EXPECT_EQ(d->findChild<QComboBox*>(QStringLiteral("printerCombo"))->currentText(), QStringLiteral("B"));
        EXPECT_EQ(d->findChild<QComboBox*>(QStringLiteral("paperCombo"))->currentText(), QStringLiteral("Waybill"));
        EXPECT_EQ(d->findChild<QComboBox*>(QStringLiteral("sourceCombo"))->currentText(), QStringLiteral("Manual"));
        EXPECT_TRUE(d->findChild<QRadioButton*>(QStringLiteral("landscapeRadio"))->isChecked());
        Press(d, QDialogButtonBox::Cancel);
    });
    EXPECT_FALSE(setup.Execute());
}

TEST_F(DialogTest, CancelChangesNothing) {
    TVpPrinter& vp = VpPrinter();
    vp.GetPaperSizeIndex();
    const int cached = vp.CachedIndex();
    ASSERT_TRUE(vp.HasDevModeCopy());
    TVpPrinterSetupDialog setup;
    WhenDialogShows([&](QDialog* d) {
        d->findChild<QComboBox*>(QStringLiteral("printerCombo"))->setCurrentIndex(1);
        d->findChild<QComboBox*>(QStringLiteral("paperCombo"))->setCurrentIndex(2);
        // The keypad's Enter presses the focused button, not the default one.
        QPushButton* cancel = d->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Cancel);
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Enter, Qt::KeypadModifier);
    });
    EXPECT_FALSE(setup.Execute());
    EXPECT_EQ(vp.GetIndex(), 0);
    EXPECT_EQ(vp.GetPaperSizeNumber(), DMPAPER_A4);
    EXPECT_EQ(vp.CachedIndex(), cached);
    EXPECT_TRUE(vp.HasDevModeCopy()) << "no refresh after Cancel";
}

TEST_F(DialogTest, PrinterWithoutBinsOrPaperFieldDisablesTheBoxes) {
    spooler->printers["A"].bins.reset();
    spooler->printers["A"].mode.fields &= ~DM_PAPERSIZE;
    TVpPrintDialog print;
    WhenDialogShows([&](QDialog* d) {
        EXPECT_FALSE(d->findChild<QComboBox*>(QStringLiteral("sourceCombo"))->isEnabled());
        EXPECT_FALSE(d->findChild<QComboBox*>(QStringLiteral("paperCombo"))->isEnabled());
        auto* copies = d->findChild<QSpinBox*>(QStringLiteral("copiesSpin"));
        ASSERT_NE(copies, nullptr);
        EXPECT_EQ(copies->maximum(), 99);
        copies->setValue(3);
        Press(d, QDialogButtonBox::Ok);
    });
    EXPECT_TRUE(print.Execute());
    std::string device, driver, port;
    DevModeHandle mode;
    Printer().GetPrinter(device, driver, port, mode);
    ASSERT_TRUE(mode);
    EXPECT_EQ(device, "A");
    EXPECT_EQ(mode->copies, 3);
    EXPECT_EQ(mode->paperSize, DMPAPER_A4) << "a field the driver lacks is left alone";
}

TEST_F(DialogTest, NoPrinterMeansNoDialog) {
    spooler->list.clear();
    ASSERT_TRUE(VpPrinter().CheckForChanges());
    TVpPrinterSetupDialog setup;
    EXPECT_THROW(setup.Execute(), EVpPrinterNoPrinter);
}

// --- the watcher ---------------------------------------------------------------

TEST_F(DialogTest, WatcherChecksOnActivationAndTimer) {
    QWidget window;
    PrinterWatcher watcher(&window, 0, 0);
    int signals_ = 0;
    QObject::connect(&watcher, &PrinterWatcher::PrintersChanged, [&] { ++signals_; });
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&window, &activate);
    EXPECT_EQ(watcher.Checks(), 1);
    EXPECT_EQ(signals_, 0);
    spooler->Add("C");
    QApplication::sendEvent(&window, &activate);
    EXPECT_EQ(watcher.Checks(), 2);
    EXPECT_EQ(signals_, 1);
    EXPECT_EQ(VpPrinter().GetPrinterNames().size(), 3u);
    // Other events do not check.
    QEvent other(QEvent::WindowDeactivate);
    QApplication::sendEvent(&window, &other);
    EXPECT_EQ(watcher.Checks(), 2);

    PrinterWatcher timed(&window, 20);
    spooler->Remove("C");
    EXPECT_TRUE(QTest::qWaitFor([&] { return timed.Checks() >= 2; }, 3000));
    EXPECT_EQ(VpPrinter().GetPrinterNames().size(), 2u);

    // Activated right after the last look (the start-up snapshot counts as
    // one): no second reading of the list.
    PrinterWatcher settling(&window, 0, 60000);
    QApplication::sendEvent(&window, &activate);
    EXPECT_EQ(settling.Checks(), 0);
}

namespace {
int g_warnings = 0;
void CountWarnings(QtMsgType type, const QMessageLogContext&, const QString&)
{
    if (type == QtWarningMsg) ++g_warnings;
}
}  // namespace

TEST_F(DialogTest, WatcherSwallowsSpoolerErrorsAndReportsEachOnlyOnce) {
    QWidget window;
    PrinterWatcher watcher(&window, 0);
    g_warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(CountWarnings);
    spooler->failEnum = true;
    EXPECT_FALSE(watcher.CheckNow());
    EXPECT_FALSE(watcher.CheckNow());  // the same failure again: not reported again
    const int whileAway = g_warnings;
    spooler->failEnum = false;
    EXPECT_TRUE(watcher.CheckNow());  // the server is back: everything is read anew
    spooler->failEnum = true;
    EXPECT_FALSE(watcher.CheckNow());  // and away once more: reported again
    qInstallMessageHandler(previous);
    EXPECT_EQ(whileAway, 1);
    EXPECT_EQ(g_warnings, 2);
    spooler->failEnum = false;
    DestroyVpPrinter();
    EXPECT_FALSE(watcher.CheckNow());
    EXPECT_EQ(watcher.Checks(), 5);
}

}  // namespace
}  // namespace hoxa
