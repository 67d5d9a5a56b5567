#pragma once

#include <optional>
#include <string>
#include <vector>

// The settings the window's controls hold, as one value. Read from a file,
// a field that is absent leaves its control as it is: an empty line is never
// applied, and a reading cut short by a bad line leaves the rest absent.
struct Settings {
    std::optional<std::string> server;       // Text1
    std::optional<std::string> account;      // Text2
    std::optional<std::string> password;     // Text3
    std::vector<std::string> databases;      // Combo1's entries, appended in order
    std::optional<std::string> backupFolder; // Text5
    std::optional<bool> replaceMode;         // Option1
    std::optional<bool> timeSlotMode;        // Option2
    // Check1: written, but never read back (the lock always starts open).
    std::optional<int> slotLock;
    std::optional<std::string> slot1; // Text8
    std::optional<std::string> slot2; // Text7
    std::optional<std::string> slot3; // Text6

    friend bool operator==(const Settings&, const Settings&) = default;
};
