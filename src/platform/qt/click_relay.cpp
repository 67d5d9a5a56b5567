#include "platform/qt/click_relay.h"

#include <QMouseEvent>
#include <QWidget>

#include <utility>

#include "app/control.h"

ClickRelay::ClickRelay(Control& control, ControlRelay relay, QObject* parent)
    : QObject(parent)
    , m_control(control)
    , m_relay(std::move(relay))
{
}

bool ClickRelay::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && widget && widget->isEnabled()
            && widget->rect().contains(mouse->position().toPoint())) {
            m_relay.click(m_control);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
