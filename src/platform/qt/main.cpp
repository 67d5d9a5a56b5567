// Ondrel on the desktop: the window model with the Qt seams, its view and
// the tick of its timer.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/form1.h"
#include "platform/odbc/odbc_data_access.h"
#include "platform/posix/iconv_text_encoding.h"
#include "platform/posix/posix_executable_info.h"
#include "platform/posix/posix_file_io.h"
#include "platform/posix/posix_schedule_lock.h"
#include "platform/posix/system_clock.h"
#include "platform/qt/guard.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_folder_picker.h"
#include "platform/qt/qt_message_box.h"
#include "platform/posix/freedesktop_shell.h"
#include "platform/qt/qt_tray_service.h"
#include "platform/qt/qt_url_opener.h"
#include "platform/qt/qt_window_system.h"
#include "platform/qt/tick_driver.h"

int main(int argc, char* argv[])
{
    // Under Wayland a client can neither place its window nor read the
    // mouse position, which centring and the tray menu need: XWayland can.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY")
        && qgetenv("XDG_SESSION_TYPE") == "wayland")
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ondrel"));

    // Qt's own texts (dialog buttons, the fields' context menus) in Chinese,
    // like the window's.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    SystemClock clock;
    QtMessageBox messageBox;
    PosixExecutableInfo executable;
    PosixFileIo files;
    IconvTextEncoding encoding;
    FreedesktopShell shell;
    QtFolderPicker folderPicker;
    QtTrayService tray;
    QtUrlOpener urlOpener;
    QtWindowSystem windowSystem;
    OdbcDataAccess dataAccess;
    PosixScheduleLock scheduleLock;

    Form1 form({clock, messageBox, executable, files, encoding, shell, folderPicker, tray, urlOpener, windowSystem,
                dataAccess, scheduleLock});
    runGuarded("Form_Load", [&] { form.Form_Load(); });
    if (form.unloaded())
        return 0;

    MainWindow window(form);
    messageBox.setOwner(&window);
    folderPicker.setOwner(&window);
    windowSystem.attach(&window);
    window.attachTray(tray);
    TickDriver ticks(form.Timer1, [&form] { form.Timer1_Timer(); });

    window.start();
    return QApplication::exec();
}
