// Custom page sizes: as the user types them (width × length in millimetres or
// inches), as a device mode holds them, and as CUPS takes them
// ("Custom.254x101.6mm", "Custom.10x4in"), which is also how a paper feed keeps
// one in hoxa_q310.ini.
#pragma once

#include "print/Spooler.h"

#include <optional>
#include <string>
#include <string_view>

namespace hoxa {

// Width and length in points (1/72 inch), and points in inches or millimetres.
double WidthPoints(const CustomPaper& paper);
double LengthPoints(const CustomPaper& paper);
double FromPoints(double points, bool inches);

// Whether the custom size of `mode` is in force (DM_PAPERWIDTH and
// DM_PAPERLENGTH set, both sizes above 0); it then stands for the paper.
bool HasCustomPaper(const DevMode& mode);
// Puts `paper` in force in `mode`, or takes the custom size out of force.
void SetCustomPaper(DevMode& mode, const CustomPaper& paper);
void ClearCustomPaper(DevMode& mode);

// Whether the driver takes `paper` (its range, to a hundredth of a point).
bool InRange(const CustomPaper& paper, const CustomPaperRange& range);

// "Custom.254x101.6mm", "Custom.10x4in": numbers with up to three decimals.
std::string CustomPaperText(const CustomPaper& paper);
// The size such a text names; empty for any other text (another unit, a size
// of 0 or below, no number).
std::optional<CustomPaper> ParseCustomPaperText(std::string_view text);

// What the printer group shows for it: "ユーザー定義 254 x 101.6 mm".
std::string CustomPaperCaption(const CustomPaper& paper);

}  // namespace hoxa
