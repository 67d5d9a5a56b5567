#pragma once

#include <string>
#include <vector>

#include "app/form1.h"
#include "fakes/fake_executable_info.h"
#include "fakes/fake_folder_picker.h"
#include "fakes/fake_tray_service.h"
#include "fakes/fake_url_opener.h"
#include "fakes/fake_window_system.h"
#include "fakes/recording_message_box.h"
#include "platform/odbc/odbc_data_access.h"
#include "platform/posix/iconv_text_encoding.h"
#include "platform/posix/posix_file_io.h"
#include "platform/qt/qt_shell.h"

// The window as the desktop program builds it, with the real clock handed
// in, the real file system, trash and ODBC road, and recorders where a
// person would look or click (boxes, tray, dialogs).
class BenchWindow final {
public:
    BenchWindow(Clock& clock, OdbcDataAccess& odbc, const std::string& folder)
        : executable(folder, "ondrel")
        , form({clock, messages, executable, files, encoding, shell, folderPicker, tray, urls, windowSystem, odbc})
    {
        form.Form_Load();
    }

    // Fills in the server fields, the list and the backup folder; no slot.
    void job(const std::string& server, const std::string& password, const std::vector<std::string>& databases,
             const std::string& backupFolder)
    {
        form.Text1.setText(server);
        form.Text2.setText("sa");
        form.Text3.setText(password);
        for (const std::string& name : databases)
            form.Combo1.addItem(name);
        form.Text5.setText(backupFolder);
        for (TextBox* slot : {&form.Text8, &form.Text7, &form.Text6})
            slot->setText("");
    }

    RecordingMessageBox messages;
    FakeExecutableInfo executable;
    PosixFileIo files;
    IconvTextEncoding encoding;
    QtShell shell;
    FakeFolderPicker folderPicker;
    FakeTrayService tray;
    FakeUrlOpener urls;
    FakeWindowSystem windowSystem;
    Form1 form;
};
