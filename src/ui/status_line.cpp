#include "ui/status_line.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QtMath>

#include <algorithm>

namespace vr::ui {

namespace {

constexpr int kTextMargin = 2; // pixels between the frame and the text
constexpr int kLampGap = 3;    // pixels between the text and the lamp
constexpr int kNarrowestStretch = QFont::Condensed;

int TextWidth(const QFont &font, const QString &text) {
    return QFontMetrics(font).horizontalAdvance(text);
}

// The font at the widest stretch (100 down to the narrowest) in which `text` takes at most
// `room` pixels; the narrowest when none does.
QFont FittedFont(const QFont &base, const QString &text, int room) {
    QFont font = base;
    font.setStretch(QFont::Unstretched);
    if (TextWidth(font, text) <= room)
        return font;
    // Narrower stretches give narrower text; the face may switch to a condensed cut on the way,
    // so the width is measured, not computed.
    int fits = kNarrowestStretch;
    int tooWide = QFont::Unstretched;
    while (tooWide - fits > 1) {
        const int middle = (fits + tooWide) / 2;
        font.setStretch(middle);
        if (TextWidth(font, text) <= room)
            fits = middle;
        else
            tooWide = middle;
    }
    font.setStretch(fits);
    return font;
}

} // namespace

StatusLine::StatusLine(const QString &text, QWidget *parent) : QLabel(text, parent) {
    // Controller bytes reach this line too; none of them is ever taken for markup.
    setTextFormat(Qt::PlainText);
}

void StatusLine::keepClearOf(QWidget *lamp) {
    lamp_ = lamp;
    update();
}

QRect StatusLine::room() const {
    QRect room = contentsRect().adjusted(kTextMargin, 0, -kTextMargin, 0);
    if (lamp_ != nullptr && lamp_->parentWidget() == this)
        room.setRight(std::min(room.right(), lamp_->geometry().left() - kLampGap - 1));
    return room;
}

const StatusLine::Fit &StatusLine::fit() const {
    const QRect space = room();
    if (fit_.valid && fit_.text == text() && fit_.baseFont == font() && fit_.room == space)
        return fit_;
    fit_.valid = true;
    fit_.text = text();
    fit_.baseFont = font();
    fit_.room = space;
    fit_.font = FittedFont(font(), text(), space.width());
    const int natural = TextWidth(fit_.font, text());
    // A face without narrower cuts (a bitmap face, for one) keeps its width whatever the
    // stretch: its glyphs are scaled instead, down to the same narrowest width.
    fit_.scale = natural > space.width()
                     ? std::max(qreal(space.width()) / natural, kNarrowestStretch / 100.0)
                     : 1.0;
    const int width = qCeil(natural * fit_.scale);
    // Centred on the whole panel, then pushed left of the lamp, but never out of the room's
    // left edge: a text wider than the room shows its start.
    const QRect panel = contentsRect();
    int left = panel.left() + (panel.width() - width) / 2;
    left = std::min(left, space.right() + 1 - width);
    left = std::max(left, space.left());
    fit_.rect = QRect(left, panel.top(), width, panel.height());
    return fit_;
}

QFont StatusLine::textFont() const {
    return fit().font;
}

qreal StatusLine::textScale() const {
    return fit().scale;
}

void StatusLine::paintEvent(QPaintEvent *event) {
    // The frame as a panel draws it; the text by this line's own rules.
    QFrame::paintEvent(event);
    const Fit &placed = fit();
    QPainter painter(this);
    // A glyph's ink may reach a pixel beyond its advance; the gaps leave room for it.
    painter.setClipRect(placed.room.adjusted(-1, 0, 1, 0));
    painter.setFont(placed.font);
    painter.translate(placed.rect.left(), 0);
    painter.scale(placed.scale, 1);
    const QRect unscaled(0, placed.rect.top(), qCeil(placed.rect.width() / placed.scale),
                         placed.rect.height());
    style()->drawItemText(&painter, unscaled, Qt::AlignLeft | Qt::AlignVCenter, palette(),
                          isEnabled(), placed.text, foregroundRole());
}

} // namespace vr::ui
