#include "statement_log.h"

#include "json.h"
#include "timestamps.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace sqlstandin {
namespace {

std::string head(StatementLog::Time time, int conn, std::string_view kind, std::string_view user) {
    return "{\"time\":" + jsonQuote(isoUtc(time)) + ",\"conn\":" + std::to_string(conn) +
           ",\"kind\":" + jsonQuote(kind) + ",\"user\":" + jsonQuote(user);
}

}  // namespace

StatementLog::StatementLog(const std::optional<std::filesystem::path>& file) {
    if (!file) return;
    fd_ = ::open(file->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) throw std::runtime_error("cannot open statement log " + file->string());
}

StatementLog::~StatementLog() {
    if (fd_ >= 0) ::close(fd_);
}

void StatementLog::append(std::string line) {
    if (fd_ < 0) return;
    line += '\n';
    std::lock_guard lock(mutex_);
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

void StatementLog::login(Time time, int conn, std::string_view user, std::string_view database, bool ok, int error) {
    std::string line = head(time, conn, "login", user) + ",\"database\":" + jsonQuote(database) +
                       ",\"ok\":" + (ok ? "true" : "false");
    if (error != 0) line += ",\"error\":" + std::to_string(error);
    append(line + "}");
}

void StatementLog::statement(Time time, int conn, std::string_view kind, std::string_view user,
                             std::string_view procedure, std::string_view text,
                             const std::vector<std::pair<std::string, SqlValue>>& params) {
    std::string line = head(time, conn, kind, user);
    if (!procedure.empty()) line += ",\"proc\":" + jsonQuote(procedure);
    line += ",\"text\":" + jsonQuote(text);
    if (kind == "rpc") {
        std::string names;
        std::string values;
        for (const auto& [name, value] : params) {
            names += (names.empty() ? "" : ",") + jsonQuote(name);
            values += (values.empty() ? "" : ",") + (value.isNull() ? std::string("null") : jsonQuote(value.display()));
        }
        line += ",\"params\":[" + values + "],\"paramNames\":[" + names + "]";
    }
    append(line + "}");
}

void StatementLog::event(Time time, int conn, std::string_view kind, std::string_view user, std::string_view text) {
    std::string line = head(time, conn, kind, user);
    if (!text.empty()) line += ",\"text\":" + jsonQuote(text);
    append(line + "}");
}

}  // namespace sqlstandin
