// Program entry: one running copy per user and display, then the main window.
// An order file named on the command line (hoxa_Nivora orders.csv) opens in the
// batch window, in the copy that is already running if there is one.
#include "app/SingleInstance.h"
#include "app/hoxa_dprintUnit.h"
#include "base/Codec.h"
#include "base/Fonts.h"
#include "base/QtTexts.h"
#include "print/CupsSpooler.h"
#include "print/PrinterWatcher.h"
#include "print/SLIP97YPrnUnit.h"
#include "print/VpPrinters.h"
#include "print/Vp_d97Y_DotUnit.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

bool HasDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

// The order file named on the command line as an absolute path; empty when
// none is named.  Only the first one counts; "--" ends the options, after
// which a name may begin with "-".
QString OrderFileArgument(const QStringList& args)
{
    bool options = true;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (options && a == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (a.isEmpty() || (options && a.startsWith(u'-'))) continue;
        return QFileInfo(a).absoluteFilePath();
    }
    return {};
}

}  // namespace

int main(int argc, char** argv)
{
    if (!HasDisplay()) {
        std::fputs("hoxa_Nivora needs a display: no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set.\n"
                   "Start it on a desktop, or without one under a virtual display:\n"
                   "    xvfb-run -a hoxa_Nivora\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);

    const QString orderFile = OrderFileArgument(QApplication::arguments());
    hoxa::SingleInstance instance;
    if (!instance.Acquire(orderFile)) return 0;  // the running copy has been brought to the front (and opens the file)

    QApplication::setApplicationName(QStringLiteral("hoxa_Nivora"));
    QApplication::setWindowIcon(hoxa::ApplicationIcon());
    hoxa::InstallFontSubstitutions();
    hoxa::InstallQtTranslation();  // Qt's own texts (context menus) in Japanese, whatever the locale
    QFont font(hoxa::ToQString("ＭＳ Ｐゴシック"));
    font.setPixelSize(16);
    QApplication::setFont(font);

    // The printer layer takes its snapshot of the installed printers before any window exists.
    hoxa::CreateVpPrinter(std::make_shared<hoxa::CupsSpooler>());

    // Windows in their order of creation; the first one's closing ends the program.
    hoxa::TForm_Main formMain;
    instance.SetActivateHandler([&formMain] { formMain.BringToFront(); });
    instance.SetOpenHandler([&formMain](const QString& file) { formMain.OpenBatchLater(file); });
    hoxa::TForm_SLIP97YPrn formSlip(&formMain, formMain.PrinterState());
    hoxa::Vp_d97_Dot();
    // Printers added or removed while the program runs.
    hoxa::PrinterWatcher printerWatcher(&formMain);
    formMain.WatchPrinters(printerWatcher);

    formMain.show();
    if (!orderFile.isEmpty()) formMain.OpenBatchLater(orderFile);
    const int rc = app.exec();
    hoxa::DestroyVpPrinter();
    return rc;
}
