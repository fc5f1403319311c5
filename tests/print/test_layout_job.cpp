// The print job through the printer layer (a scripted spooler): resolution and
// scale, job title, the page read back from the submitted PDF, and the abort
// paths.  Also the print command on a window with the main window's controls.
#include "print/Vp_d97Y_DotUnit.h"
#include "print/VpPrinters.h"
#include "print/TPrinter.h"
#include "print/WaybillPrintCommand.h"
#include "print/layout_fake_spooler.h"
#include "print/layout_readback.h"

#include "base/Codec.h"
#include "base/MsgBox.h"
#include "base/errors.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include <sys/resource.h>

using namespace hoxa;
using namespace hoxa::test;

namespace {

class LayoutJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        spooler = std::make_shared<LayoutFakeSpooler>();
        spooler->keepDir = dir.path();
    }
    void TearDown() override
    {
        DestroyVpPrinter();
        SetMessageBoxHook(nullptr);
    }
    void Start() { CreateVpPrinter(spooler); }

    // Runs the job and returns the resolution texts it wrote.
    std::pair<std::string, std::string> Print(WaybillRecord& rec)
    {
        std::pair<std::string, std::string> written;
        PrintWaybillJob(rec, [&](const std::string& x, const std::string& y) { written = {x, y}; });
        return written;
    }

    QTemporaryDir dir;
    std::shared_ptr<LayoutFakeSpooler> spooler;
};

}  // namespace

TEST_F(LayoutJob, OnePageTitledWithEveryItemInPlace)
{
    for (int dpi : {180, 360}) {
        SCOPED_TRACE(dpi);
        spooler->mode.printQuality = spooler->mode.yResolution = static_cast<std::int16_t>(dpi);
        spooler->jobs.clear();
        Start();
        WaybillRecord rec = DistinctWaybill("");
        rec.prnTop = "10";
        rec.prnLeft = "-5";
        const auto written = Print(rec);
        EXPECT_EQ(written.first, std::to_string(dpi));
        EXPECT_EQ(written.second, std::to_string(dpi));
        ASSERT_EQ(spooler->jobs.size(), 1u);
        EXPECT_EQ(spooler->jobs[0].title, "hoxa_NIVORA  ");
        EXPECT_EQ(spooler->jobs[0].printer, "hoxa_dot");
        EXPECT_FALSE(Printer().Printing());

        QString error;
        const auto pages = ReadPdfWords(spooler->jobs[0].pdfCopy, &error);
        ASSERT_EQ(pages.size(), 1u) << error.toStdString();
        // Positions count from the printable area's top-left corner.
        const auto failures = CompareWithPage(ComputeWaybillLayout(rec), pages[0], dpi, dpi, 1.0,
                                              spooler->page.left, spooler->page.top);
        for (const auto& f : failures) ADD_FAILURE() << f;
        EXPECT_EQ(pages[0].words.size(), 20u);
        DestroyVpPrinter();
    }
}

TEST_F(LayoutJob, ScaleGivesTheEffectiveResolution)
{
    struct Case {
        std::int16_t scale;
        bool hasScale;
        const char* want;
    };
    for (const Case& c : {Case{50, true, "360"}, Case{0, true, "180"}, Case{200, true, "90"},
                          Case{50, false, "180"}}) {
        SCOPED_TRACE(c.scale);
        spooler->mode.scale = c.scale;
        spooler->mode.fields = c.hasScale ? (spooler->mode.fields | DM_SCALE)
                                          : (spooler->mode.fields & ~DM_SCALE);
        Start();
        WaybillRecord rec = DistinctWaybill("");
        const auto written = Print(rec);
        EXPECT_EQ(written.first, c.want);
        EXPECT_EQ(written.second, c.want);
        EXPECT_EQ(rec.dpix, c.want);
        DestroyVpPrinter();
    }
}

TEST_F(LayoutJob, BadMarginAbortsAndNothingIsPrinted)
{
    Start();
    WaybillRecord rec = DistinctWaybill("");
    rec.prnLeft = "2.5";
    try {
        Print(rec);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'2.5' is not a valid integer value");
    }
    EXPECT_TRUE(spooler->jobs.empty());
    EXPECT_FALSE(Printer().Printing());
    // The next print goes through.
    rec.prnLeft = "";
    Print(rec);
    EXPECT_EQ(spooler->jobs.size(), 1u);
}

