#include "print/Vp_d97Y_DotUnit.h"

#include "base/cp932.h"
#include "print/TPrinter.h"
#include "print/VpPrinters.h"
#include "print/WaybillDraw.h"

#include <QPainter>

namespace hoxa {

namespace {

// Aborting must not hide the error that made us abort.
void AbortQuietly(TVpPrinter& printer) noexcept
{
    try {
        printer.Abort();
    } catch (...) {
    }
}

}  // namespace

void TVp_d97_Dot::SLIP97_Prn(const WaybillRecord& rec)
{
    const std::vector<WaybillItem> items = ComputeWaybillLayout(rec);
    TVpPrinter& printer = VpPrinter();
    QPainter* canvas = printer.GetCanvas();
    if (!canvas) throw EPrinter("TVp_d97_Dot.SLIP97_Prn: No print job is open");
    // Fonts are sized at the device's own resolution; the canvas is in its dots.
    const Resolution dpi = printer.GetPixelsPerInch();
    DrawWaybill(*canvas, items, dpi.x, dpi.y);
}

TVp_d97_Dot& Vp_d97_Dot()
{
    static TVp_d97_Dot module;
    return module;
}

void PrintWaybillJob(WaybillRecord& rec, const WriteResolution& writeResolution)
{
    TVpPrinter& printer = VpPrinter();
    const Resolution ppi = printer.GetPixelsPerInch();
    const int scale = printer.GetScale();
    rec.dpix = IntToStr(EffectiveResolution(ppi.x, scale));
    rec.dpiy = IntToStr(EffectiveResolution(ppi.y, scale));
    if (writeResolution) writeResolution(rec.dpix, rec.dpiy);

    printer.BeginDoc(kWaybillJobTitle);
    try {
        Vp_d97_Dot().SLIP97_Prn(rec);
    } catch (...) {
        AbortQuietly(printer);
        throw;
    }
    try {
        printer.EndDoc();
    } catch (...) {
        bool open = false;
        try {
            open = Printer().Printing();
        } catch (...) {
        }
        if (open) AbortQuietly(printer);
        throw;
    }
}

}  // namespace hoxa
