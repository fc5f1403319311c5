// Draws the waybill items onto a painter whose units are printer dots.  The print
// and any preview go through this one function.
#pragma once

#include "print/WaybillLayout.h"

#include <vector>

class QFont;
class QPainter;

namespace hoxa {

// The font of an item on a device of dpiX x dpiY dots per inch: the face by its
// Windows name (resolved by the program's font substitutions), regular, with a
// pixel size of points * dpiY / 72 rounded half up.  On a device whose dots are
// not square the font is stretched by dpiX / dpiY, so that its glyphs keep their
// shape on paper.
QFont WaybillFont(WaybillFace face, int points, int dpiX, int dpiY);

// Draws every item with a non-empty text, black on opaque white, the top-left of
// its text cell at (x, y).  One painter unit is one dot of a dpiX x dpiY device.
void DrawWaybill(QPainter& painter, const std::vector<WaybillItem>& items, int dpiX, int dpiY);
// The same with the resolution the painter's device reports.
void DrawWaybill(QPainter& painter, const std::vector<WaybillItem>& items);

}  // namespace hoxa
