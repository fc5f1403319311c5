// The pictures of the window's buttons when the desktop theme has none: drawn
// here, so that they need no image plugin.
#pragma once

#include <QIcon>

namespace hoxa {

enum class Picture { Transfer, Clear, Save, Help, Mail, Printer, Margin, AppIcon };

// The theme's icon of that name, else the drawn picture; looked up and drawn once.
QIcon ButtonPicture(const char* themeName, Picture fallback);

// The drawn picture alone.
QIcon DrawnPicture(Picture picture);

}  // namespace hoxa
