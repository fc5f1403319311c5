// The pictures of the window's buttons, drawn here at the size each button
// shows them: they need no image plugin, and no icon theme is read at start
// (reading a desktop theme's index alone costs more than building the whole
// window).
#pragma once

#include <QIcon>

namespace hoxa {

enum class Picture { Transfer, Clear, Save, Help, Mail, Printer, Margin, AppIcon };

// The drawn picture under the icon name `name` (the freedesktop name of what
// it shows); each size is drawn once, when first shown.
QIcon ButtonPicture(const char* name, Picture picture);

// The drawn picture alone.
QIcon DrawnPicture(Picture picture);

}  // namespace hoxa
