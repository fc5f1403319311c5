// The printer access layer on a scripted spooler: visible and raw indexes,
// hidden printers, the device-information cache, the device-mode copy, paper and
// bin look-ups, the change check and the print job surface.
#include <gtest/gtest.h>

#include <QPaintDevice>
#include <QPainter>

#include "print/TPrinter.h"
#include "print/VpPrinters.h"
#include "print/fake_spooler.h"

namespace hoxa {
namespace {

using test::FakeSpooler;

template <class E, class F>
void ExpectError(F&& f, const std::string& message) {
    try {
        f();
        ADD_FAILURE() << "no exception, expected: " << message;
    } catch (const E& e) {
        EXPECT_EQ(e.what(), message);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "wrong exception: " << e.what() << ", expected: " << message;
    }
}

class VpPrinterTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeSpooler> spooler = std::make_shared<FakeSpooler>();

    void SetUp() override {
        spooler->Add("A");
        spooler->Add("H", PRINTER_ATTRIBUTE_HIDDEN);
        spooler->Add("B");
        spooler->defaultName = "B";
    }
    void TearDown() override { DestroyVpPrinter(); }

    TVpPrinter& Vp() {
        try {
            return VpPrinter();
        } catch (const EVpPrinter&) {
            CreateVpPrinter(spooler);
            return VpPrinter();
        }
    }

