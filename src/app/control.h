#pragma once

#include <string>

#include "app/signal.h"
#include "platform/twips_rect.h"

enum class ControlKind { Frame, Label, TextBox, CommandButton, ComboBox, OptionButton, CheckBox };

// One control of the window: its caption (or text), whether it takes input,
// and where it sits. A control drawn inside a frame is placed relative to it.
class Control {
public:
    Control(std::string name, ControlKind kind, std::string caption, TwipsRect rect,
            const Control* container = nullptr);
    virtual ~Control() = default;

    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return m_name; }
    ControlKind kind() const { return m_kind; }
    const TwipsRect& rect() const { return m_rect; }
    const Control* container() const { return m_container; }

    const std::string& caption() const { return m_caption; }
    void setCaption(std::string caption);

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    bool visible() const { return m_visible; }
    void setVisible(bool visible);

    // The operator clicked it; the window runs the control's click handler.
    virtual void click() { clicked.emit(); }

    // Any property changed, by the program or by the operator.
    Signal<> changed;
    Signal<> clicked;

protected:
    void notify() const { changed.emit(); }

private:
    std::string m_name;
    ControlKind m_kind;
    std::string m_caption;
    TwipsRect m_rect;
    const Control* m_container;
    bool m_enabled = true;
    bool m_visible = true;
};
