#pragma once

#include "sql_value.h"

#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sqlstandin {

// One JSON object a line for every login and request, written with a single
// write as each request arrives, so a crash loses nothing already logged.
class StatementLog final {
public:
    using Time = std::chrono::system_clock::time_point;

    explicit StatementLog(const std::optional<std::filesystem::path>& file);
    ~StatementLog();
    StatementLog(const StatementLog&) = delete;
    StatementLog& operator=(const StatementLog&) = delete;

    void login(Time time, int conn, std::string_view user, std::string_view database, bool ok, int error);
    void statement(Time time, int conn, std::string_view kind, std::string_view user, std::string_view procedure,
                   std::string_view text, const std::vector<std::pair<std::string, SqlValue>>& params);
    void event(Time time, int conn, std::string_view kind, std::string_view user, std::string_view text);

private:
    void append(std::string line);

    int fd_ = -1;
    std::mutex mutex_;
};

}  // namespace sqlstandin
