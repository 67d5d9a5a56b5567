#include "desktop_session.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace DesktopSession {

namespace {

std::vector<std::unique_ptr<QProcess>> g_helpers;

QString logOf(const QString& program)
{
    return QDir::tempPath()
        + QStringLiteral("/ondrel-desktop-%1-%2.log").arg(program).arg(QCoreApplication::applicationPid());
}

QProcess* launch(const QString& program, const QStringList& arguments, QString* problem)
{
    if (QStandardPaths::findExecutable(program).isEmpty()) {
        *problem = program + QStringLiteral(" is not installed (scripts/install-deps.sh installs it)");
        return nullptr;
    }
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(logOf(program));
    process->start(program, arguments);
    if (!process->waitForStarted(10000)) {
        *problem = program + QStringLiteral(" did not start: ") + process->errorString();
        return nullptr;
    }
    g_helpers.push_back(std::move(process));
    return g_helpers.back().get();
}

bool hostRegistered()
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments(
        {QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("IsStatusNotifierHostRegistered")});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
        && reply.arguments().front().value<QDBusVariant>().variant().toBool();
}

} // namespace

QString startWindowManager()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("no X server: run under xvfb-run");
    // openbox runs its start-up command once it manages the screen.
    const QString ready =
        QDir::tempPath() + QStringLiteral("/ondrel-desktop-wm-%1.ready").arg(QCoreApplication::applicationPid());
    QFile::remove(ready);
    QString problem;
    if (!launch(QStringLiteral("openbox"),
                {QStringLiteral("--sm-disable"), QStringLiteral("--startup"), "touch " + ready}, &problem))
        return problem;
    const QDeadlineTimer deadline(30000);
    while (!QFile::exists(ready)) {
        if (deadline.hasExpired())
            return QStringLiteral("openbox did not manage the screen within 30 s; see ") + logOf("openbox");
        QThread::msleep(50);
    }
    QFile::remove(ready);
    return {};
}

QString startStatusNotifierHost()
{
    if (!QDBusConnection::sessionBus().isConnected())
        return QStringLiteral("no session bus: run under dbus-run-session");
    QString problem;
    if (!launch(QStringLiteral("status-notifier-watcher"), {}, &problem))
        return problem;
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    if (!waitFor([&] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(watcher).value(); },
                 30000))
        return QStringLiteral("status-notifier-watcher did not take its bus name within 30 s; see ")
            + logOf("status-notifier-watcher");
    if (!launch(QStringLiteral("gtk-sni-tray-standalone"),
                {QStringLiteral("--bottom"), QStringLiteral("--beginning"), QStringLiteral("--size"),
                 QStringLiteral("32"), QStringLiteral("--color"), QStringLiteral("#203060")},
                &problem))
        return problem;
    if (!waitFor(hostRegistered, 30000))
        return QStringLiteral("the watcher reported no StatusNotifier host within 30 s; see ")
            + logOf("gtk-sni-tray-standalone");
    return {};
}

void stop()
{
    for (auto it = g_helpers.rbegin(); it != g_helpers.rend(); ++it) {
        (*it)->terminate();
        if (!(*it)->waitForFinished(5000)) {
            (*it)->kill();
            (*it)->waitForFinished(5000);
        }
    }
    g_helpers.clear();
}

bool waitFor(const std::function<bool()>& condition, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

QDBusMessage call(const QDBusMessage& message, int milliseconds)
{
    QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(message, milliseconds);
    waitFor([&] { return pending.isFinished(); }, milliseconds + 1000);
    return pending.reply();
}

} // namespace DesktopSession
