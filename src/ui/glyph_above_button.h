#pragma once

#include <QPushButton>

namespace vr::ui {

// A push button whose picture sits above its caption, both centred as one block.
class GlyphAboveButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace vr::ui
