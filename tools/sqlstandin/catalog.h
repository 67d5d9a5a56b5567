#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sqlstandin {

struct DatabaseInfo {
    std::string name;
    std::int16_t dbid = 0;
    std::uint64_t sizeBytes = 0;
    std::chrono::system_clock::time_point created;
};

// The server's databases: the four system ones and those given on the
// command line. Fixed at start-up, so sessions read it without locking.
class Catalog final {
public:
    struct Entry {
        std::string name;
        std::uint64_t sizeBytes = 0;
    };

    Catalog(const std::vector<Entry>& userDatabases, std::uint64_t systemSize);

    // Lookup under the server collation: case and trailing blanks ignored.
    const DatabaseInfo* find(std::string_view name) const;
    const std::vector<DatabaseInfo>& databases() const { return databases_; }

private:
    std::vector<DatabaseInfo> databases_;
};

}  // namespace sqlstandin