TEST_F(LayoutJob, RefusedJobLeavesNoJobOpen)
{
    Start();
    spooler->refuseJobs = true;
    WaybillRecord rec = DistinctWaybill("");
    EXPECT_THROW(Print(rec), EOSError);
    EXPECT_FALSE(Printer().Printing());
    spooler->refuseJobs = false;
    Print(rec);
    EXPECT_EQ(spooler->jobs.size(), 1u);
}

TEST_F(LayoutJob, ADocumentThatCannotBeWrittenWholeIsAnErrorAndNoJob)
{
    Start();
    WaybillRecord rec = DistinctWaybill("");
    // A full temporary folder as the kernel reports it to the writer: every
    // write that would make a file longer than 2 KB fails (EFBIG instead of
    // ENOSPC; the signal that would end the process is ignored meanwhile).
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 2048;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    try {
        Print(rec);
    } catch (const EPrinter& e) {
        error = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(error.rfind("印刷データを作れなかったため、印刷しませんでした。", 0), 0u) << error;
    EXPECT_NE(error.find("job.pdf"), std::string::npos) << "names the file";
    EXPECT_TRUE(spooler->jobs.empty());
    EXPECT_FALSE(Printer().Printing());
    // With room again the next print goes through, whole.
    Print(rec);
    ASSERT_EQ(spooler->jobs.size(), 1u);
    QString readError;
    EXPECT_EQ(ReadPdfWords(spooler->jobs[0].pdfCopy, &readError).size(), 1u) << readError.toStdString();
}

TEST_F(LayoutJob, NoPrinterRaisesBeforeAnyJob)
{
    spooler->printers = {{"hidden", PRINTER_ATTRIBUTE_HIDDEN}};
    Start();
    WaybillRecord rec = DistinctWaybill("");
    bool wrote = false;
    try {
        PrintWaybillJob(rec, [&](const std::string&, const std::string&) { wrote = true; });
        FAIL() << "no error";
    } catch (const EVpPrinterNoPrinter& e) {
        EXPECT_STREQ(e.what(), "TVpPrinter.CheckNoPrinter: No Printer");
    }
    EXPECT_FALSE(wrote);
    EXPECT_TRUE(spooler->jobs.empty());
}

TEST_F(LayoutJob, SlipOutsideAJobIsAnError)
{
    Start();
    EXPECT_THROW(Vp_d97_Dot().SLIP97_Prn(DistinctWaybill("180")), Exception);
}

// ---------------------------------------------------------------------------
// The print command on a window that has the main window's controls.

namespace {

struct FakeMainWindow {
    QWidget window;
    QLineEdit* Edit(const char* name, const char* text = "")
    {
        auto* e = new QLineEdit(&window);
        e->setObjectName(QString::fromLatin1(name));
        e->setText(ToQString(text));
        return e;
    }
    QLabel* Label(const char* name, const char* text)
    {
        auto* l = new QLabel(ToQString(text), &window);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    }
    QCheckBox* Check(const char* name, bool on)
    {
        auto* c = new QCheckBox(&window);
        c->setObjectName(QString::fromLatin1(name));
        c->setChecked(on);
        return c;
    }

    FakeMainWindow()
    {
        Edit("Edit_Zip", "1234567");
        Edit("Edit_Add1", "東京都千代田区");
        Edit("Edit_Add2");
        Edit("Edit_Custo1", "山田太郎");
        Edit("Edit_tel", "03-1234-5678");
        Edit("Edit_MyZip", "987-6543");
        Edit("Edit_MyADD1", "大阪府");
        Edit("Edit_MyADD2");
        Edit("Edit_My", "ニボラ");
        Edit("Edit_MyTEL", "06-1111-2222");
        Edit("Edit_G1", "衣料品");
        Edit("Edit_G2");
        Edit("Edit_G3");
        Edit("Edit_de_date1", "12");
        Edit("Edit_de_date2", "24");
        Edit("Edit_de_date3");
        other = Edit("Edit_Other");
        Check("CheckBox_My", false);
        Check("CheckBox_Date_1", true);
        auto* d = new QDateEdit(QDate(2027, 3, 9), &window);
        d->setObjectName(QStringLiteral("DateTimePicker_1"));
        Label("Label_Prn_Top", "");
        Label("Label_Prn_Left", "-5");
        Label("Label_dpix", "");
        Label("Label_dpiy", "");
    }
    QLineEdit* other = nullptr;
};

}  // namespace

TEST_F(LayoutJob, CommandReadsTheWindowAndWritesTheResolution)
{
    FakeMainWindow w;
    const WaybillRecord r = ReadWaybillRecord(w.window);
    EXPECT_EQ(r.dateText, "2027/03/09");
    EXPECT_EQ(r.zip, "1234567");
    EXPECT_EQ(r.add1, "東京都千代田区");
    EXPECT_FALSE(r.printSender);
    EXPECT_TRUE(r.printDate);
    EXPECT_EQ(r.prnLeft, "-5");

    spooler->mode.printQuality = spooler->mode.yResolution = 360;
    Start();
    std::vector<std::string> asked;
    SetMessageBoxHook([&](BoxKind kind, const std::string& text) {
        EXPECT_EQ(kind, BoxKind::Question);
        asked.push_back(text);
        return true;
    });
    EXPECT_TRUE(RunPrintCommand(w.window));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "印刷しますか?");
    EXPECT_EQ(FromQString(w.window.findChild<QLabel*>(QStringLiteral("Label_dpix"))->text()), "360");
    EXPECT_EQ(FromQString(w.window.findChild<QLabel*>(QStringLiteral("Label_dpiy"))->text()), "360");
    ASSERT_EQ(spooler->jobs.size(), 1u);
    EXPECT_EQ(spooler->jobs[0].title, "hoxa_NIVORA  ");

    // What was printed: the date, no sender, the zip cut as 123 / 4567.
    QString error;
    const auto pages = ReadPdfWords(spooler->jobs[0].pdfCopy, &error);
    ASSERT_EQ(pages.size(), 1u) << error.toStdString();
    QStringList words;
    for (const auto& word : pages[0].words) words << word.text;
    words.sort();
    QStringList want = {QStringLiteral("03"), QStringLiteral("09"), QStringLiteral("12"),
                        QStringLiteral("24"), QStringLiteral("03-1234-5678"),
                        QStringLiteral("123"), QStringLiteral("4567"),
                        QStringLiteral(u"東京都千代田区"), QStringLiteral(u"山田太郎"),
                        QStringLiteral(u"衣料品")};
    want.sort();
    EXPECT_EQ(words, want);
}

