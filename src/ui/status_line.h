#pragma once

#include <QFont>
#include <QLabel>
#include <QPointer>
#include <QRect>

namespace vr::ui {

// The status line: a panel with one line of plain text that keeps clear of the lamp sitting at
// its right end. The text is centred on the panel where that leaves it clear of the lamp, and
// moved left as far as the lamp needs otherwise; where it is wider than the room left of the
// lamp it is drawn narrower (same pixel height and weight, down to the condensed width). Only a
// text too long even then is cut, at its end, still short of the lamp.
class StatusLine : public QLabel {
    Q_OBJECT
public:
    StatusLine(const QString &text, QWidget *parent);

    // The child widget the text keeps clear of.
    void keepClearOf(QWidget *lamp);

    // The font the current text is drawn in.
    QFont textFont() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Fit {
        bool valid = false;
        QString text;
        QFont baseFont;
        QRect room;
        QFont font;
        QRect rect;
    };

    QRect room() const;
    const Fit &fit() const;

    QPointer<QWidget> lamp_;
    mutable Fit fit_;
};

} // namespace vr::ui
