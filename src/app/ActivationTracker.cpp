#include "app/ActivationTracker.h"

#include <QFocusEvent>

#include <QApplication>
#include <QEvent>
#include <QWidget>

ActivationTracker::ActivationTracker(QObject *parent) : QObject(parent)
{
    // An application-wide filter sees a window's activation before the
    // window itself does, so previous_ is up to date when it asks.
    qApp->installEventFilter(this);
}

bool ActivationTracker::cameFromAnotherWindow(const QWidget *window) const
{
    return previous_ != window;
}

bool ActivationTracker::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        auto *widget = qobject_cast<QWidget *>(watched);
        // Menus and tooltips are windows too, but never the active one.
        if (widget && widget->isWindow() && widget->windowType() != Qt::Popup && widget->windowType() != Qt::ToolTip) {
            previous_ = current_;
            current_ = widget;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool windowWideFocusChange(const QEvent *e)
{
    if (e->type() != QEvent::FocusIn && e->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent *>(e)->reason();
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}
