#pragma once

#include <string>
#include <vector>

#include "fakes/form_harness.h"
#include "platform/odbc/odbc_data_access.h"
#include "platform/posix/freedesktop_shell.h"

// The window as the desktop program builds it, with the real clock handed
// in, the real file system, trash and ODBC road, and recorders where a
// person would look or click (boxes, tray, dialogs).
class BenchWindow final {
public:
    BenchWindow(Clock& clock, OdbcDataAccess& odbc)
        : harness(FormHarness::Seams{.clock = &clock, .shell = &shell, .dataAccess = &odbc})
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

    FreedesktopShell shell;
    FormHarness harness;
    Form1& form = harness.form;
    RecordingMessageBox& messages = harness.messages;
};
