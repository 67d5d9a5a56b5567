#pragma once

class Clock;
class DataAccess;
class ExecutableInfo;
class FolderPicker;
class MessageBox;
class Shell;
class TrayService;
class UrlOpener;
class WindowSystem;

// Everything the window reaches outside itself, handed in at construction so
// that every handler runs the same way under a test as on a desktop.
struct PlatformServices {
    Clock& clock;
    MessageBox& messageBox;
    ExecutableInfo& executable;
    Shell& shell;
    FolderPicker& folderPicker;
    TrayService& tray;
    UrlOpener& urlOpener;
    WindowSystem& windowSystem;
    DataAccess& dataAccess;
};
