// Ondrel on Windows: the window model with the Win32 seams, its view and
// the tick of its timer; with --service, --install-service or
// --uninstall-service, the background service (win32_service.cpp).

#include "app/form1.h"
#include "platform/odbc/odbc_data_access.h"
#include "platform/win32/guard.h"
#include "platform/win32/main_window.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/tick_driver.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_executable_info.h"
#include "platform/win32/win32_file_io.h"
#include "platform/win32/win32_folder_picker.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_schedule_lock.h"
#include "platform/win32/win32_service.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_text_encoding.h"
#include "platform/win32/win32_tray_service.h"
#include "platform/win32/win32_url_opener.h"
#include "platform/win32/win32_window_system.h"
#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // The background service and its installation, in the same program.
    int count = 0;
    if (LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        const std::wstring first = count > 1 ? arguments[1] : L"";
        ::LocalFree(arguments);
        if (first == L"--service")
            return Win32Service::run();
        if (first == L"--install-service")
            return Win32Service::install();
        if (first == L"--uninstall-service")
            return Win32Service::uninstall();
    }

    // The manifest asks for the common controls of version 6; they register
    // their window classes when the library starts.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);

    Win32Clock clock;
    Win32MessageBox messageBox;
    Win32ExecutableInfo executable;
    Win32FileIo files;
    Win32TextEncoding encoding;
    Win32Shell shell;
    Win32FolderPicker folderPicker;
    Win32TrayService tray;
    Win32UrlOpener urlOpener;
    Win32WindowSystem windowSystem;
    OdbcDataAccess dataAccess;
    Win32ScheduleLock scheduleLock;

    Form1 form({clock, messageBox, executable, files, encoding, shell, folderPicker, tray, urlOpener, windowSystem,
                dataAccess, scheduleLock});
    Win32::runGuarded("Form_Load", [&] { form.Form_Load(); });
    if (form.unloaded())
        return 0;

    Win32::MainWindow window(form);
    if (!window.handle())
        return 1;
    messageBox.setOwner(window.handle());
    windowSystem.attach(window.handle());
    tray.attach(window.handle());
    window.onTaskbarCreated([&tray] { tray.addAgain(); });
    Win32::TickDriver ticks(form.Timer1, [&form] { form.Timer1_Timer(); });

    window.start();
    return Win32::MessageLoop(window.handle()).run();
}
