#include "ui/lamp_shape.h"

#include <QPainter>

#include <algorithm>

namespace vr::ui {

LampShape::LampShape(const QColor &brushColour, QWidget *parent)
    : QWidget(parent), brushColour_(brushColour) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LampShape::setBrushColour(const QColor &colour) {
    if (colour == brushColour_)
        return;
    brushColour_ = colour;
    update();
}

QRect LampShape::circleRect() const {
    // The spare pixels of the longer side go to both ends, the odd one to the far end: a
    // 23 x 20 lamp draws its circle in columns 1 to 20.
    const int side = std::min(width(), height());
    return {(width() - side) / 2, (height() - side) / 2, side, side};
}

void LampShape::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(brushColour_);
    // The outline's centre runs half a pixel inside the square, so that it stays whole.
    painter.drawEllipse(QRectF(circleRect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace vr::ui
