// The notification-area icon, hiding the window behind it, and the tray menu.

#include "app/flag_scope.h"
#include "app/form1.h"
#include "app/view/centring.h"
#include "platform/tray_service.h"
#include "platform/window_system.h"

void Form1::centre()
{
    const WindowSystem& screen = m_services.windowSystem;
    const TwipsPoint centred = centredOn({screen.screenWidthTwips(), screen.screenHeightTwips()},
                                         {screen.windowWidthTwips(), screen.windowHeightTwips()});
    Move(centred.left, centred.top);
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
    m_services.tray.hide();
    centre();
    m_services.tray.show(icon(), Tray::tipText());
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
    // No hide first: an icon put up by a run stays as it is.
    m_services.tray.show(icon(), Tray::tipText());
    leaveTaskbar();
}

// The tray callback: a single click (where the desktop reports one) or a
// double-click shows the window, the menu request opens the tray menu.
// Events that arrive while an earlier one is still being handled (its menu
// or About box is open) are recorded and dropped.
void Form1::Form_MouseMove(TrayService::Event event)
{
    tray.lastEvent = event;
    if (tray.busy)
        return;
    const FlagScope busy(tray.busy);
    switch (event) {
    case TrayService::Event::Activate:
    case TrayService::Event::DoubleClick:
        Show();
        Command5.setEnabled(true);
        mnuChange.setCaption("隐藏托盘");
        break;
    case TrayService::Event::ContextMenu:
        runTrayMenuItem(m_services.windowSystem.popupMenu(mnuPopUp.entries()));
        break;
    }
}

void Form1::TrayNotified(TrayService::Event event)
{
    Form_MouseMove(event);
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
        showRunnerAlert();
    }
}
