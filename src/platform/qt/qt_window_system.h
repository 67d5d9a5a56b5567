#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/window_system.h"

class Menu;

// The screen, the window's outer size and the tray menu.
class QtWindowSystem final : public WindowSystem {
public:
    // The window measured and the menu shown; both outlive this object's use.
    void attach(QWidget* window, const Menu* trayMenu);

    float screenWidthTwips() const override;
    float screenHeightTwips() const override;
    float windowWidthTwips() const override;
    float windowHeightTwips() const override;
    float twipsPerPixelX() const override;

    std::string popupMenu() override;

private:
    QSize screenSize() const;

    QPointer<QWidget> m_window;
    const Menu* m_menu = nullptr;
};
