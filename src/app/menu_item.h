#pragma once

#include <string>

#include "app/signal.h"

// An item of the tray menu; "-" is a separator line.
class MenuItem final {
public:
    MenuItem(std::string name, std::string caption) : m_name(std::move(name)), m_caption(std::move(caption)) {}

    const std::string& name() const { return m_name; }
    const std::string& caption() const { return m_caption; }
    void setCaption(std::string caption)
    {
        if (caption == m_caption)
            return;
        m_caption = std::move(caption);
        changed.emit();
    }
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled)
    {
        if (enabled == m_enabled)
            return;
        m_enabled = enabled;
        changed.emit();
    }
    bool isSeparator() const { return m_caption == "-"; }

    Signal<> clicked;
    // The caption or the enabled state changed.
    Signal<> changed;

private:
    std::string m_name;
    std::string m_caption;
    bool m_enabled = true;
};
