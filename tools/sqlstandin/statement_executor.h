#pragma once

#include "parameters.h"
#include "response_channel.h"
#include "server_context.h"
#include "session_state.h"
#include "statement_outcome.h"
#include "statement.h"

#include <cstdint>

namespace sqlstandin {

// Runs one parsed statement: writes its results and messages, but not the
// DONE that closes it (the caller knows whether more statements follow).
class StatementExecutor final {
public:
    StatementExecutor(ServerContext& server, SessionState& session, ResponseChannel& reply, const Parameters& params,
                      std::uint8_t doneToken, bool dropMidway);

    StatementOutcome execute(const Statement& statement);

private:
    StatementOutcome set(const SetStatement& s);
    StatementOutcome use(const UseStatement& s);
    StatementOutcome select(const SelectStatement& s);
    StatementOutcome selectFromSysDatabases(const SelectStatement& s);
    StatementOutcome backup(const BackupStatement& s);
    StatementOutcome exec(const ExecStatement& s);
    StatementOutcome fail(const ServerMessage& m);
    SqlValue resolve(const Operand& operand) const;
    SqlValue serverVariable(const std::string& name) const;

    ServerContext& server_;
    SessionState& session_;
    ResponseChannel& reply_;
    const Parameters& params_;
    std::uint8_t doneToken_;
    bool dropMidway_;
};

}  // namespace sqlstandin
