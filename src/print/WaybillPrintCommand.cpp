#include "print/WaybillPrintCommand.h"

#include "base/MsgBox.h"

namespace hoxa {

bool RunPrintCommand(QWidget* parent, const std::function<void()>& printNow)
{
    if (!AskYesNo(parent, kPrintQuestion)) return false;
    printNow();
    return true;
}

}  // namespace hoxa
