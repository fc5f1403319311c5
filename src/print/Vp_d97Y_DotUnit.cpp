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

JobResolution CurrentJobResolution()
{
    TVpPrinter& printer = VpPrinter();
    const Resolution ppi = printer.GetPixelsPerInch();
    const int scale = printer.GetScale();
    JobResolution r;
    r.device = ppi;
    r.effective.x = static_cast<std::int32_t>(EffectiveResolution(ppi.x, scale));
    r.effective.y = static_cast<std::int32_t>(EffectiveResolution(ppi.y, scale));
    return r;
}

void RunPrinterJob(const std::string& title, const std::function<void(QPainter&, Resolution)>& draw)
{
    TVpPrinter& printer = VpPrinter();
    printer.BeginDoc(title);
    try {
        QPainter* canvas = printer.GetCanvas();
        if (!canvas) throw EPrinter("TVpPrinter.GetCanvas: No print job is open");
        draw(*canvas, printer.GetPixelsPerInch());
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

void PrintWaybillJob(WaybillRecord& rec, const WriteResolution& writeResolution)
{
    const JobResolution r = CurrentJobResolution();
    rec.dpix = IntToStr(r.effective.x);
    rec.dpiy = IntToStr(r.effective.y);
    if (writeResolution) writeResolution(rec.dpix, rec.dpiy);
    RunPrinterJob(kWaybillJobTitle, [&rec](QPainter&, Resolution) { Vp_d97_Dot().SLIP97_Prn(rec); });
}

}  // namespace hoxa
