#include "ui/input_lock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

namespace vr::ui {

namespace {

bool IsOperatorInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
        return true;
    default:
        return false;
    }
}

} // namespace

InputLock::InputLock(QWidget *window) : QObject(window), window_(window) {
    QCoreApplication::instance()->installEventFilter(this);
}

InputLock::~InputLock() {
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
}

void InputLock::setLocked(bool locked) {
    locked_ = locked;
}

bool InputLock::belongsToWindow(const QObject *object) const {
    if (window_ == nullptr)
        return false;
    if (const auto *handle = qobject_cast<const QWindow *>(object))
        return handle == window_->windowHandle();
    // Walk the object tree rather than the widget's window: pop-ups of the controls are windows
    // of their own but still children of a control.
    for (const QObject *o = object; o != nullptr; o = o->parent()) {
        if (o == window_)
            return true;
    }
    return false;
}

bool InputLock::eventFilter(QObject *watched, QEvent *event) {
    if (locked_ && IsOperatorInput(event->type()) && belongsToWindow(watched))
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace vr::ui
