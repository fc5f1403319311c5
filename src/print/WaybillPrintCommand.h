// The print command of the main window (F11, "印刷"): the question, then the
// print job.  Controls are found by their object names (Edit_Zip, ...).
#pragma once

#include "print/WaybillLayout.h"

#include <string>

class QWidget;

namespace hoxa {

// "印刷しますか?"
inline constexpr const char* kPrintQuestion = "印刷しますか?";

// The values the print reads, from the controls of `window`.  The date is
// formatted as yyyy/MM/dd whatever the locale.
WaybillRecord ReadWaybillRecord(const QWidget& window);

// Writes the effective resolution into Label_dpix and Label_dpiy.
void WriteResolutionLabels(QWidget& window, const std::string& dpix, const std::string& dpiy);

// Asks "印刷しますか?"; on anything but Yes moves the focus to Edit_G1 and
// returns false.  On Yes prints one page on VpPrinter and returns true.  Errors
// (no printer, a bad margin text, a refused job) pass to the caller, who shows
// them through Guarded.
bool RunPrintCommand(QWidget& window);

}  // namespace hoxa