    // Makes `name` current with a device mode the test shapes.
    void UseMode(const std::string& name, const std::function<void(DevMode&)>& change) {
        auto mode = std::make_shared<DevMode>(spooler->printers[name].mode);
        change(*mode);
        Printer().SetPrinter(name, "", "", mode);
    }
};

TEST_F(VpPrinterTest, VisibleListSkipsHiddenPrinters) {
    TVpPrinter& vp = Vp();
    EXPECT_EQ(vp.GetPrinterNames(), (std::vector<std::string>{"A", "B"}));
    // B, the default, is raw 2 and visible 1.
    EXPECT_EQ(vp.GetIndex(), 1);
    vp.SetIndex(0);
    EXPECT_EQ(Printer().PrinterIndex(), 0);
    EXPECT_EQ(vp.GetIndex(), 0);
    vp.SetIndex(1);
    EXPECT_EQ(Printer().PrinterIndex(), 2);
    EXPECT_EQ(vp.GetIndex(), 1);
}

TEST_F(VpPrinterTest, SetIndexOutOfRangeChangesNothing) {
    TVpPrinter& vp = Vp();
    vp.SetIndex(0);
    UseMode("A", [](DevMode& m) { m.paperSize = DMPAPER_LETTER; });
    ASSERT_EQ(vp.GetPaperSizeNumber(), DMPAPER_LETTER);
    ASSERT_TRUE(vp.HasDevModeCopy());
    for (int bad : {2, -2, 100}) {
        ExpectError<EVPPrinterRangeError>([&] { vp.SetIndex(bad); },
                                          "TVpPrinter.SetIndex: Index is out of Range");
        EXPECT_EQ(Printer().PrinterIndex(), 0);
        EXPECT_TRUE(vp.HasDevModeCopy());
        EXPECT_EQ(vp.GetPaperSizeNumber(), DMPAPER_LETTER);
    }
}

TEST_F(VpPrinterTest, SetIndexMinusOneSelectsTheDefaultPrinter) {
    TVpPrinter& vp = Vp();
    vp.SetIndex(0);
    ASSERT_EQ(vp.GetIndex(), 0);
    vp.SetIndex(-1);
    EXPECT_EQ(vp.GetIndex(), 1);
    EXPECT_EQ(Printer().PrinterIndex(), 2);
}

TEST_F(VpPrinterTest, DefaultFallsBackToFirstVisiblePrinterWhenSystemHasNone) {
    spooler->list = {{"H", PRINTER_ATTRIBUTE_HIDDEN}, {"A", 0}, {"B", 0}};
    spooler->defaultName.clear();
    TVpPrinter& vp = Vp();
    EXPECT_EQ(vp.GetIndex(), 0);
    EXPECT_EQ(Printer().PrinterIndex(), 1);
}

TEST_F(VpPrinterTest, SameIndexKeepsTheChosenDeviceMode) {
    TVpPrinter& vp = Vp();
    vp.SetIndex(1);
    UseMode("B", [](DevMode& m) {
        m.paperSize = DMPAPER_LETTER;
        m.defaultSource = DMBIN_MANUAL;
    });
    vp.Refresh();
    vp.SetIndex(1);
    EXPECT_EQ(vp.GetPaperSizeNumber(), DMPAPER_LETTER);
    EXPECT_EQ(vp.GetBinNumber(), DMBIN_MANUAL);
    // Another printer and back: the default paper again.
    vp.SetIndex(0);
    vp.SetIndex(1);
    EXPECT_EQ(vp.GetPaperSizeNumber(), DMPAPER_A4);
    EXPECT_EQ(vp.GetBinNumber(), DMBIN_UPPER);
}

TEST_F(VpPrinterTest, SetIndexMinusOneOnTheDefaultDropsEarlierChoices) {
    TVpPrinter& vp = Vp();
    vp.SetIndex(0);
    vp.SetIndex(1);  // B, also the default
    UseMode("B", [](DevMode& m) { m.paperSize = DMPAPER_LETTER; });
    vp.Refresh();
    vp.SetIndex(-1);  // differs from GetIndex (1), so the device mode is reset
    EXPECT_EQ(vp.GetIndex(), 1);
    EXPECT_EQ(vp.GetPaperSizeNumber(), DMPAPER_A4);
}

TEST_F(VpPrinterTest, HiddenCurrentPrinterIsAnIllegalIndex) {
    TVpPrinter& vp = Vp();
    Printer().SetPrinterIndex(1);
    ExpectError<EVpPrinterIllegalIndex>([&] { vp.GetIndex(); },
                                        "TVpPrinter.GetIndex: Printers.PrinterIndex is Illegal");
}

TEST_F(VpPrinterTest, NoVisiblePrinterFailsEveryCheckedOperation) {
    for (bool onlyHidden : {false, true}) {
        SCOPED_TRACE(onlyHidden);
        DestroyVpPrinter();
        spooler->list.clear();
        if (onlyHidden) spooler->list = {{"H", PRINTER_ATTRIBUTE_HIDDEN}};
        TVpPrinter& vp = Vp();
        const std::string msg = "TVpPrinter.CheckNoPrinter: No Printer";
        ExpectError<EVpPrinterNoPrinter>([&] { vp.GetPrinterNames(); }, msg);
        ExpectError<EVpPrinterNoPrinter>([&] { vp.GetIndex(); }, msg);
        ExpectError<EVpPrinterNoPrinter>([&] { vp.SetIndex(0); }, msg);
        ExpectError<EVpPrinterNoPrinter>([&] { vp.SetIndex(-5); }, msg);
        ExpectError<EVpPrinterNoPrinter>([&] { vp.GetPaperSizeNames(); }, msg);
        ExpectError<EVpPrinterNoPrinter>([&] { vp.GetPaperSizeIndex(); }, msg);
        ExpectError<EVpPrinterNoPrinter>([&] { vp.GetBinNames(); }, msg);
        ExpectError<EVpPrinterNoPrinter>([&] { vp.GetBinIndex(); }, msg);
        ExpectError<EVpPrinterNoPrinter>([&] { vp.GetPixelsPerInch(); }, msg);
        ExpectError<EVpPrinterNoPrinter>([&] { vp.GetScale(); }, msg);
        ExpectError<EVpPrinterNoPrinter>([&] { vp.GetCapabilities(); }, msg);
        EXPECT_EQ(vp.CachedIndex(), -1);
        // The port list needs no printer.
        EXPECT_NO_THROW(vp.GetPortNames());
    }
}

TEST_F(VpPrinterTest, PrinterNamesKeepTheirContentsWhenTheCheckFails) {
    TVpPrinter& vp = Vp();
    const std::vector<std::string>& names = vp.GetPrinterNames();
    ASSERT_EQ(names.size(), 2u);
    spooler->list.clear();
    ASSERT_TRUE(vp.CheckForChanges());
    EXPECT_THROW(vp.GetPrinterNames(), EVpPrinterNoPrinter);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B"}));
}

TEST_F(VpPrinterTest, PaperSearchTakesFirstMatchBinSearchTakesLast) {
    auto& b = spooler->printers["B"];
    b.papers = std::vector<PaperEntry>{{1, "p0"}, {5, "p1"}, {9, "p2"}, {11, "p3"}, {13, "p4"}, {9, "p5"}};
    b.bins = std::vector<BinEntry>{{1, "b0"}, {2, "b1"}, {8, "b2"}, {4, "b3"}, {7, "b4"}, {8, "b5"}};
    b.mode.paperSize = 9;
    b.mode.defaultSource = 8;
    TVpPrinter& vp = Vp();
    EXPECT_EQ(vp.GetPaperSizeNames(), (std::vector<std::string>{"p0", "p1", "p2", "p3", "p4", "p5"}));
    EXPECT_EQ(vp.GetPaperSizeIndex(), 2);
    EXPECT_EQ(vp.GetBinNames().size(), 6u);
    EXPECT_EQ(vp.GetBinIndex(), 5);
}

TEST_F(VpPrinterTest, CurrentPaperOrBinMissingFromTheList) {
    auto& b = spooler->printers["B"];
    b.mode.paperSize = DMPAPER_B5;
    b.mode.defaultSource = DMBIN_TRACTOR;
    TVpPrinter& vp = Vp();
    ExpectError<EVPPrinterPaperSizeError>([&] { vp.GetPaperSizeIndex(); },
                                          "TVpPrinter.GetPaperSizeIndex: Cannot Get Paper Index");
    ExpectError<EVpPrinterBinError>([&] { vp.GetBinIndex(); },
                                    "TVpPrinter.GetBinIndex: Cannot Get Bin Index");
    // The lists read on the way stay cached.
    EXPECT_EQ(vp.CachedIndex(), 2);
    EXPECT_EQ(vp.GetPaperSizeNames().size(), 2u);
}

TEST_F(VpPrinterTest, PaperNumbersAreComparedAsUnsigned) {
    auto& b = spooler->printers["B"];
    b.papers = std::vector<PaperEntry>{{0xFFFF, "big"}, {9, "A4"}};
    b.mode.paperSize = -1;  // 0xFFFF read as signed
    TVpPrinter& vp = Vp();
    EXPECT_THROW(vp.GetPaperSizeIndex(), EVPPrinterPaperSizeError);
    EXPECT_EQ(vp.GetPaperSizeNumber(), -1);
}

TEST_F(VpPrinterTest, DeviceModeWithoutSourceOrPaperField) {
    spooler->printers["B"].mode.fields &= ~(DM_DEFAULTSOURCE | DM_PAPERSIZE);
    TVpPrinter& vp = Vp();
    ExpectError<EVpPrinterNotSupported>([&] { vp.GetBinNames(); }, "TVpPrinter.GetBinNames: Bin is not Supported");
    EXPECT_EQ(spooler->binsCalls, 0) << "no bin list may be read before the check";
    ExpectError<EVpPrinterNotSupported>([&] { vp.GetBinIndex(); }, "TVpPrinter.GetBinIndex: Bin is not Supported");
    ExpectError<EVpPrinterNotSupported>([&] { vp.GetBinNumber(); }, "TVpPrinter.GetBinNumber: Bin is not Supported");
    ExpectError<EVpPrinterNotSupported>([&] { vp.GetPaperSizeNames(); },
                                        "TVpPrinter.GetPaperSizeNames: PaperSize is not Supported");
    ExpectError<EVpPrinterNotSupported>([&] { vp.GetPaperSizeIndex(); },
                                        "TVpPrinter.GetPaperSizeIndex: PaperSize is not Supported");
    ExpectError<EVpPrinterNotSupported>([&] { vp.GetPaperSizeNumber(); },
                                        "TVpPrinter.GetPaperSizeNumber: PaperSize is not Supported");
    EXPECT_EQ(spooler->papersCalls, 0);
}

TEST_F(VpPrinterTest, DriverWithoutPaperOrBinList) {
    spooler->printers["B"].papers.reset();
    spooler->printers["B"].bins = std::vector<BinEntry>{};  // an empty list counts as none
    TVpPrinter& vp = Vp();
    ExpectError<EVpPrinterNoInfo>([&] { vp.GetPaperSizeNames(); },
                                  "TVpPrinter.GetPaperSizeNames: No Papersize Info Available");
    ExpectError<EVpPrinterNoInfo>([&] { vp.GetPaperSizeIndex(); },
                                  "TVpPrinter.GetPaperSizeIndex: No Papersize Info Available");
    ExpectError<EVpPrinterNoInfo>([&] { vp.GetBinNames(); }, "TVpPrinter.GetBinNames: No Bin Info Available");
    ExpectError<EVpPrinterNoInfo>([&] { vp.GetBinIndex(); }, "TVpPrinter.GetBinIndex: No Bin Info Available");
    // Every error is catchable as the layer's base class.
    EXPECT_THROW(vp.GetBinIndex(), EVpPrinter);
}

TEST_F(VpPrinterTest, ScaleIs100WithoutTheScaleField) {
    spooler->printers["B"].mode.scale = 37;  // not valid: the field flag is absent
    TVpPrinter& vp = Vp();
    EXPECT_EQ(vp.GetScale(), 100);
    UseMode("B", [](DevMode& m) {
        m.fields |= DM_SCALE;
        m.scale = 50;
    });
    EXPECT_EQ(Printer().PrinterIndex(), 2);
    EXPECT_EQ(vp.GetScale(), 100) << "the copy is taken once and kept until Refresh";
    vp.Refresh();
    EXPECT_EQ(vp.GetScale(), 50);
    UseMode("B", [](DevMode& m) {
        m.fields |= DM_SCALE;
        m.scale = 0;
    });
    vp.Refresh();
    EXPECT_EQ(vp.GetScale(), 0);
}

TEST_F(VpPrinterTest, CapabilitiesFollowTheFieldTable) {
    auto& m = spooler->printers["B"].mode;
    m.fields = DM_ORIENTATION | DM_SCALE | DM_COPIES | DM_LOGPIXELS | DM_PANNINGHEIGHT;
    TVpPrinter& vp = Vp();
    EXPECT_EQ(vp.GetCapabilities(), (1u << 0) | (1u << 4) | (1u << 5) | (1u << 14) | (1u << 16));
    EXPECT_NO_THROW(vp.CheckSupported(vpcScale, "x"));
    ExpectError<EVpPrinterNotSupported>([&] { vp.CheckSupported(vpcDuplex, "no duplex"); }, "no duplex");
}

TEST_F(VpPrinterTest, DeviceInformationIsReadOncePerPrinter) {
    TVpPrinter& vp = Vp();
    vp.GetPaperSizeNames();
    vp.GetPaperSizeIndex();
    vp.GetBinNames();
    EXPECT_EQ(spooler->papersCalls, 1);
    EXPECT_EQ(spooler->binsCalls, 1);
    // Re-read from what the snapshot holds, not from the spooler.
    vp.Refresh();
    vp.SetIndex(-1);
    vp.GetPaperSizeNames();
    EXPECT_EQ(spooler->papersCalls, 1);
    vp.SetIndex(0);
    EXPECT_EQ(spooler->papersCalls, 2) << "another printer";
    EXPECT_EQ(vp.CachedIndex(), 0);
    EXPECT_FALSE(vp.HasDevModeCopy()) << "SetIndex drops the copy after reading";
    EXPECT_EQ(vp.GetResolutions(), (std::vector<Resolution>{{180, 180}}));
    EXPECT_EQ(vp.GetMaxCopies(), 99);
    // A changed printer list is a new snapshot: everything is read again.
    spooler->Add("C");
    ASSERT_TRUE(vp.CheckForChanges());
    vp.Refresh();
    EXPECT_EQ(spooler->papersCalls, 3);
}

TEST_F(VpPrinterTest, ResolutionComesFromTheDeviceMode) {
    TVpPrinter& vp = Vp();
    EXPECT_EQ(vp.GetPixelsPerInch(), (Resolution{180, 180}));
    UseMode("B", [](DevMode& m) {
        m.printQuality = 120;
        m.yResolution = 60;
    });
    EXPECT_EQ(vp.GetPixelsPerInch(), (Resolution{120, 60}));
    UseMode("B", [](DevMode& m) { m.fields &= ~(DM_PRINTQUALITY | DM_YRESOLUTION); });
    spooler->printers["B"].resolutions = {{360, 180}};
    EXPECT_EQ(vp.GetPixelsPerInch(), (Resolution{360, 180}));
}

TEST_F(VpPrinterTest, PortNamesAreUniqueIgnoringCase) {
    spooler->ports = {"LPT1:", "lpt1:", "COM1:", "usb://x", "USB://X", "file:/tmp/a"};
    TVpPrinter& vp = Vp();
    EXPECT_EQ(vp.GetPortNames(), (std::vector<std::string>{"LPT1:", "COM1:", "usb://x", "file:/tmp/a"}));
}

TEST(VpAllPrintersInfoTest, SameMeansSameNamesAndAttributesInOrder) {
    TVpAllPrintersInfo a({{"A", 0}, {"B", 0x20}});
    EXPECT_TRUE(a.IsSame(TVpAllPrintersInfo({{"A", 0}, {"B", 0x20}})));
    EXPECT_FALSE(a.IsSame(TVpAllPrintersInfo({{"A", 0}, {"B", 0}})));
    EXPECT_FALSE(a.IsSame(TVpAllPrintersInfo({{"A", 0}, {"b", 0x20}})));
    EXPECT_FALSE(a.IsSame(TVpAllPrintersInfo({{"B", 0x20}, {"A", 0}})));
    EXPECT_FALSE(a.IsSame(TVpAllPrintersInfo({{"A", 0}})));
    EXPECT_EQ(a.Count(), 2u);
    EXPECT_EQ(a.GetName(1), "B");
    EXPECT_EQ(a.GetAttributes(1), 0x20u);
    EXPECT_TRUE(a.IsHidden(1));
}

// --- the change check -------------------------------------------------------

TEST_F(VpPrinterTest, CheckWithoutChangeChangesNothing) {
    TVpPrinter& vp = Vp();
    int raised = 0;
    vp.OnChange = [&](TVpPrinter&) { ++raised; };
    vp.GetPaperSizeIndex();
    const int cached = vp.CachedIndex();
    ASSERT_TRUE(vp.HasDevModeCopy());
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(vp.CheckForChanges());
    EXPECT_EQ(raised, 0);
    EXPECT_EQ(vp.CachedIndex(), cached);
    EXPECT_TRUE(vp.HasDevModeCopy());
    EXPECT_EQ(spooler->papersCalls, 1);
}

TEST_F(VpPrinterTest, ChangedPortsRaiseOnChangeOnly) {
    TVpPrinter& vp = Vp();
    int raised = 0;
    vp.OnChange = [&](TVpPrinter&) { ++raised; };
    vp.GetPaperSizeIndex();
    EXPECT_FALSE(vp.CheckForChanges());
    spooler->ports.push_back("usb://new");
    EXPECT_TRUE(vp.CheckForChanges());
    EXPECT_EQ(raised, 1);
    EXPECT_TRUE(vp.HasDevModeCopy());
    EXPECT_EQ(vp.CachedIndex(), 2);
    EXPECT_FALSE(vp.CheckForChanges());
    EXPECT_EQ(raised, 1);
}

TEST_F(VpPrinterTest, AddedPrinterIsSeenAfterTheCheck) {
    TVpPrinter& vp = Vp();
    int raised = 0;
    vp.OnChange = [&](TVpPrinter&) { ++raised; };
    vp.SetIndex(1);  // B
    UseMode("B", [](DevMode& m) { m.defaultSource = DMBIN_MANUAL; });
    vp.GetBinIndex();
    spooler->list.insert(spooler->list.begin(), PrinterEntry{"0-new", 0});
    spooler->printers["0-new"] = spooler->printers["A"];
    spooler->ports.push_back("port:0-new");
    // Before the check the old list holds.
    EXPECT_EQ(vp.GetPrinterNames().size(), 2u);
    EXPECT_TRUE(vp.CheckForChanges());
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(vp.CachedIndex(), -1);
    EXPECT_FALSE(vp.HasDevModeCopy());
    EXPECT_EQ(vp.GetPrinterNames(), (std::vector<std::string>{"0-new", "A", "B"}));
    // The current printer stays B, now visible 2, with the source chosen before.
    EXPECT_EQ(vp.GetIndex(), 2);
    EXPECT_EQ(vp.GetBinNumber(), DMBIN_MANUAL);
    // The ports that came with it do not count as a second change.
    EXPECT_FALSE(vp.CheckForChanges());
    EXPECT_EQ(raised, 1);
    vp.SetIndex(0);
    EXPECT_EQ(Printer().PrinterIndex(), 0);
}

TEST_F(VpPrinterTest, VanishedCurrentPrinterFallsBackToTheDefault) {
    TVpPrinter& vp = Vp();
    vp.SetIndex(0);  // A
    spooler->Remove("A");
    EXPECT_TRUE(vp.CheckForChanges());
    EXPECT_EQ(vp.GetPrinterNames(), (std::vector<std::string>{"B"}));
    EXPECT_EQ(vp.GetIndex(), 0);
    ExpectError<EVPPrinterRangeError>([&] { vp.SetIndex(1); }, "TVpPrinter.SetIndex: Index is out of Range");
    // Everything gone: a normal state, reported by the checked operations.
    spooler->list.clear();
    EXPECT_TRUE(vp.CheckForChanges());
    EXPECT_THROW(vp.GetIndex(), EVpPrinterNoPrinter);
    EXPECT_FALSE(vp.CheckForChanges());
}

TEST_F(VpPrinterTest, AttributeChangeCountsAsAChange) {
    TVpPrinter& vp = Vp();
    spooler->list[0].attributes = PRINTER_ATTRIBUTE_HIDDEN;
    EXPECT_TRUE(vp.CheckForChanges());
    EXPECT_EQ(vp.GetPrinterNames(), (std::vector<std::string>{"B"}));
}

TEST_F(VpPrinterTest, FailingSnapshotLeavesTheOldOneInPlace) {
    TVpPrinter& vp = Vp();
    spooler->failEnum = true;
    EXPECT_THROW(vp.CheckForChanges(), EOSError);
    spooler->failEnum = false;
    EXPECT_EQ(vp.GetPrinterNames().size(), 2u);
    // What was read while the spooler was away may be incomplete: the first
    // check that succeeds again counts as a change and everything is read anew.
    const int before = spooler->papersCalls;
    EXPECT_TRUE(vp.CheckForChanges());
    vp.GetPaperSizeNames();
    EXPECT_EQ(spooler->papersCalls, before + 1);
    EXPECT_FALSE(vp.CheckForChanges());
}

// --- the print job -----------------------------------------------------------

TEST_F(VpPrinterTest, JobIsSubmittedWithTitleAndDeviceMode) {
    TVpPrinter& vp = Vp();
    vp.SetIndex(0);
    UseMode("A", [](DevMode& m) {
        m.paperSize = DMPAPER_LETTER;
        m.defaultSource = DMBIN_MANUAL;
    });
    EXPECT_EQ(vp.GetCanvas(), nullptr);
    vp.BeginDoc("hoxa_NIVORA  ");
    QPainter* canvas = vp.GetCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->device()->logicalDpiX(), 180);
    // Origin at the printable area: 18 pt at 180 dpi is 45 dots.
    EXPECT_EQ(canvas->transform().map(QPointF(0, 0)), QPointF(45, 45));
    EXPECT_EQ(canvas->transform().map(QPointF(100, 100)), QPointF(145, 145));
    canvas->drawText(QPointF(100, 100), QStringLiteral("123-4567"));
    vp.EndDoc();
    EXPECT_EQ(vp.GetCanvas(), nullptr);
    ASSERT_EQ(spooler->jobs.size(), 1u);
    const auto& job = spooler->jobs[0];
    EXPECT_EQ(job.printer, "A");
    EXPECT_EQ(job.title, "hoxa_NIVORA  ");
    EXPECT_EQ(job.mode.paperSize, DMPAPER_LETTER);
    EXPECT_EQ(job.mode.defaultSource, DMBIN_MANUAL);
    EXPECT_EQ(job.mode.printQuality, 180);
    EXPECT_EQ(job.pdf.rfind("%PDF", 0), 0u);
    EXPECT_NE(job.pdf.find("%%EOF"), std::string::npos);
}

