// The print job through the printer layer (a scripted spooler): resolution and
// scale, job title, the page read back from the submitted PDF, and the abort
// paths.  Also the print command's question.
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
#include <QTemporaryDir>
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
        WaybillRecord rec = SampleWaybill("");
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
        WaybillRecord rec = SampleWaybill("");
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
    WaybillRecord rec = SampleWaybill("");
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
    WaybillRecord rec = SampleWaybill("");
    EXPECT_THROW(Print(rec), EOSError);
    EXPECT_FALSE(Printer().Printing());
    spooler->refuseJobs = false;
    Print(rec);
    EXPECT_EQ(spooler->jobs.size(), 1u);
}

TEST_F(LayoutJob, ADocumentThatCannotBeWrittenWholeIsAnErrorAndNoJob)
{
    Start();
    WaybillRecord rec = SampleWaybill("");
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
    WaybillRecord rec = SampleWaybill("");
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
    EXPECT_THROW(Vp_d97_Dot().SLIP97_Prn(SampleWaybill("180")), Exception);
}

// ---------------------------------------------------------------------------
// The print command: the question, then the record the window hands over.

namespace {

// The sample without the sender, with fewer lines, a zip without its hyphen.
WaybillRecord CommandRecord()
{
    WaybillRecord r = SampleWaybill("");
    r.zip = "1234567";
    r.add2 = r.g2 = r.g3 = r.deDate3 = "";
    r.printSender = false;
    r.dateText = "2027/03/09";
    r.prnTop = "";
    r.prnLeft = "-5";
    return r;
}

}  // namespace

TEST_F(LayoutJob, CommandAsksThenPrintsAndWritesTheResolution)
{
    spooler->mode.printQuality = spooler->mode.yResolution = 360;
    Start();
    std::vector<std::string> asked;
    SetMessageBoxHook([&](BoxKind kind, const std::string& text) {
        EXPECT_EQ(kind, BoxKind::Question);
        asked.push_back(text);
        return true;
    });
    std::pair<std::string, std::string> written;
    WaybillRecord rec = CommandRecord();
    EXPECT_TRUE(RunPrintCommand(nullptr, [&] { written = Print(rec); }));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "印刷しますか?");
    EXPECT_EQ(written.first, "360");
    EXPECT_EQ(written.second, "360");
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
                        QStringLiteral(u"東京都千代田区丸の内１－１"), QStringLiteral(u"山田太郎"),
                        QStringLiteral(u"衣料品")};
    want.sort();
    EXPECT_EQ(words, want);
}

TEST_F(LayoutJob, CommandAnsweredNoOrWithBadMarginPrintsNothing)
{
    Start();
    bool wrote = false;
    const WriteResolution note = [&](const std::string&, const std::string&) { wrote = true; };
    SetMessageBoxHook([](BoxKind, const std::string&) { return false; });
    WaybillRecord rec = CommandRecord();
    EXPECT_FALSE(RunPrintCommand(nullptr, [&] { PrintWaybillJob(rec, note); }));
    EXPECT_FALSE(wrote);

    WaybillRecord bad = CommandRecord();
    bad.prnTop = "1.5";
    SetMessageBoxHook([](BoxKind, const std::string&) { return true; });
    EXPECT_THROW(RunPrintCommand(nullptr, [&] { PrintWaybillJob(bad, note); }), EConvertError);
    EXPECT_TRUE(spooler->jobs.empty());
    EXPECT_FALSE(Printer().Printing());
}
