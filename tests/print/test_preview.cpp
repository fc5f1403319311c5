// The print preview (F10) and the margin dialog's test sheet, driven through
// the main window on a scripted spooler: the preview's page against the printed
// PDF rasterised by pdftoppm, printing and closing, the window size kept, the
// print's errors before the window, the page model's captions and outside
// marks, and the test sheet read back (grid numbers, crosses, texts).
#include "registration_test_util.h"

#include "base/errors.h"
#include "cross_finder.h"
#include "layout_readback.h"
#include "print/CalibrationSheet.h"
#include "print/PrinterRegistration.h"
#include "print/Vp_d97Y_DotUnit.h"
#include "print/WaybillPage.h"
#include "print/WaybillPreviewUnit.h"

#include <QImage>
#include <QPlainTextEdit>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cmath>

using namespace hoxa;
using namespace hoxa::regtest;

namespace {

constexpr int kDpi = 180;  // the scripted printer's

// The job's PDF rasterised at kDpi.
QImage Rasterise(const std::string& pdf, const QTemporaryDir& dir)
{
    const QString in = dir.filePath(QStringLiteral("job.pdf"));
    QFile f(in);
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(pdf.data(), static_cast<qint64>(pdf.size()));
    f.close();
    const QString out = dir.filePath(QStringLiteral("job"));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-png"),
                                         QStringLiteral("-singlefile"), in, out});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    return QImage(out + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// Bounding box of the dark pixels inside `area`.
QRect Ink(const QImage& img, const QRect& area)
{
    QRect box;
    const QRect r = area.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(img.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
    return box;
}

// The item's cell on the paper, `pad` dots larger, cut off above the next item
// below it so that only its own ink counts.
QRect AroundBox(const WaybillPage& page, const PageRow& row, int pad)
{
    double bottom = row.box.Bottom() + pad;
    for (const PageRow& other : page.rows) {
        const bool below = other.y > row.y && other.box.x < row.box.Right() && row.box.x < other.box.Right();
        if (below) bottom = std::min(bottom, static_cast<double>(other.y) - 1);
    }
    return QRectF(QPointF(page.printable.x + row.box.x - pad, page.printable.y + row.box.y - pad),
                  QPointF(page.printable.x + row.box.Right() + pad, page.printable.y + bottom))
        .toAlignedRect();
}

class Preview : public RegistrationTest {
protected:
    TForm_Main& StartOnePrinter()
    {
        spooler->Add("EPSON VP-D500");
        return Start();
    }

    // The sample waybill typed into the window.
    void FillSample()
    {
        const WaybillRecord s = test::SampleWaybill();
        const std::pair<const char*, std::string> fields[] = {
            {"Edit_Zip", s.zip},     {"Edit_Add1", s.add1},     {"Edit_Add2", s.add2},
            {"Edit_Custo1", s.custo1}, {"Edit_tel", s.tel},     {"Edit_MyZip", s.myZip},
            {"Edit_MyADD1", s.myAdd1}, {"Edit_MyADD2", s.myAdd2}, {"Edit_My", s.my},
            {"Edit_MyTEL", s.myTel}, {"Edit_G1", s.g1},         {"Edit_G2", s.g2},
            {"Edit_G3", s.g3},       {"Edit_de_date1", s.deDate1}, {"Edit_de_date2", s.deDate2},
            {"Edit_de_date3", s.deDate3}};
        for (const auto& [name, text] : fields) E(name)->SetText(text);
        C<QCheckBox>("CheckBox_Date_1")->setChecked(true);
        C<QCheckBox>("CheckBox_My")->setChecked(true);
    }

    // F10 as the keyboard gives it, with `drive` run in the preview.
    void F10(std::function<void(TForm_WaybillPreview*)> drive)
    {
        WhenModalShows<TForm_WaybillPreview>(std::move(drive));
        QTest::keyClick(E("Edit_Zip"), Qt::Key_F10);
    }

    static QPushButton* Button(QWidget* d, const char* name) { return In<QPushButton>(d, name); }
};

// ------------------------------------------------------------------ the preview

TEST_F(Preview, PrintFromThePreviewPrintsOnceWhatThePreviewShowed)
{
    StartOnePrinter();
    FillSample();
    C<QLabel>("Label_Prn_Top")->setText(QStringLiteral("10"));
    C<QLabel>("Label_Prn_Left")->setText(QStringLiteral("-5"));
    auto* f10 = C<QToolButton>("SpeedButton_F10");
    EXPECT_EQ(FromQString(f10->text()), "プレビュー");
    EXPECT_TRUE(f10->isEnabled());

    WaybillPage shown;
    bool fits = false;
    F10([&](TForm_WaybillPreview* d) {
        EXPECT_EQ(FromQString(d->windowTitle()), "印刷プレビュー");
        EXPECT_TRUE(spooler->jobs.empty());
        shown = d->Page();
        fits = d->FitsWindow();
        EXPECT_EQ(FromQString(In<QLabel>(d, "Label_Printer")->text()), "プリンタが登録されていないため、「EPSON VP-D500」に印刷します");
        // Enter presses the button that has the focus: 印刷 without marks.
        ASSERT_EQ(d->focusWidget(), Button(d, "BitBtn_Print"));
        QTest::keyClick(d->focusWidget(), Qt::Key_Return);
    });
    EXPECT_TRUE(fits) << "opens fitted to the window";
    ASSERT_EQ(spooler->jobs.size(), 1u);
    EXPECT_EQ(spooler->jobs[0].title, kWaybillJobTitle);
    EXPECT_TRUE(boxes.empty()) << "no question: the preview's 印刷 prints at once";
    EXPECT_EQ(FromQString(C<QLabel>("Label_dpix")->text()), "180");

    // The page the preview showed, painted at the printer's resolution, against
    // the printed page rasterised at the same: every item's ink within one dot.
    ASSERT_EQ(shown.device, (Resolution{kDpi, kDpi}));
    ASSERT_EQ(shown.items.size(), 20u);
    QImage mine(static_cast<int>(std::ceil(shown.paper.width)), static_cast<int>(std::ceil(shown.paper.height)),
                QImage::Format_RGB32);
    {
        QPainter p(&mine);
        DrawWaybillPage(p, shown);
    }
    QTemporaryDir dir;
    const QImage printed = Rasterise(spooler->jobs[0].pdf, dir);
    ASSERT_FALSE(printed.isNull()) << "pdftoppm";
    for (const PageRow& row : shown.rows) {
        SCOPED_TRACE(row.number);
        EXPECT_TRUE(row.prints);
        EXPECT_FALSE(row.outside);
        const QRect area = AroundBox(shown, row, 4);
        const QRect a = Ink(mine, area), b = Ink(printed, area);
        ASSERT_FALSE(a.isEmpty());
        ASSERT_FALSE(b.isEmpty());
        EXPECT_LE(std::abs(a.left() - b.left()), 1);
        EXPECT_LE(std::abs(a.top() - b.top()), 1);
        EXPECT_LE(std::abs(a.right() - b.right()), 1);
        EXPECT_LE(std::abs(a.bottom() - b.bottom()), 1);
    }
    // The margins are in: the destination name starts 5 dots left and 10 down
    // of its place without them.
    const PageRow& name = shown.rows[10];
    EXPECT_EQ(name.x, UnitsToDots(ResolutionFactor(kDpi), 210, -5));
    EXPECT_EQ(name.y, UnitsToDots(ResolutionFactor(kDpi), 250, 10));
}

TEST_F(Preview, EscapeAndCloseLeaveNothingPrintedAndTheSizeIsKeptUnderItsOwnKeys)
{
    StartOnePrinter();
    struct Seen {
        double fit = 0, in = 0, actual = 0;
        QSize view;
        QSizeF paperInches;
        double screenDpi = 0, logicalDpi = 0;
    } seen;
    F10([&](TForm_WaybillPreview* d) {
        seen.fit = d->Zoom();
        QTest::keyClick(d, Qt::Key_Plus, Qt::ControlModifier);
        seen.in = d->Zoom();
        Button(d, "BitBtn_ActualSize")->click();
        seen.actual = d->Zoom();
        auto* view = In<QWidget>(d, "PreviewPage");
        seen.view = view->size();
        const QScreen* screen = view->screen();
        seen.screenDpi = screen->geometry().width() * 25.4 / screen->physicalSize().width();
        seen.logicalDpi = view->logicalDpiX();
        seen.paperInches = QSizeF(d->Page().paper.width / kDpi, d->Page().paper.height / kDpi);
        QTest::keyClick(d, Qt::Key_Minus, Qt::ControlModifier);
        EXPECT_LT(d->Zoom(), 1.0);
        QWheelEvent up(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
        QApplication::sendEvent(In<QScrollArea>(d, "ScrollBox_Page")->viewport(), &up);
        EXPECT_NEAR(d->Zoom(), 1.0, 1e-9) << "the wheel zooms";
        d->resize(520, 410);
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_NEAR(seen.in, seen.fit * 1.25, 1e-9);
    EXPECT_EQ(seen.actual, 1.0);
    // One printer inch, one inch of the screen by its physical size (not its logical dpi).
    ASSERT_GT(std::abs(seen.screenDpi - seen.logicalDpi), 2.0);
    EXPECT_NEAR(seen.view.width() - 24, seen.paperInches.width() * seen.screenDpi, 1.0);
    EXPECT_TRUE(spooler->jobs.empty());
    EXPECT_TRUE(boxes.empty());
    // Only the preview's own section, CP932 with CR LF.
    EXPECT_EQ(ReadFile("hoxa_NIVORA.ini"), "[hoxa_Preview]\r\nWidth=520\r\nHeight=410\r\n");

    QSize reopened;
    F10([&](TForm_WaybillPreview* d) {
        reopened = d->size();
        Button(d, "BitBtn_Close")->click();
    });
    EXPECT_EQ(reopened, QSize(520, 410));
    EXPECT_TRUE(spooler->jobs.empty());
    // The exit's keys follow in their own section, untouched by the preview's.
    form->close();
    const std::string ini = ReadFile("hoxa_NIVORA.ini");
    EXPECT_EQ(ini.rfind("[hoxa_Preview]\r\nWidth=520\r\nHeight=410\r\n[hx_NIVORAprn]\r\nAddr_Font=1\r\n", 0), 0u)
        << ini;
}

TEST_F(Preview, WhatWouldStopThePrintIsShownBeforeTheWindowOpens)
{
    struct Case {
        const char* what;
        std::function<void()> breakIt;
    };
    const Case cases[] = {
        {"a margin with a point", [this] { C<QLabel>("Label_Prn_Left")->setText(QStringLiteral("2.5")); }},
        {"the printer gone from the spooler", [this] { spooler->printers.clear(); }},
    };
    StartOnePrinter();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.breakIt();
        boxes.clear();
        answers = {true};
        Key(Qt::Key_F11);
        // The print's error: after its question, or before it for a printer
        // that cannot take the job.
        ASSERT_FALSE(boxes.empty());
        ASSERT_EQ(boxes.back().kind, BoxKind::Error);
        const std::string printError = boxes.back().text;

        boxes.clear();
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (auto* d = qobject_cast<TForm_WaybillPreview*>(QApplication::activeModalWidget())) {
                opened = true;
                d->reject();
            }
        });
        C<QToolButton>("SpeedButton_F10")->click();
        EXPECT_FALSE(opened);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].kind, BoxKind::Error);
        EXPECT_EQ(boxes[0].text, printError);
    }
    EXPECT_TRUE(spooler->jobs.empty());
}

