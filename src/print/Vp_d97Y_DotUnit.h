// The print module: draws the waybill page onto the open print job, and the
// print job itself (resolution, job title, abort on error) that the print
// command of the main window runs after its question.
#pragma once

#include "print/WaybillLayout.h"

#include <functional>
#include <string>

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

// Writes the effective resolution as decimal texts (Label_dpix, Label_dpiy).
using WriteResolution = std::function<void(const std::string& dpix, const std::string& dpiy)>;

// The print job on VpPrinter: effective resolution from the printer's dots per inch and scale
// (a scale of 0 counts as 100), written through `writeResolution` and into
// rec.dpix / rec.dpiy; BeginDoc with kWaybillJobTitle; SLIP97_Prn; EndDoc.
// When drawing fails the job is aborted and the error passed on; when the hand-
// over at EndDoc fails, a job left open is aborted too, so that the next print
// can start.
void PrintWaybillJob(WaybillRecord& rec, const WriteResolution& writeResolution);

}  // namespace hoxa
