// The notification-area icon, hiding the window behind it, and the tray menu.

#include <cmath>

#include "app/flag_scope.h"
#include "app/form1.h"
#include "platform/tray_service.h"
#include "platform/window_system.h"

void Form1::centre()
{
    const WindowSystem& screen = m_services.windowSystem;
    Move((screen.screenWidthTwips() - screen.windowWidthTwips()) / 2,
         (screen.screenHeightTwips() - screen.windowHeightTwips()) / 2);
}

// Off the taskbar only where the tray icon can bring the window back.
void Form1::leaveTaskbar()
{
    if (m_services.tray.isAvailable() && m_showInTaskbar) {
        m_showInTaskbar = false;
        windowChanged.emit();
    }
}

// Puts a fresh icon into the tray when a run starts; the window stays visible.
void Form1::iconm()
{
    tray.prepareDelete();
    m_services.tray.notify(TrayService::Delete, tray.nid);
    centre();
    tray.prepareAdd(static_cast<std::uint32_t>(icon()));
    m_services.tray.notify(TrayService::Add, tray.nid);
    leaveTaskbar();
}

// "托盘": hides the window behind the tray icon.
void Form1::Command5_Click()
{
    stops.setCaption(Command1.caption() == "开始运行" ? "开始运行" : "停止备份");
    Command5.setEnabled(false);
    mnuChange.setCaption("显示窗口");
    Hide();
    centre();
    // No delete first: an icon put up by a run stays as it is.
    tray.prepareAdd(static_cast<std::uint32_t>(icon()));
    m_services.tray.notify(TrayService::Add, tray.nid);
    leaveTaskbar();
}

// The tray reports its mouse events here, the event's code standing in for
// the horizontal position.
void Form1::Form_MouseMove(int, int, float x, float)
{
    tray.lastMessage = static_cast<std::int32_t>(std::lround(x / m_services.windowSystem.twipsPerPixelX()));
    if (tray.busy)
        return;
    const FlagScope busy(tray.busy);
    if (tray.lastMessage == NotifyIconData::kLeftDoubleClick) {
        Show();
        Command5.setEnabled(true);
        mnuChange.setCaption("隐藏托盘");
    } else if (tray.lastMessage == NotifyIconData::kRightButtonUp) {
        runTrayMenuItem(m_services.windowSystem.popupMenu());
    }
}

void Form1::TrayNotified(int messageCode)
{
    // One scale both ways: the code comes back whatever the screen's density.
    Form_MouseMove(0, 0, static_cast<float>(messageCode) * m_services.windowSystem.twipsPerPixelX(), 0);
}

void Form1::TrayMenuChosen(const std::string& item)
{
    // While an earlier tray event is still being handled (its About box is
    // open, say), a choice is dropped as the tray callback drops events.
    if (tray.busy)
        return;
    const FlagScope busy(tray.busy);
    runTrayMenuItem(item);
}

void Form1::runTrayMenuItem(const std::string& item)
{
    if (MenuItem* chosen = mnuPopUp.find(item); chosen && !chosen->isSeparator() && chosen->enabled())
        chosen->clicked.emit();
}

void Form1::mnuChange_Click()
{
    if (Command5.enabled()) {
        Command5.setEnabled(false);
        mnuChange.setCaption("显示窗口");
        Hide();
    } else {
        Command5.setEnabled(true);
        mnuChange.setCaption("隐藏托盘");
        Show();
    }
}
