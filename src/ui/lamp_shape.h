#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>

namespace vr::ui {

// A round lamp: a circle as wide as the shorter side of the widget, centred along the longer
// one, drawn with a thin black outline and filled with the brush colour.
class LampShape : public QWidget {
    Q_OBJECT
public:
    LampShape(const QColor &brushColour, QWidget *parent);

    QColor brushColour() const { return brushColour_; }
    void setBrushColour(const QColor &colour);

    // The square the circle is drawn in, outline included, in the widget's coordinates.
    QRect circleRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor brushColour_;
};

} // namespace vr::ui
