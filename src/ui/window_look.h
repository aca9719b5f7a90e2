#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

namespace vr::ui {

// The seven text styles of the main window, as pixel heights at 96 dpi.
enum class TextStyle {
    Window,  // 16 px bold: buttons, the group box, the lock box
    Display, // 16 px bold: value panels, lists, edit boxes, the status line
    Label,   // 13 px regular
    Clock,   // 13 px bold
    Small,   // 11 px regular
    Pages,   // 16 px regular: the page control and btnCommand
    Footer,  // 11 px regular, the footer panel
};

// A sans-serif face near the original design's, with CJK faces after it so that Chinese
// captions fall back to a face that has their characters.
QFont WindowFont(TextStyle style);

// Fixed colours of the design.
inline const QColor clYellow{255, 255, 0};
inline const QColor clWhite{255, 255, 255};
inline const QColor clRed{255, 0, 0};
inline const QColor clPurple{128, 0, 128};

// The platform's colour scheme, taken from the application palette.
QColor clHighlight();
QColor clGrayText();
QColor clActiveCaption();
QColor clBtnFace();
QColor clWindowText();

} // namespace vr::ui