TEST_F(Preview, ItOpensWhateverThePrinterAndItsPrintAsksTheSafetyQuestions)
{
    spooler->Add("EPSON VP-D500").stopped = true;
    WriteFile("hoxa_q310.ini", "[手差し]\r\nPrnName=Gone\r\nPrnNoIndex=0\r\n");
    Start();
    // A name taken for a heading stays marked after the transfer.
    C<QPlainTextEdit>("Memo1")->setPlainText(Q("【お届け先】\n〒150-0001\n東京都渋谷区神宮前9-8-7\n架空 花子 様\n03-0000-1234\n"));
    C<QToolButton>("BitBtn_1")->click();
    C<QLabel>("Label_Prn_Top")->setText(QStringLiteral("-60"));  // the first line leaves the printable area
    boxes.clear();
    const std::vector<std::string> questions = {
        "確認が必要な欄があります。このまま印刷しますか?",
        "印刷できる範囲の外に出る項目があります (でんわ、郵便番号)。このまま印刷しますか?",
        "登録されたプリンタ「Gone」が見つかりません。「EPSON VP-D500」に印刷しますか?",
        "プリンタ「EPSON VP-D500」は停止中です。印刷は再開後に行われます。送りますか?"};
    bool openAfterNo = false, openAfterYes = true;
    F10([&](TForm_WaybillPreview* d) {
        EXPECT_TRUE(boxes.empty()) << "looking asks nothing";
        EXPECT_EQ(FromQString(In<QLabel>(d, "Label_Printer")->text()),
                  "登録されたプリンタ「Gone」が見つからないため、「EPSON VP-D500」に印刷します (停止中です。印刷は再開後に行われます)");
        EXPECT_EQ(FromQString(In<QLabel>(d, "Label_Marks")->text()).rfind("確認が必要な欄: おなまえ (", 0), 0u);
        EXPECT_EQ(d->focusWidget(), Button(d, "BitBtn_Close")) << "while marks stand";
        answers = {true, false};
        Button(d, "BitBtn_Print")->click();
        openAfterNo = d->isVisible();
        answers = {true, true, true, true};
        Button(d, "BitBtn_Print")->click();
        openAfterYes = d->isVisible();
    });
    EXPECT_TRUE(openAfterNo);
    EXPECT_FALSE(openAfterYes);
    std::vector<std::string> asked;
    for (const apptest::Box& b : boxes) asked.push_back(b.text);
    std::vector<std::string> want(questions.begin(), questions.begin() + 2);
    want.insert(want.end(), questions.begin(), questions.end());
    EXPECT_EQ(asked, want) << "no 「印刷しますか?」";
    EXPECT_EQ(spooler->jobs.size(), 1u);
}

