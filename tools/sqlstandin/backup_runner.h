#pragma once

#include "response_channel.h"
#include "server_context.h"
#include "session_state.h"
#include "statement_outcome.h"
#include "statement.h"
#include "catalog.h"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace sqlstandin {

// BACKUP DATABASE: checks what the server checks, writes a real backup set
// and streams the server's progress messages, each as its own result.
// Honours ATTENTION and hang-ups throughout, leaving no partial set.
class BackupRunner final {
public:
    BackupRunner(ServerContext& server, SessionState& session, ResponseChannel& reply, std::uint8_t doneToken,
                 bool dropMidway);

    StatementOutcome run(const BackupStatement& statement, const SqlValue& database, const SqlValue& path);

private:
    StatementOutcome refuse(const ServerMessage& reason, int line);
    // Nothing when the target can be written; else the refusal to send.
    std::optional<StatementOutcome> checkTarget(const std::filesystem::path& target, const std::string& shown,
                                                bool overwrite, int line, std::uint32_t& setNumber);
    StatementOutcome write(const BackupStatement& statement, const DatabaseInfo& db,
                           const std::filesystem::path& target, const std::string& shown, std::uint32_t setNumber);
    // Sends one progress message as its own result.
    bool progress(const ServerMessage& m);
    std::optional<StatementOutcome> interruption(Interruption i);

    ServerContext& server_;
    SessionState& session_;
    ResponseChannel& reply_;
    std::uint8_t doneToken_;
    bool dropMidway_;
};

}  // namespace sqlstandin
