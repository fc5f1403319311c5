// The waybill page as the print preview shows it: the paper of the current
// printer with its printable area, the items exactly as the print draws them,
// where each empty item would print (its caption), and which items leave the
// printable area.  No widgets: the preview window only scales and paints this.
#pragma once

#include "print/Spooler.h"
#include "print/WaybillLayout.h"

#include <cstdint>
#include <string>
#include <vector>

class QPainter;

namespace hoxa {

// A rectangle in printer dots.
struct DotRect {
    double x = 0, y = 0, width = 0, height = 0;

    double Right() const { return x + width; }
    double Bottom() const { return y + height; }
    bool Contains(const DotRect& r) const
    {
        return r.x >= x && r.y >= y && r.Right() <= Right() && r.Bottom() <= Bottom();
    }
};

// One row of the layout table on the page.
struct PageRow {
    int number = 0;
    std::string caption;   // ItemCaption(number), CP932
    bool prints = false;   // the print draws a text here
    std::int64_t x = 0;    // top-left of the text cell, dots from the printable area's origin
    std::int64_t y = 0;
    WaybillFace face = WaybillFace::Mincho;
    int captionPoints = 0; // size the caption is shown at: the item's own, smaller
                           // where it would run into the next item of its line
    DotRect box;           // the text's cell (the caption's for an empty item),
                           // in the printable area's coordinates
    bool outside = false;  // a text that leaves the printable area, or an empty
                           // item whose place lies outside it
};

struct WaybillPage {
    Resolution device;         // dots per inch of the page (the print canvas's units)
    DotRect paper;             // (0, 0, width, height)
    DotRect printable;         // on the paper
    DotRect extent;            // the paper and every row's cell: what a view must show
    std::vector<WaybillItem> items;  // ComputeWaybillLayout: what the print draws
    std::vector<PageRow> rows;       // all twenty rows, in table order
};

// The page of a print of `rec` (its resolution texts the effective resolution,
// its margin texts the feed's margins) on a page of `geometry` drawn at `device`
// dots per inch.  Raises what ComputeWaybillLayout raises.  Items left out by
// the two check boxes count as empty.
WaybillPage ComputeWaybillPage(const WaybillRecord& rec, Resolution device, const PageGeometry& geometry);

// The page a print of `rec` would draw now on VpPrinter's current printer: its
// effective resolution, its page, rec's margins.  Raises what the print raises
// before it draws: no printer, a printer the spooler no longer knows, a margin
// that is not an integer.
WaybillPage PreviewOfPrint(WaybillRecord rec);

// The largest size from `points` down that keeps `text` within `room` dots (at
// least kSmallestCaptionPoints); `room` 0 or below: no limit.
inline constexpr int kSmallestCaptionPoints = 4;
int FitPoints(const std::string& text, WaybillFace face, int points, double room, Resolution device);

// The cell of `text` drawn at (x, y) in the item's face and size, in dots.
DotRect TextCell(const std::string& text, WaybillFace face, int points, std::int64_t x, std::int64_t y,
                 Resolution device);

// Paints the page, one painter unit one dot, the paper's top-left at the origin:
// white paper, the non-printable border shaded, the captions of the empty items
// faint, the items through DrawWaybill exactly as the print draws them, and a
// red frame round every row outside the printable area.
void DrawWaybillPage(QPainter& painter, const WaybillPage& page);

}  // namespace hoxa
