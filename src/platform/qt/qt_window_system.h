#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/window_system.h"

// The screen, the window's outer size and the tray menu.
class QtWindowSystem final : public WindowSystem {
public:
    // The window measured.
    void attach(QWidget* window);

    float screenWidthTwips() const override;
    float screenHeightTwips() const override;
    float windowWidthTwips() const override;
    float windowHeightTwips() const override;
    float twipsPerPixelX() const override;

    std::string popupMenu(const std::vector<MenuEntry>& items) override;

private:
    QSize screenSize() const;

    QPointer<QWidget> m_window;
};