TEST_F(LayoutJob, CommandAnsweredNoPrintsNothingAndFocusesGoods)
{
    FakeMainWindow w;
    Start();
    w.window.show();
    w.window.activateWindow();
    w.other->setFocus();
    QApplication::processEvents();
    SetMessageBoxHook([](BoxKind, const std::string&) { return false; });
    EXPECT_FALSE(RunPrintCommand(w.window));
    QApplication::processEvents();
    EXPECT_TRUE(spooler->jobs.empty());
    EXPECT_EQ(QApplication::focusWidget(), w.window.findChild<QWidget*>(QStringLiteral("Edit_G1")));
    EXPECT_EQ(w.window.findChild<QLabel*>(QStringLiteral("Label_dpix"))->text(), QString());
}

TEST_F(LayoutJob, CommandWithBadMarginPrintsNothing)
{
    FakeMainWindow w;
    w.window.findChild<QLabel*>(QStringLiteral("Label_Prn_Top"))->setText(QStringLiteral("1.5"));
    Start();
    SetMessageBoxHook([](BoxKind, const std::string&) { return true; });
    EXPECT_THROW(RunPrintCommand(w.window), EConvertError);
    EXPECT_TRUE(spooler->jobs.empty());
    EXPECT_FALSE(Printer().Printing());
}
