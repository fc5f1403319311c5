// Maps the Windows font names that the windows and the waybill ask for to the
// faces installed here (IPA fonts, a Latin sans face).
#pragma once

namespace hoxa {
void InstallFontSubstitutions();
}
