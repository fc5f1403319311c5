// One whole print through a private CUPS server (run by with_cupsd.sh): the
// main window, F11, Yes; one page arrives, titled "hoxa_NIVORA  ", with the
// waybill's texts at their places.
#include "app/hoxa_dprintUnit.h"
#include "base/Codec.h"
#include "base/MsgBox.h"
#include "print/CupsSpooler.h"
#include "print/VpPrinters.h"
#include "print/layout_readback.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cups/cups.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using namespace hoxa;
using namespace hoxa::test;

namespace {

struct JobInfo {
    int id = 0;
    std::string title;
    ipp_jstate_t state = IPP_JSTATE_PENDING;
};

std::vector<JobInfo> Jobs(const char* queue)
{
    std::vector<JobInfo> out;
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue, 0, CUPS_WHICHJOBS_ALL);
    for (int i = 0; i < n; ++i) out.push_back({jobs[i].id, jobs[i].title ? jobs[i].title : "", jobs[i].state});
    cupsFreeJobs(n, jobs);
    return out;
}

int PdfPages(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    p.waitForFinished(30000);
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n'))
        if (line.startsWith(QStringLiteral("Pages:"))) return line.mid(6).trimmed().toInt();
    return -1;
}

}  // namespace

TEST(LayoutCups, F11YesPrintsOnePageTitled)
{
    const char* queue = std::getenv("HOXA_CUPS_PDF");
    const char* out = std::getenv("HOXA_CUPS_OUT");
    if (!queue || !out) GTEST_SKIP() << "run through tests/print/with_cupsd.sh";

    // The window reads and writes its files in the current folder.
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work.path()));

    CreateVpPrinter(std::make_shared<CupsSpooler>());
    std::vector<std::string> asked;
    // Boxes are answered here: Yes to the question; the start in an empty folder
    // may report its missing files, which does not concern printing.
    bool answer = true;
    SetMessageBoxHook([&](BoxKind kind, const std::string& text) {
        if (kind == BoxKind::Question) asked.push_back(text);
        return kind == BoxKind::Question && answer;
    });
    {
        TForm_Main w;
        w.show();
        QApplication::processEvents();

        int index = -1;
        const auto& names = VpPrinter().GetPrinterNames();
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == queue) index = static_cast<int>(i);
        ASSERT_GE(index, 0);
        VpPrinter().SetIndex(index);

        auto set = [&](const char* name, const char* text) {
            auto* e = w.Control<QLineEdit>(name);
            ASSERT_NE(e, nullptr) << name;
            e->setText(ToQString(text));
        };
        set("Edit_Zip", "123-4567");
        set("Edit_Add1", "東京都千代田区丸の内");
        set("Edit_Custo1", "山田太郎");
        set("Edit_G1", "衣料品");

        // F11 in an entry field, as the user presses it.  No: nothing is
        // printed and the focus goes to goods line 1.
        asked.clear();
        answer = false;
        w.activateWindow();
        auto* field = w.Control<QLineEdit>("Edit_Custo1");
        field->setFocus();
        QTest::keyClick(field, Qt::Key_F11);
        QApplication::processEvents();
        EXPECT_EQ(asked.size(), 1u);
        EXPECT_EQ(QApplication::focusWidget(), w.Control<QWidget>("Edit_G1"));
        EXPECT_TRUE(Jobs(queue).empty());

        // Yes: one job.
        asked.clear();
        answer = true;
        field->setFocus();
        QTest::keyClick(field, Qt::Key_F11);
        QApplication::processEvents();
        SetMessageBoxHook(nullptr);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0], "印刷しますか?");
        w.close();
    }

    // The job reaches the queue and completes.
    QElapsedTimer t;
    t.start();
    std::vector<JobInfo> jobs;
    while (t.elapsed() < 30000) {
        jobs = Jobs(queue);
        if (jobs.size() == 1 && jobs[0].state >= IPP_JSTATE_STOPPED) break;
        QThread::msleep(100);
    }
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].title, "hoxa_NIVORA  ");
    EXPECT_EQ(jobs[0].state, IPP_JSTATE_COMPLETED);

    const QString pdf = QString::fromLocal8Bit(out) + QStringLiteral("/") +
                        QString::fromLocal8Bit(queue) + QStringLiteral(".out");
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(PdfPages(pdf), 1);
    QString error;
    const auto pages = ReadPdfWords(pdf, &error);
    ASSERT_EQ(pages.size(), 1u) << error.toStdString();
    QStringList words;
    for (const auto& word : pages[0].words) words << word.text;
    for (const QString& want : {QStringLiteral("123"), QStringLiteral("4567"),
                                QStringLiteral(u"東京都千代田区丸の内"), QStringLiteral(u"山田太郎"),
                                QStringLiteral(u"衣料品")})
        EXPECT_TRUE(words.contains(want)) << want.toStdString();

    DestroyVpPrinter();
    QDir::setCurrent(before);
}
