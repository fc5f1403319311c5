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

std::optional<int> RunPrinterJob(const std::string& title, std::size_t pages,
                                 const std::function<void(std::size_t, QPainter&, Resolution)>& draw,
                                 const JobProgress& progress)
{
    TVpPrinter& printer = VpPrinter();
    printer.BeginDoc(title);
    try {
        QPainter* canvas = printer.GetCanvas();
        if (!canvas) throw EPrinter("TVpPrinter.GetCanvas: No print job is open");
        const Resolution device = printer.GetPixelsPerInch();
        for (std::size_t page = 0; page < pages; ++page) {
            if (page > 0) printer.NewPage();
            canvas->save();
            draw(page, *canvas, device);
            canvas->restore();
            if (progress && !progress(page + 1, pages)) {
                AbortQuietly(printer);
                return std::nullopt;
            }
        }
    } catch (...) {
        AbortQuietly(printer);
        throw;
    }
    try {
        return printer.EndDoc();
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

std::optional<int> PrintRecordsJob(std::vector<WaybillRecord>& recs, const std::string& title,
                                   const PageDrawer& draw, const WriteResolution& writeResolution,
                                   const JobProgress& progress)
{
    const JobResolution r = CurrentJobResolution();
    for (WaybillRecord& rec : recs) {
        rec.dpix = IntToStr(r.effective.x);
        rec.dpiy = IntToStr(r.effective.y);
    }
    if (writeResolution) writeResolution(IntToStr(r.effective.x), IntToStr(r.effective.y));
    return RunPrinterJob(title, recs.size(), [&](std::size_t page, QPainter& canvas, Resolution device) {
        if (draw) draw(canvas, recs[page], device);
        else Vp_d97_Dot().SLIP97_Prn(recs[page]);
    }, progress);
}

int PrintWaybillJob(WaybillRecord& rec, const WriteResolution& writeResolution)
{
    std::vector<WaybillRecord> one{rec};
    const std::optional<int> job = PrintRecordsJob(one, kWaybillJobTitle, {}, writeResolution);
    rec = one.front();
    return job.value_or(0);
}

}  // namespace hoxa