TEST_F(VpPrinterTest, NonSquareDotsScaleTheVerticalAxis) {
    TVpPrinter& vp = Vp();
    auto& b = spooler->printers["B"];
    b.mode.printQuality = 120;
    b.mode.yResolution = 60;
    b.page = PageGeometry{720, 288, 18, 36, 684, 234};
    vp.BeginDoc("t");
    QPainter* canvas = vp.GetCanvas();
    ASSERT_NE(canvas, nullptr);
    // (0,0) is 18 pt right (30 x-dots) and 36 pt down; 10 vertical dots are 1/6 inch.
    const QTransform t = canvas->transform();
    EXPECT_EQ(t.map(QPointF(0, 0)), QPointF(30, 60));
    EXPECT_EQ(t.map(QPointF(120, 60)), QPointF(150, 180));
    vp.Abort();
}

TEST_F(VpPrinterTest, AbortSubmitsNothing) {
    TVpPrinter& vp = Vp();
    vp.BeginDoc("x");
    ASSERT_NE(vp.GetCanvas(), nullptr);
    vp.Abort();
    EXPECT_EQ(vp.GetCanvas(), nullptr);
    EXPECT_TRUE(spooler->jobs.empty());
    vp.Abort();  // nothing open: no effect
    // A new job may start after the abort.
    vp.BeginDoc("y");
    vp.EndDoc();
    EXPECT_EQ(spooler->jobs.size(), 1u);
}

