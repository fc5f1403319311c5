// The test sheet of the print-position dialog ("テスト印刷"): a dot grid over the
// printable area and every item of the layout with a sample text and a cross at
// its anchor, moved by the margins typed in the dialog, so that the margins of a
// printer can be read off one page before they are registered.  Everything is
// solid black and whole dots wide, as a dot-matrix printer's one-bit raster
// keeps it (grey thins out into dots, a one-dot line off the dot grid breaks up).
#pragma once

#include "print/Spooler.h"
#include "print/Vp_d97Y_DotUnit.h"
#include "print/WaybillLayout.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QPainter;

namespace hoxa {

// "hoxa_NIVORA  テスト印刷"
inline constexpr const char* kCalibrationJobTitle = "hoxa_NIVORA  テスト印刷";

// Grid lines every 50 dots, ticks every 10, both from the printable area's origin.
inline constexpr int kGridStep = 50;
inline constexpr int kTickStep = 10;

// On continuous forms the sheet is printed on this many forms in a row, so that
// a page length that is not exactly one form shows as creep.
inline constexpr int kContinuousCalibrationForms = 3;

// A number of the grid: its text drawn with its cell's top-left at (x, y).
struct GridNumber {
    std::int64_t x = 0, y = 0;
    std::string text;
};

struct CalibrationSheet {
    Resolution device;                // dots per inch of the canvas
    double width = 0, height = 0;     // the printable area in dots
    std::vector<std::int64_t> gridX, gridY;  // the 50-dot lines: one dot each, the
                                             // dot at x (at y) inked
    std::vector<GridNumber> numbers;  // along the top edge (left edge at the dot),
                                      // then along the left edge (top at the dot)
    std::int64_t majorTick = 0, minorTick = 0;  // tick lengths in dots
    std::vector<WaybillItem> items;   // all twenty, sample texts, margins applied
    // An anchor's cross: arms from crossGap to crossArm dots away from the
    // anchor, crossThickness dots thick (across and down) and centred on it, so
    // that its centre stays clear.
    std::int64_t crossArm = 0, crossGap = 0;
    Resolution crossThickness;
    GridNumber info;                  // printer, feed, resolution, margins, date
};

// The sheet for `rec` (its resolution texts the effective resolution, its
// margin texts those typed in the dialog) on a page of `geometry` at `device`
// dots per inch.  Each item shows its field's text, or its caption when the
// field is empty; the check boxes do not leave any out.  `when` is the date
// and time printed on the info line.  Raises what ComputeWaybillLayout raises.
CalibrationSheet ComputeCalibrationSheet(const WaybillRecord& rec, Resolution device, const PageGeometry& geometry,
                                         std::string_view printer, std::string_view feed, std::string_view when);

// Draws the sheet on a canvas in dots from the printable area's origin (as a
// print job's): grid and ticks, numbers, items through DrawWaybill, crosses.
void DrawCalibrationSheet(QPainter& canvas, const CalibrationSheet& sheet);

// The forms one test sheet takes on a paper feed: kContinuousCalibrationForms
// on the continuous feed, else one.
int CalibrationForms(std::string_view feed);

// Draws the sheet as a page of a print job (PrintRecordsJob): the sheet of the
// record (its resolution texts the job's, its margin texts those typed) on the
// current printer's page.  The print gate sends it titled kCalibrationJobTitle.
PageDrawer CalibrationSheetDrawer(std::string_view printer, std::string_view feed, std::string_view when);

}  // namespace hoxa