TEST_F(Preview, NoPrinterIsThePrintsErrorToo)
{
    Start();
    printerBoxes.clear();
    C<QToolButton>("SpeedButton_F10")->click();
    ASSERT_EQ(printerBoxes.size(), 1u);
    EXPECT_EQ(printerBoxes[0].text, "TVpPrinter.CheckNoPrinter: No Printer.");
}

// The page model on its own: a narrow printable area and a top margin that
// lifts the first line off it; empty items keep their places by caption.
TEST(WaybillPageModel, CaptionsForEmptyItemsAndMarksForWhatLeavesThePrintableArea)
{
    WaybillRecord rec = test::SampleWaybill();
    rec.add2.clear();
    rec.zip.clear();
    rec.printSender = false;
    rec.prnTop = "-40";  // line y 30 (34 dots) moves above the area
    // Printable area 760 x 1000 dots from (18 pt, 18 pt): the goods lines at
    // 810 dots and the dates right of them start outside it.
    const PageGeometry g{595, 842, 18, 18, 760 * 72.0 / kDpi, 1000 * 72.0 / kDpi};
    const WaybillPage page = ComputeWaybillPage(rec, {kDpi, kDpi}, g);
    EXPECT_DOUBLE_EQ(page.printable.x, 45);
    EXPECT_DOUBLE_EQ(page.printable.width, 760);
    ASSERT_EQ(page.rows.size(), 20u);

    std::vector<int> empty, outside;
    for (const PageRow& r : page.rows) {
        EXPECT_EQ(r.caption, std::string(ItemCaption(r.number)));
        if (!r.prints) empty.push_back(r.number);
        if (r.outside) outside.push_back(r.number);
    }
    EXPECT_EQ(empty, (std::vector<int>{7, 8, 10, 15, 16, 17, 18, 19, 20}));
    EXPECT_EQ(outside, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 12, 13, 14}));
    EXPECT_EQ(page.rows[6].caption, "お届け先郵便番号");
    EXPECT_EQ(page.rows[19].caption, "ご依頼主おなまえ");
    // A caption that would run into the next item of its line is shown smaller.
    const PageRow& zip1 = page.rows[6];
    const PageRow& zip2 = page.rows[7];
    EXPECT_LT(zip1.captionPoints, 8);
    EXPECT_LE(zip1.box.Right(), static_cast<double>(zip2.x));
    EXPECT_EQ(page.rows[9].captionPoints, 10) << "room enough: the item's own size";
    // What prints is exactly the print's item list.
    EXPECT_EQ(page.items.size(), 14u);
}

