// The desktop tests run on a real X server with a window manager and a
// StatusNotifier host of their own, which they start before any test.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>

#include "desktop_session.h"

int main(int argc, char* argv[])
{
    ::testing::InitGoogleTest(&argc, argv);
    // Qt chooses between the XEmbed tray and the StatusNotifier host on X11.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ondrel"));

    // Qt decides once per process whether a StatusNotifier host shows its
    // tray icons: the host must be registered before the first icon.
    for (const QString& problem : {DesktopSession::startWindowManager(), DesktopSession::startStatusNotifierHost()}) {
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "desktop tests cannot run: %s\n", qPrintable(problem));
            DesktopSession::stop();
            return 1;
        }
    }
    const int result = RUN_ALL_TESTS();
    DesktopSession::stop();
    return result;
}
