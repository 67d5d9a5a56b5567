#pragma once

class ComboBox;
class Control;
class ControlRelay;
class QComboBox;
class QWidget;
enum class ControlKind;

// The Qt side of one kind of model control: the widget that renders it,
// what of the model is written into it, and which of its signals are the
// operator's input.
class ControlKindAdapter {
public:
    virtual ~ControlKindAdapter() = default;

    // The widget, a child of parent, its input relayed to the model.
    virtual QWidget* create(Control& control, QWidget* parent, const ControlRelay& relay) const = 0;
    // What the model holds beyond whether the control is enabled and visible.
    virtual void render(const Control& control, QWidget* widget) const = 0;
};

const ControlKindAdapter& adapterFor(ControlKind kind);
