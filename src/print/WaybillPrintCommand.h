// The print command of the main window (F11, "印刷"): the question, then the
// window's print.
#pragma once

#include "print/Vp_d97Y_DotUnit.h"
#include "print/WaybillLayout.h"

#include <functional>

class QWidget;

namespace hoxa {

// "印刷しますか?"
inline constexpr const char* kPrintQuestion = "印刷しますか?";

// Asks "印刷しますか?" over `parent`; on anything but Yes returns false and
// prints nothing.  On Yes runs `printNow`, the window's own "print this record
// now" (which the preview's 印刷 calls too), and returns true.  Errors (no
// printer, a bad margin text, a refused job) pass to the caller, who shows them
// through Guarded.
bool RunPrintCommand(QWidget* parent, const std::function<void()>& printNow);

}  // namespace hoxa
