#pragma once

#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// A desktop of the test's own on the X server and session bus it runs under
// (xvfb-run and dbus-run-session, see tests/CMakeLists.txt): a window
// manager, and a StatusNotifier watcher with a host that shows the icons.
namespace DesktopSession {

// Starts the window manager; call before the QApplication exists, so that
// Qt sees what the window manager supports. Empty text when it runs,
// otherwise why not.
QString startWindowManager();
// Starts the watcher and the host and waits until the watcher reports the
// host registered, which is when Qt shows tray icons through it.
QString startStatusNotifierHost();
void stop();

// Runs the event loop until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& condition, int milliseconds = 10000);
// A D-Bus call answered while the event loop runs: the callee may be this
// very process.
QDBusMessage call(const QDBusMessage& message, int milliseconds = 10000);

} // namespace DesktopSession
