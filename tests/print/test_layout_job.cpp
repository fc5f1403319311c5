// The print job through the printer layer (a scripted spooler): resolution and
// scale, job title, the page read back from the submitted PDF, and the abort
// paths.  Also the print gate's job of several pages.
#include "print/Vp_d97Y_DotUnit.h"
#include "print/VpPrinters.h"
#include "print/TPrinter.h"
#include "print/gate_test_util.h"
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
    EXPECT_EQ(error.rfind("印刷データを作れなかったため、印刷しませんでした (", 0), 0u) << error;
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
// The print gate: its question, then one job of the pages it was given.

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

TEST_F(LayoutJob, TheGateAsksThenPrintsEveryPageAsTheSinglePrintDrawsIt)
{
    spooler->mode.printQuality = spooler->mode.yResolution = 360;
    Start();
    NotingHost host;
    PrintGate gate(host);
    ScriptedAsker asker;
    asker.answers = {true};
    std::vector<PrintPage> pages(3);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        pages[i].record = CommandRecord();
        pages[i].record.custo1 += std::to_string(i + 1);
    }
    pages[1].record.printSender = true;  // the pages need not be alike
    const GateResult r = gate.Run(PrintRequest::For(PrintOrigin::Batch, pages, ""), asker);
    ASSERT_TRUE(r.Sent());
    EXPECT_EQ(asker.asked, std::vector<std::string>{"印刷しますか?"});
    EXPECT_EQ(host.dpix, "360");
    ASSERT_EQ(spooler->jobs.size(), 1u) << "one job";
    EXPECT_EQ(spooler->jobs[0].title, "hoxa_NIVORA  ");
    ASSERT_EQ(r.job.pages.size(), 3u);

    QString error;
    const auto read = ReadPdfWords(spooler->jobs[0].pdfCopy, &error);
    ASSERT_EQ(read.size(), 3u) << error.toStdString();
    for (std::size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(r.job.pages[i].record.dpiy, "360");
        EXPECT_EQ(read[i].width, read[0].width);
        EXPECT_EQ(read[i].height, read[0].height);
        for (const auto& f : CompareWithPage(ComputeWaybillLayout(r.job.pages[i].record), read[i], 360, 360, 1.0,
                                             spooler->page.left, spooler->page.top))
            ADD_FAILURE() << f;
    }
}

TEST_F(LayoutJob, TheGateAnsweredNoOrWithBadMarginPrintsNothing)
{
    Start();
    NotingHost host;
    PrintGate gate(host);
    ScriptedAsker no;
    PrintPage page;
    page.record = CommandRecord();
    EXPECT_EQ(gate.Run(PrintRequest::For(PrintOrigin::F11, {page}, ""), no).stop, GateStop::Final);
    EXPECT_TRUE(host.dpix.empty());

    page.record.prnTop = "1.5";
    ScriptedAsker yes;
    yes.answers = {true};
    EXPECT_THROW(gate.Run(PrintRequest::For(PrintOrigin::F11, {page}, ""), yes), EConvertError);
    EXPECT_TRUE(spooler->jobs.empty());
    EXPECT_TRUE(host.news.empty());
    EXPECT_FALSE(Printer().Printing());
}
