#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace vr::ui {

// Locks a window against the operator without greying it out: while locked, an application-wide
// event filter swallows every mouse, key, wheel, touch and context-menu event aimed at the
// window, its controls or a pop-up that belongs to it (an open list of a drop-down). Painting,
// timers and everything else go on, so the status line and the lamp stay readable and live.
class InputLock : public QObject {
    Q_OBJECT
public:
    explicit InputLock(QWidget *window);
    ~InputLock() override;

    void setLocked(bool locked);
    bool isLocked() const { return locked_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool belongsToWindow(const QObject *object) const;

    QPointer<QWidget> window_;
    bool locked_ = false;
};

} // namespace vr::ui
