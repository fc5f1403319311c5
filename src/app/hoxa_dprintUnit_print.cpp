// Print command of the main window.
#include "app/hoxa_dprintUnit.h"

#include "print/WaybillPrintCommand.h"

#include "ui_hoxa_dprintUnit.h"

namespace hoxa {

// F11 / "印刷": asks "印刷しますか?"; No puts the focus into Edit_G1, Yes prints
// the waybill as one page on the current printer.  A missing registered
// printer or a stopped one is asked about first.  Errors reach the error box
// through the caller's guard.
void TForm_Main::SpeedButton_F11Click()
{
    if (!ConfirmPrintTarget()) return;
    RunPrintCommand(*this);
}

}  // namespace hoxa
