#include "platform/qt/click_relay.h"

#include <QMouseEvent>
#include <QWidget>

#include "app/control.h"
#include "platform/qt/guard.h"

ClickRelay::ClickRelay(Control& control, QObject* parent) : QObject(parent), m_control(control) {}

bool ClickRelay::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && widget && widget->isEnabled()
            && widget->rect().contains(mouse->position().toPoint())) {
            runGuarded("click", [this] { m_control.click(); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
