#pragma once

#include <optional>
#include <string>
#include <vector>

// Every setting the window's controls hold, as one value: what a save
// writes. Its initial values are the controls' design values.
struct Settings {
    std::string server = "127.0.0.1";   // Text1
    std::string account = "sa";         // Text2
    std::string password;               // Text3
    std::vector<std::string> databases; // Combo1's entries
    std::string backupFolder = " ";     // Text5
    bool replaceMode = true;            // Option1
    bool timeSlotMode = false;          // Option2
    int slotLock = 0;                   // Check1: written, never read back
    std::string slot1 = "12:00:00";     // Text8
    std::string slot2 = "18:00:00";     // Text7
    std::string slot3 = "03:00:00";     // Text6

    friend bool operator==(const Settings&, const Settings&) = default;
};

// What a settings file gave. A field that is absent leaves its setting as it
// is: an empty line is never applied, and a reading cut short by a bad line
// (a line the file does not have among them) leaves every later field absent.
struct SettingsFromFile {
    std::optional<std::string> server;
    std::optional<std::string> account;
    std::optional<std::string> password;
    // Appended in order to the list there is (at start-up an empty one).
    std::vector<std::string> databases;
    std::optional<std::string> backupFolder;
    std::optional<bool> replaceMode;
    std::optional<bool> timeSlotMode;
    std::optional<std::string> slot1;
    std::optional<std::string> slot2;
    std::optional<std::string> slot3;

    // The settings with what was read applied, as the window applies it to
    // its controls: the option buttons stay one group, where selecting one
    // deselects the other and deselecting the selected one leaves neither.
    Settings appliedTo(Settings settings) const;

    friend bool operator==(const SettingsFromFile&, const SettingsFromFile&) = default;
};
