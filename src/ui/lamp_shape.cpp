#include "ui/lamp_shape.h"

#include <QPainter>

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

void LampShape::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(brushColour_);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace vr::ui
