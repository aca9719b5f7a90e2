#pragma once

#include <QColor>
#include <QWidget>

namespace vr::ui {

// A round lamp: an ellipse filling the widget, drawn with a thin black outline and filled with
// the brush colour.
class LampShape : public QWidget {
    Q_OBJECT
public:
    LampShape(const QColor &brushColour, QWidget *parent);

    QColor brushColour() const { return brushColour_; }
    void setBrushColour(const QColor &colour);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor brushColour_;
};

} // namespace vr::ui
