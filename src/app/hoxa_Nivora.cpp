// Program entry: one running copy per user and display, then the main window.
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

    hoxa::SingleInstance instance;
    if (!instance.Acquire()) return 0;  // the running copy has been brought to the front

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
    hoxa::TForm_SLIP97YPrn formSlip(&formMain, formMain.PrinterState());
    hoxa::Vp_d97_Dot();
    // Printers added or removed while the program runs.
    hoxa::PrinterWatcher printerWatcher(&formMain);
    formMain.WatchPrinters(printerWatcher);

    formMain.show();
    const int rc = app.exec();
    hoxa::DestroyVpPrinter();
    return rc;
}
