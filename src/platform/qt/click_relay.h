#pragma once

#include <QObject>

#include "app/view/control_relay.h"

class Control;

// Turns a left-button release inside a widget that has no clicked signal of
// its own (labels, frames) into a click of its control.
class ClickRelay final : public QObject {
public:
    ClickRelay(Control& control, ControlRelay relay, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Control& m_control;
    ControlRelay m_relay;
};
