#pragma once

#include <QFont>
#include <QLabel>
#include <QPointer>
#include <QRect>

namespace vr::ui {

// The status line: a panel with one line of plain text that keeps clear of the lamp sitting at
// its right end. The text is centred on the panel where that leaves it clear of the lamp, and
// moved left as far as the lamp needs otherwise; where it is wider than the room left of the
// lamp it is drawn narrower (same pixel height and weight, down to the condensed width: a
// narrower cut of the face where it has one, else the same glyphs scaled). Only a
// text too long even then is cut, at its end, still short of the lamp.
class StatusLine : public QLabel {
    Q_OBJECT
public:
    StatusLine(const QString &text, QWidget *parent);

    // The child widget the text keeps clear of.
    void keepClearOf(QWidget *lamp);

    // The font the current text is drawn in, and how much narrower than that font's own width it
    // is drawn (1 for not at all): where a face has no narrower cut the text is scaled instead.
    QFont textFont() const;
    qreal textScale() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Fit {
        bool valid = false;
        QString text;
        QFont baseFont;
        QRect room;
        QFont font;
        qreal scale = 1;
        QRect rect;
    };

    QRect room() const;
    const Fit &fit() const;

    QPointer<QWidget> lamp_;
    mutable Fit fit_;
};

} // namespace vr::ui
