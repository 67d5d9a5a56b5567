#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/server_login.h"

enum class BackupMode { Replace, TimeSlot };

// The backup job as the window's controls held it when a slot came, read
// once: one run sees one consistent set of inputs, and runs without the
// window that held them.
struct JobSpec {
    ServerLogin login;
    // Backed up in this order, each as listed: never trimmed, merged or sorted.
    std::vector<std::string> databases;
    // The plain prefix of every backup path; nothing inserts a separator.
    std::string folder;
    BackupMode mode = BackupMode::Replace;
};

// The position of the first entry that holds a NUL (only a hand-edited
// settings file can put one there): it would reach the server cut short,
// naming another database than the list shows.
std::optional<std::size_t> firstEntryWithNul(const std::vector<std::string>& databases);

// What the operator is told of such an entry, by its position.
std::string nulEntryMessage(std::size_t position, const std::string& entry);
