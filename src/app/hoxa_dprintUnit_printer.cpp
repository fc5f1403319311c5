// Printer group of the main window.
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

namespace hoxa {

void TForm_Main::SpeedButton_PRNSETClick()
{
    // The printer registration completes this (printer refresh).
}

void TForm_Main::SpeedButton_PrnIdGetClick()
{
    // The printer registration completes this (load the feed's printer and margins).
}

void TForm_Main::ComboBox_SELChange()
{
    // The printer registration completes this (calls SpeedButton_PrnIdGetClick).
}

void TForm_Main::BitBtn_PrnSetClick()
{
    // The printer registration completes this (register the feed's printer).
}

void TForm_Main::BitBtn_PrnSet2Click()
{
    // The printer registration completes this (margin dialog).
}

}  // namespace hoxa
