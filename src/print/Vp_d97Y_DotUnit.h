// The print module: draws the waybill page onto the open print job, and the
// print job itself (resolution, job title, pages, abort on error) that the
// print gate (PrintGate.h) runs after its questions.
#pragma once

#include "print/WaybillLayout.h"

#include "print/Spooler.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// After each page drawn: the pages done and the pages in all.  Answering false
// cancels the job before anything reaches the spooler.
using JobProgress = std::function<bool(std::size_t done, std::size_t total)>;

// One job of `pages` pages on VpPrinter: BeginDoc(title), draw(page, canvas,
// device) for each page (in printer dots from the printable area's top-left,
// `device` dots per inch) with a new page of the same size between two pages,
// EndDoc.  Returns the spooler's number of the job, or nullopt when `progress`
// cancelled it (nothing sent).  When drawing fails the job is aborted and the
// error passed on; when the hand-over at EndDoc fails, a job left open is
// aborted too, so that the next print can start.
std::optional<int> RunPrinterJob(const std::string& title, std::size_t pages,
                                 const std::function<void(std::size_t page, QPainter& canvas, Resolution device)>& draw,
                                 const JobProgress& progress = {});

// Writes the effective resolution as decimal texts (Label_dpix, Label_dpiy).
using WriteResolution = std::function<void(const std::string& dpix, const std::string& dpiy)>;

// Draws one record as a page: `rec` holds the job's effective resolution in
// its resolution texts, the canvas is in dots of a `device` dots-per-inch page.
using PageDrawer = std::function<void(QPainter& canvas, const WaybillRecord& rec, Resolution device)>;

// The print job of one page per record on VpPrinter: the effective resolution
// (CurrentJobResolution) written through `writeResolution` and into every
// record's dpix / dpiy, then RunPrinterJob titled `title`, each page drawn by
// `draw`, or by SLIP97_Prn, as the single print draws it, when `draw` is empty.
std::optional<int> PrintRecordsJob(std::vector<WaybillRecord>& recs, const std::string& title,
                                   const PageDrawer& draw, const WriteResolution& writeResolution,
                                   const JobProgress& progress = {});

// One waybill: PrintRecordsJob with kWaybillJobTitle and SLIP97_Prn.  Returns
// the job's number.
int PrintWaybillJob(WaybillRecord& rec, const WriteResolution& writeResolution);

}  // namespace hoxa
