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
#include "platform_seams.h"

// A window with every seam replaced by a test double but the platform's
// own files and GBK, in a temporary folder of its own: the one place tests
// and benchmarks build a window's services. By default the
// in-process fake database answers; a test of the real road hands in the
// ODBC data access instead.
class FormHarness final {
public:
    // Seams of the caller's own in place of the doubles: the real clock,
    // shell, folder dialog, tray or data access of a platform.
    struct Seams {
        Clock* clock = nullptr;
        Shell* shell = nullptr;
        FolderPicker* folderPicker = nullptr;
        TrayService* tray = nullptr;
        DataAccess* dataAccess = nullptr;
    };

    // The GBK service is the real one; another code page name stands for a
    // system that lacks the converter.
    explicit FormHarness(DataAccess* dataAccess = nullptr, const std::string& gbkCodePage = "GBK")
        : FormHarness(Seams{.dataAccess = dataAccess}, gbkCodePage)
    {
    }
    explicit FormHarness(Seams seams, const std::string& gbkCodePage = "GBK")
        : shell(temp.path() / "trash")
        , executable(temp.text(), "ondrel")
        , encoding(gbkCodePage)
        , form({seams.clock ? *seams.clock : clock, messages, executable, files, encoding,
                seams.shell ? *seams.shell : shell, seams.folderPicker ? *seams.folderPicker : folderPicker,
                seams.tray ? *seams.tray : tray, urls, windowSystem, seams.dataAccess ? *seams.dataAccess : fakeDb, scheduleLock})
    {
    }

    TempFolder temp;
    FakeClock clock;
    RecordingMessageBox messages;
    TestShell shell;
    FakeExecutableInfo executable;
    PlatformFileIo files;
    PlatformTextEncoding encoding;
    FakeFolderPicker folderPicker;
    FakeTrayService tray;
    FakeUrlOpener urls;
    FakeWindowSystem windowSystem;
    FakeDataAccess fakeDb;
    PlatformScheduleLock scheduleLock;
    Form1 form;
};
