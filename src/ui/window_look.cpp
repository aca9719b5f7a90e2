#include "ui/window_look.h"

#include <QApplication>
#include <QStringList>

namespace vr::ui {

namespace {

QStringList FamiliesFor(TextStyle style) {
    // The footer is designed in the TrueType face, everything else in the bitmap one; where
    // neither exists the next metric-compatible or plain sans-serif face stands in.
    QStringList families;
    if (style != TextStyle::Footer)
        families << QStringLiteral("MS Sans Serif");
    families << QStringLiteral("Microsoft Sans Serif") << QStringLiteral("Arial")
             << QStringLiteral("Liberation Sans") << QStringLiteral("DejaVu Sans")
             << QStringLiteral("Microsoft YaHei") << QStringLiteral("Microsoft JhengHei")
             << QStringLiteral("SimSun") << QStringLiteral("PMingLiU")
             << QStringLiteral("WenQuanYi Micro Hei") << QStringLiteral("Noto Sans CJK SC")
             << QStringLiteral("Noto Sans CJK TC") << QStringLiteral("Droid Sans Fallback");
    return families;
}

} // namespace

QFont WindowFont(TextStyle style) {
    QFont font;
    font.setFamilies(FamiliesFor(style));
    font.setStyleHint(QFont::SansSerif);
    // Every property set explicitly, so that nothing is inherited from the parent's font.
    font.setItalic(false);
    font.setBold(false);
    switch (style) {
    case TextStyle::Window:
    case TextStyle::Display:
        font.setPixelSize(16);
        font.setBold(true);
        break;
    case TextStyle::Label:
        font.setPixelSize(13);
        break;
    case TextStyle::Clock:
        font.setPixelSize(13);
        font.setBold(true);
        break;
    case TextStyle::Small:
    case TextStyle::Footer:
        font.setPixelSize(11);
        break;
    case TextStyle::Pages:
        font.setPixelSize(16);
        break;
    }
    return font;
}

QColor clHighlight() {
    return QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

QColor clGrayText() {
    return QApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
}

// Qt has no role for the active title bar; the selection colour is its closest kin in every
// scheme (both dark blue in the classic one).
QColor clActiveCaption() {
    return clHighlight();
}

QColor clBtnFace() {
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

QColor clWindowText() {
    return QApplication::palette().color(QPalette::Active, QPalette::WindowText);
}

} // namespace vr::ui
