// Texts that Qt draws itself: its own strings (context menus, standard buttons)
// in Japanese, and menus wide enough for their captions.
#pragma once

class QMenu;

namespace hoxa {

// Loads Qt's Japanese translation (qtbase_ja from Qt's translations folder)
// into the application, whatever the locale; once per process.  False when it
// is not installed: Qt's texts then stay English.
bool InstallQtTranslation();

// Makes a menu wide enough that every caption is drawn whole.  The style sizes
// an item on whole pixels but lays its caption out on fractional advances and
// elides what does not fit, so a proportional font can lose the last pixel.
void WidenForCaptions(QMenu* menu);

}  // namespace hoxa
