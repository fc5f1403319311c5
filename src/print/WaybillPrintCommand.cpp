#include "print/WaybillPrintCommand.h"

#include "base/MsgBox.h"

namespace hoxa {

bool RunPrintCommand(QWidget* parent, WaybillRecord rec, const WriteResolution& writeResolution)
{
    if (!AskYesNo(parent, kPrintQuestion)) return false;
    PrintWaybillJob(rec, writeResolution);
    return true;
}

}  // namespace hoxa
