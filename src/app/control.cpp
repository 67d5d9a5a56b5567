#include "app/control.h"

Control::Control(std::string name, ControlKind kind, std::string caption, TwipsRect rect, const Control* container)
    : m_name(std::move(name))
    , m_kind(kind)
    , m_caption(std::move(caption))
    , m_rect(rect)
    , m_container(container)
{
}

void Control::setCaption(std::string caption)
{
    if (caption == m_caption)
        return;
    m_caption = std::move(caption);
    notify();
}

void Control::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    notify();
}

void Control::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    notify();
}