TEST(ActualSize, TheLogicalDpiWhereTheScreensPhysicalSizeIsUnknownOrAbsurd)
{
    const QPointF logical(96, 96);
    const QSize hd(1920, 1080);
    EXPECT_EQ(ActualSizePixelsPerInch({508, 254}, hd, logical), QPointF(96, 108));  // a 20-inch monitor
    // Unknown, an aspect ratio only, a projector's guess, across and down disagreeing.
    for (const QSizeF mm : {QSizeF(0, 0), QSizeF(16, 9), QSizeF(1600, 900), QSizeF(508, 150)})
        EXPECT_EQ(ActualSizePixelsPerInch(mm, hd, logical), logical) << mm.width();
}

// ------------------------------------------------------------- the test sheet

TEST_F(Preview, TestSheetUsesTheTypedMarginsAndKeepsTheDialogOpen)
{
    StartOnePrinter();
    E("Edit_Custo1")->SetText("山田太郎");
    C<QCheckBox>("CheckBox_My")->setChecked(false);  // the sheet shows every item all the same
    bool openAfterPrint = false;
    WithMarginDialog([&](TForm_SLIP97YPrn* d) {
        auto* test = In<QPushButton>(d, "BitBtn_TestPrint");
        EXPECT_EQ(FromQString(test->text()), "テスト印刷");
        EXPECT_EQ(test->geometry(), QRect(30, 130, 122, 25));
        EXPECT_EQ(d->frameGeometry().size(), QSize(190, 192));
        ClearBox(TopBox(d));
        TypeInto(TopBox(d), "10");
        ClearBox(LeftBox(d));
        TypeInto(LeftBox(d), "-5");
        test->click();
        openAfterPrint = d->isVisible();
        d->reject();
    });
    EXPECT_TRUE(openAfterPrint);
    EXPECT_TRUE(boxes.empty());
    // Nothing registered: the typed margins were only tried.
    EXPECT_FALSE(Exists("hoxa_q310.ini"));
    EXPECT_EQ(Label("Label_Prn_Top"), "0");
    ASSERT_EQ(spooler->jobs.size(), 1u);
    EXPECT_EQ(spooler->jobs[0].title, kCalibrationJobTitle);

    const auto& page = spooler->printers["EPSON VP-D500"].page;  // 18 pt border
    const double left = page.left * kDpi / 72.0, top = page.top * kDpi / 72.0;
    QTemporaryDir dir;
    QTemporaryFile pdf;
    ASSERT_TRUE(pdf.open());
    pdf.write(spooler->jobs[0].pdf.data(), static_cast<qint64>(spooler->jobs[0].pdf.size()));
    pdf.close();
    QString error;
    const auto pages = test::ReadPdfWords(pdf.fileName(), &error);
    ASSERT_EQ(pages.size(), 1u) << error.toStdString();

    // Grid numbers: along the top the left edge at the dot, along the left the
    // top at the dot, counted from the printable area's origin.
    int top50 = 0, left50 = 0;
    for (const auto& w : pages[0].words) {
        bool number = false;
        const int n = w.text.toInt(&number);
        if (!number || n % kGridStep != 0) continue;
        const double x = w.xMin * kDpi / 72.0 - left;
        const double y = w.yMin * kDpi / 72.0 - top;
        if (y < 30) {
            EXPECT_NEAR(x, n, 1.0) << "top " << n;
            ++top50;
        } else if (x < 30) {
            EXPECT_NEAR(y, n, 1.0) << "left " << n;
            ++left50;
        }
    }
    const int width = static_cast<int>(page.printableWidth * kDpi / 72.0);
    const int height = static_cast<int>(page.printableHeight * kDpi / 72.0);
    EXPECT_EQ(top50, width / kGridStep + 1);
    EXPECT_EQ(left50, height / kGridStep);

    // Items: every one, at its place plus the typed margins; the typed text
    // where there is one, else the caption.
    WaybillRecord rec = form->CurrentWaybill();
    rec.printSender = true;
    rec.dpix = rec.dpiy = "180";
    rec.prnTop = "10";
    rec.prnLeft = "-5";
    const auto items = ComputeWaybillLayout(rec);
    ASSERT_EQ(items.size(), 20u);
    const QImage raster = Rasterise(spooler->jobs[0].pdf, dir);
    ASSERT_FALSE(raster.isNull());
    const test::InkAt ink = [&](int x, int y) { return raster.valid(x, y) && qGray(raster.pixel(x, y)) < 128; };
    const CalibrationSheet sheet = ComputeCalibrationSheet(rec, {kDpi, kDpi}, page, "", "", "");
    std::vector<WaybillItem> texts;
    for (const WaybillItem& item : items) {
        SCOPED_TRACE(item.number);
        const double x = left + static_cast<double>(item.x), y = top + static_cast<double>(item.y);
        const auto c = test::CrossCentre(ink, static_cast<int>(x), static_cast<int>(y),
                                         static_cast<int>(sheet.crossArm), static_cast<int>(sheet.crossGap), 4);
        ASSERT_TRUE(c.has_value());
        EXPECT_NEAR(c->x(), x, 1.0);
        EXPECT_NEAR(c->y(), y, 1.0);
        if (item.number == 11 || item.number == 20) {
            WaybillItem t = item;
            t.text = item.number == 11 ? "山田太郎" : "ご依頼主おなまえ";
            texts.push_back(t);
        }
    }
    for (const auto& f : test::CompareWithPage(texts, pages[0], kDpi, kDpi, 1.0, page.left, page.top))
        ADD_FAILURE() << f;
    // The info line names printer, feed, resolution and the margins used.
    QString all;
    for (const auto& w : pages[0].words) all += w.text + QLatin1Char(' ');
    for (const char* part : {"EPSON", "VP-D500", "手差し", "180x180dpi", "上", "10", "左", "-5"})
        EXPECT_TRUE(all.contains(ToQString(part))) << part;
}

}  // namespace
