#pragma once

#include <filesystem>
#include <memory>

#include "app/form1.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_data_access.h"
#include "fakes/fake_executable_info.h"
#include "fakes/fake_folder_picker.h"
#include "fakes/fake_tray_service.h"
#include "fakes/fake_url_opener.h"
#include "fakes/fake_window_system.h"
#include "fakes/recording_message_box.h"
#include "fakes/temp_folder.h"
#include "fakes/test_shell.h"
#include "platform/posix/iconv_text_encoding.h"
#include "platform/posix/posix_file_io.h"

// A window with every seam replaced by a test double, in a temporary
// folder of its own. By default the in-process fake database answers; a
// test of the real road hands in the ODBC data access instead.
class FormHarness final {
public:
    // The GBK service is the real one; another code page name stands for a
    // system that lacks the converter.
    explicit FormHarness(DataAccess* dataAccess = nullptr, const std::string& gbkCodePage = "GBK")
        : shell(temp.path() / "trash")
        , executable(temp.path().string(), "ondrel")
        , encoding(gbkCodePage)
        , form({clock, messages, executable, files, encoding, shell, folderPicker, tray, urls, windowSystem,
                dataAccess ? *dataAccess : fakeDb})
    {
    }

    TempFolder temp;
    FakeClock clock;
    RecordingMessageBox messages;
    TestShell shell;
    FakeExecutableInfo executable;
    PosixFileIo files;
    IconvTextEncoding encoding;
    FakeFolderPicker folderPicker;
    FakeTrayService tray;
    FakeUrlOpener urls;
    FakeWindowSystem windowSystem;
    FakeDataAccess fakeDb;
    Form1 form;
};