TEST_F(VpPrinterTest, JobStateErrors) {
    TVpPrinter& vp = Vp();
    EXPECT_THROW(vp.EndDoc(), EPrinter);
    vp.BeginDoc("a");
    EXPECT_THROW(vp.BeginDoc("b"), EPrinter);
    // No change check while a job is being drawn.
    spooler->list.pop_back();
    EXPECT_FALSE(vp.CheckForChanges());
    EXPECT_NE(vp.GetCanvas(), nullptr);
    spooler->refuseJobs = true;
    EXPECT_THROW(vp.EndDoc(), EOSError);
    EXPECT_EQ(vp.GetCanvas(), nullptr) << "a refused job is closed, not left open";
    EXPECT_TRUE(vp.CheckForChanges());
}

TEST_F(VpPrinterTest, CurrentPrinterUnknownToTheSnapshotIsAnAssertion) {
    TVpPrinter& vp = Vp();
    ASSERT_EQ(vp.GetIndex(), 1);
    // A printer added and the printer object rebuilt from the new list
    // without a change check.
    spooler->Add("C");
    static_cast<CachingSpooler&>(PrinterSpooler()).Renew(spooler->list);
    DiscardPrinter();
    Printer().SetPrinter("C", "", "", nullptr);
    try {
        vp.GetIndex();
        ADD_FAILURE() << "no assertion failure";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Assertion failure", 0), 0u) << e.what();
    }
    EXPECT_TRUE(vp.CheckForChanges());
    EXPECT_EQ(vp.GetIndex(), 2);
}

TEST_F(VpPrinterTest, SpoolerDownAtStartIsNoPrinter) {
    spooler->failEnum = true;
    TVpPrinter& vp = Vp();
    EXPECT_THROW(vp.GetPrinterNames(), EVpPrinterNoPrinter);
    spooler->failEnum = false;
    EXPECT_TRUE(vp.CheckForChanges());
    EXPECT_EQ(vp.GetPrinterNames(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(vp.GetIndex(), 1);
}

TEST(VpPrinterGlobalTest, InstanceMustBeCreated) {
    DestroyVpPrinter();
    EXPECT_THROW(VpPrinter(), EVpPrinter);
    EXPECT_THROW(Printer(), EPrinter);
}

}  // namespace
}  // namespace hoxa
