#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// `sqlstandin --inspect FILE`: one line per backup set, exit code 0 only
// when the file holds at least one set and every set's checksum holds.
struct StandinInspectedSet {
    int number = 0;
    std::string database;
    std::string time;
    std::uint64_t size = 0;
    bool checksumOk = false;
};

struct StandinInspection {
    int exitCode = -1;
    std::vector<std::string> lines;
    std::vector<StandinInspectedSet> sets;   // the lines that describe sets, parsed
};

StandinInspection inspectBackup(const std::filesystem::path& file);
