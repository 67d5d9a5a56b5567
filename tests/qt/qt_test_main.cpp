// Runs the view's tests in one QApplication on Qt's offscreen platform. Any
// warning Qt logs fails the test that caused it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

void failOnWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    // What the offscreen platform cannot do (raise a window, watch for a
    // notification area) is not a fault of the program.
    if (message.startsWith(QStringLiteral("This plugin does not support"))
        || message.contains(QStringLiteral("QPlatformNativeInterface::systemTrayWindowChanged")))
        return;
    ADD_FAILURE() << "Qt logged: " << message.toStdString();
}

} // namespace

int main(int argc, char* argv[])
{
    ::testing::InitGoogleTest(&argc, argv);
    // The tests need no display, wherever they are started from.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt warns without a runtime folder; CI sessions have none.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    qInstallMessageHandler(failOnWarnings);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
