#pragma once

class Clock;
class DataAccess;
class ExecutableInfo;
class FileIo;
class FolderPicker;
class MessageBox;
class ScheduleLock;
class Shell;
class TextEncoding;
class TrayService;
class UrlOpener;
class WindowSystem;

// Everything the window reaches outside itself, handed in at construction so
// that every handler runs the same way under a test as on a desktop.
struct PlatformServices {
    Clock& clock;
    MessageBox& messageBox;
    ExecutableInfo& executable;
    FileIo& files;
    TextEncoding& encoding;
    Shell& shell;
    FolderPicker& folderPicker;
    TrayService& tray;
    UrlOpener& urlOpener;
    WindowSystem& windowSystem;
    DataAccess& dataAccess;
    ScheduleLock& scheduleLock;
};
