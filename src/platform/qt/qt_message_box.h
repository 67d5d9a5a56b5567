#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/message_box.h"

// A modal box with the title, the text and an OK button, no icon. Its
// nested event loop keeps the schedule's ticks coming while it is open.
class QtMessageBox final : public MessageBox {
public:
    // The window the box belongs to while that window is visible; a hidden
    // window (in the tray) leaves the box on its own.
    void setOwner(QWidget* window) { m_owner = window; }

    void show(const std::string& text, const std::string& title, int style) override;

    // The text as the box shows it: CR LF is a line break.
    static QString displayText(const std::string& text);

private:
    QPointer<QWidget> m_owner;
};
