#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace vr::ui {

// Pictures of the main window, all drawn for this program.
QPixmap MagnifierPicture(); // 16 x 16, btnScan
QPixmap ToolboxPicture();   // 32 x 32 toolbox with a circuit board, btnFactory
QIcon WindowIconPicture();  // 16 x 16 keypad controller (and larger sizes for the desktop)

// Two characters in red on white, 34 x 16: the pictures of btnGB and btnBIG5.
QPixmap LanguagePicture(const QString &characters);

} // namespace vr::ui
