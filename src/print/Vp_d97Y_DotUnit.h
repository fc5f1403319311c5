// The print module: draws the waybill page onto the open print job, and the
// print job itself (resolution, job title, abort on error) that the print
// command of the main window runs after its question.
#pragma once

#include "print/WaybillLayout.h"

#include "print/Spooler.h"

#include <functional>
#include <string>

class QPainter;

namespace hoxa {

// The job title of every waybill: "hoxa_NIVORA" and two blanks.
inline constexpr const char* kWaybillJobTitle = "hoxa_NIVORA  ";

class TVp_d97_Dot {
public:
    // Draws the whole page onto VpPrinter's canvas.  The layout is computed
    // before anything is drawn, so a bad margin or resolution text raises
    // EConvertError with the page still blank.  Errors pass to the caller.
    void SLIP97_Prn(const WaybillRecord& rec);
};

// The single print module of the program.
TVp_d97_Dot& Vp_d97_Dot();

// The current printer's dots per inch (the canvas's units) and the effective
// resolution the layout is computed at: dots per inch * 100 / scale, a scale of 0
// counting as 100.  Raises the printer layer's no-printer error.
struct JobResolution {
    Resolution device;
    Resolution effective;
};
JobResolution CurrentJobResolution();

// One job on VpPrinter: BeginDoc(title), draw on the job's canvas (in printer
// dots from the printable area's top-left, `device` dots per inch), EndDoc.
// When drawing fails the job is aborted and the error passed on; when the hand-
// over at EndDoc fails, a job left open is aborted too, so that the next print
// can start.
void RunPrinterJob(const std::string& title, const std::function<void(QPainter& canvas, Resolution device)>& draw);

// Writes the effective resolution as decimal texts (Label_dpix, Label_dpiy).
using WriteResolution = std::function<void(const std::string& dpix, const std::string& dpiy)>;

// The print job on VpPrinter: the effective resolution (CurrentJobResolution)
// written through `writeResolution` and into rec.dpix / rec.dpiy, then
// RunPrinterJob with kWaybillJobTitle drawing SLIP97_Prn.
void PrintWaybillJob(WaybillRecord& rec, const WriteResolution& writeResolution);

}  // namespace hoxa
