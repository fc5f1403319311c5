// Draws the waybill items onto a painter whose units are printer dots.  The print
// and any preview go through this one function.
#pragma once

#include "print/WaybillLayout.h"

#include <vector>

class QFont;
class QPainter;

namespace hoxa {

// The font of an item on a device of the given vertical resolution: the face by
// its Windows name (resolved by the program's font substitutions), regular, with
// a pixel size of points * dpiY / 72 rounded half up.
QFont WaybillFont(WaybillFace face, int points, int dpiY);

// Draws every item with a non-empty text, black on opaque white, the top-left of
// its text cell at (x, y).  The painter's device gives the vertical resolution.
void DrawWaybill(QPainter& painter, const std::vector<WaybillItem>& items);

}  // namespace hoxa
