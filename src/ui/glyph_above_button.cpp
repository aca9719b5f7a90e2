#include "ui/glyph_above_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace vr::ui {

namespace {
constexpr int kGlyphSpacing = 4; // pixels between the picture and the caption
}

void GlyphAboveButton::paintEvent(QPaintEvent *) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);

    // The bevel and focus frame as the style draws them, without its own picture and caption.
    QStyleOptionButton bevel = option;
    bevel.text.clear();
    bevel.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, bevel);

    const QRect content = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const QSize glyph = iconSize();
    const QRect textBounds =
        option.fontMetrics.boundingRect(content, Qt::AlignHCenter | Qt::TextWordWrap, option.text);
    const int blockHeight = glyph.height() + kGlyphSpacing + textBounds.height();
    const int top = content.top() + (content.height() - blockHeight) / 2;
    const bool pressed = option.state & (QStyle::State_Sunken | QStyle::State_On);
    const int shift = pressed ? 1 : 0;

    const QRect glyphRect(content.left() + (content.width() - glyph.width()) / 2 + shift,
                          top + shift, glyph.width(), glyph.height());
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    icon().paint(&painter, glyphRect, Qt::AlignCenter, mode);

    const QRect textRect(content.left() + shift, glyphRect.bottom() + 1 + kGlyphSpacing,
                         content.width(), textBounds.height());
    style()->drawItemText(&painter, textRect, Qt::AlignHCenter | Qt::TextWordWrap, option.palette,
                          isEnabled(), option.text, QPalette::ButtonText);
}

} // namespace vr::ui
