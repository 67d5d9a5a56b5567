#include "session.h"

#include "login_request.h"
#include "messages.h"
#include "parameters.h"
#include "protocol_error.h"
#include "rpc_request.h"
#include "sql_error.h"
#include "sql_parser.h"
#include "statement_executor.h"
#include "tds_constants.h"
#include "text.h"
#include "wire_reader.h"

#include <algorithm>
#include <cstdio>

namespace sqlstandin {
namespace {

constexpr const char* kServerName = "SQLSTANDIN";

bool containsIgnoreCase(std::string_view haystack, std::string_view needle) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != haystack.end();
}

bool hasBackup(const std::vector<Statement>& statements) {
    return std::any_of(statements.begin(), statements.end(),
                       [](const Statement& s) { return std::holds_alternative<BackupStatement>(s); });
}

ServerMessage message(std::int32_t number, std::uint8_t severity, std::string text) {
    ServerMessage m;
    m.number = number;
    m.severity = severity;
    m.text = std::move(text);
    return m;
}

std::string parameterText(const std::vector<RpcParameter>& p, std::size_t i) {
    return i < p.size() && !p[i].value.isNull() ? p[i].value.display() : std::string();
}

std::vector<RpcParameter> tail(const std::vector<RpcParameter>& p, std::size_t from) {
    return from < p.size() ? std::vector<RpcParameter>(p.begin() + static_cast<std::ptrdiff_t>(from), p.end())
                           : std::vector<RpcParameter>{};
}

}  // namespace

Session::Session(int fd, int conn, ServerContext& server)
    : server_(server), channel_(fd), tokens_(tds::kTds74, kServerName) {
    state_.conn = conn;
    state_.spid = static_cast<std::uint16_t>(50 + conn % 30000);
    channel_.setSpid(state_.spid);
}

void Session::run() {
    try {
        while (auto message = channel_.receive())
            if (dispatch(*message) == Next::Close) break;
    } catch (const ProtocolError& e) {
        std::fprintf(stderr, "sqlstandin: connection %d closed: %s\n", state_.conn, e.what());
    }
    if (loggedIn_) server_.log.event(std::chrono::system_clock::now(), state_.conn, "disconnect", state_.user, "");
}

Session::Next Session::dispatch(const TdsMessage& message) {
    switch (message.type) {
    case tds::kPrelogin: return loggedIn_ ? Next::Close : prelogin();
    case tds::kLogin7: return loggedIn_ ? Next::Close : login(message);
    case tds::kSqlBatch: return loggedIn_ ? batch(message) : Next::Close;
    case tds::kRpc: return loggedIn_ ? rpc(message) : Next::Close;
    case tds::kTransactionManager: return loggedIn_ ? transaction(message) : Next::Close;
    case tds::kAttention: return loggedIn_ ? attention(message) : Next::Close;
    default: return Next::Close;
    }
}

bool Session::flush() {
    const auto bytes = tokens_.take();
    return channel_.send(tds::kReply, bytes, false);
}

bool Session::finishReply() {
    const auto bytes = tokens_.take();
    return channel_.send(tds::kReply, bytes, true);
}

Interruption Session::pause(std::chrono::milliseconds wait) { return channel_.watch(wait); }

Session::Next Session::prelogin() {
    if (server_.options.faults.neverAnswerPrelogin) {
        while (channel_.receive()) {
            // Hold the connection, silent, until the client gives up.
        }
        return Next::Close;
    }
    // VERSION, ENCRYPTION (not supported: no TLS), INSTOPT, THREADID, MARS (off).
    const std::uint8_t reply[] = {
        0x00, 0x00, 26, 0x00, 6,  0x01, 0x00, 32, 0x00, 1, 0x02, 0x00, 33, 0x00, 1,
        0x03, 0x00, 34, 0x00, 0,  0x04, 0x00, 34, 0x00, 1, 0xFF,
        16,   0,    0x03, 0xE8, 0, 0,   // 16.0.1000.0
        0x02,                           // ENCRYPT_NOT_SUP
        0x00,                           // instance name matched
        0x00,                           // MARS off
    };
    return channel_.send(tds::kReply, reply, true) ? Next::Continue : Next::Close;
}

Session::Next Session::login(const TdsMessage& message) {
    const LoginRequest request = LoginRequest::parse(message.payload);
    const auto& faults = server_.options.faults;
    const std::uint32_t attempt = ++server_.loginAttempts;

    if (faults.neverAnswerLogin) {
        server_.log.login(message.arrived, state_.conn, request.user, request.database, false, 0);
        while (channel_.receive()) {
            // Hold the connection, silent, until the client gives up.
        }
        return Next::Close;
    }

    state_.tdsVersion = (request.tdsVersion >> 24) >= 0x74 ? tds::kTds74 : request.tdsVersion;
    tokens_.setVersion(state_.tdsVersion);

    const auto sinceStart = std::chrono::steady_clock::now() - server_.started;
    const bool refused = attempt <= faults.refuseLoginCount ||
                         sinceStart < std::chrono::milliseconds(faults.refuseLoginsForMs);
    const auto& logins = server_.options.logins;
    const bool known = std::any_of(logins.begin(), logins.end(), [&](const Login& l) {
        return text::sameName(l.user, request.user) && l.password == request.password;
    });
    auto reject = [&](std::vector<ServerMessage> reasons) {
        for (const ServerMessage& m : reasons) tokens_.message(m);
        tokens_.done(tds::kDone, tds::kDoneError, 0, 0);
        server_.log.login(message.arrived, state_.conn, request.user, request.database, false, reasons.front().number);
        finishReply();
        return Next::Close;
    };
    if (refused || !known || request.integratedSecurity) return reject({messages::loginFailed(request.user)});

    const DatabaseInfo* db = server_.catalog.find(request.database.empty() ? "master" : request.database);
    if (!db)
        return reject({messages::cannotOpenDatabase(request.database), messages::loginFailed(request.user)});

    std::uint32_t packetSize = request.packetSize == 0 ? tds::kDefaultPacketSize : request.packetSize;
    packetSize = std::clamp<std::uint32_t>(packetSize, 512, tds::kMaxPacketSize);

    state_.user = request.user;
    state_.database = db->name;
    tokens_.envChange(tds::kEnvDatabase, db->name, "master");
    tokens_.message(messages::changedDatabase(db->name));
    tokens_.envChangeBytes(tds::kEnvCollation, tds::kCollation, {});
    tokens_.envChange(tds::kEnvLanguage, "us_english", "");
    tokens_.message(messages::changedLanguage("us_english"));
    tokens_.loginAck(state_.tdsVersion);
    tokens_.envChange(tds::kEnvPacketSize, std::to_string(packetSize), std::to_string(packetSize));
    tokens_.done(tds::kDone, tds::kDoneFinal, 0, 0);
    server_.log.login(message.arrived, state_.conn, request.user, db->name, true, 0);
    if (!finishReply()) return Next::Close;
    channel_.setPacketSize(packetSize);
    loggedIn_ = true;
    return Next::Continue;
}

std::vector<std::uint8_t> Session::requestBody(const TdsMessage& message) const {
    if (!tds::atLeast72(state_.tdsVersion)) return message.payload;
    WireReader in(message.payload);
    const std::uint32_t headersLength = in.u32();
    if (headersLength < 4 || headersLength > message.payload.size()) throw ProtocolError("bad ALL_HEADERS length");
    return std::vector<std::uint8_t>(message.payload.begin() + headersLength, message.payload.end());
}

bool Session::dropRequested(const std::string& text) const {
    const std::string& fragment = server_.options.faults.dropConnectionOn;
    return !fragment.empty() && containsIgnoreCase(text, fragment);
}

Session::Ran Session::runStatements(const std::vector<Statement>& statements, const Parameters& params,
                                    bool inProcedure, bool dropMidway, bool moreAfter) {
    const std::uint8_t doneToken = inProcedure ? tds::kDoneInProc : tds::kDone;
    bool failed = false;
    if (statements.empty() && !inProcedure) tokens_.done(tds::kDone, moreAfter ? tds::kDoneMore : 0, 0, 0);
    for (std::size_t i = 0; i < statements.size(); ++i) {
        StatementExecutor executor(server_, state_, *this, params, doneToken, dropMidway);
        const StatementOutcome outcome = executor.execute(statements[i]);
        if (outcome.kind == StatementOutcome::Kind::Interrupted) {
            server_.log.event(std::chrono::system_clock::now(), state_.conn, "attention", state_.user, "");
            tokens_.discard();
            tokens_.done(tds::kDone, tds::kDoneAttention, 0, 0);
            return finishReply() ? Ran::Cancelled : Ran::Closed;
        }
        if (outcome.kind != StatementOutcome::Kind::Completed) return Ran::Closed;
        std::uint16_t status = outcome.status;
        if (i + 1 < statements.size() || moreAfter || inProcedure) status |= tds::kDoneMore;
        tokens_.done(doneToken, status, outcome.curCmd, outcome.rows);
        failed = failed || (outcome.status & tds::kDoneError) != 0;
    }
    return failed ? Ran::Failed : Ran::Ok;
}

Session::Next Session::batch(const TdsMessage& message) {
    const auto body = requestBody(message);
    if (body.size() % 2 != 0) throw ProtocolError("odd-sized SQL batch text");
    const std::string sql = text::utf16leToUtf8(body.data(), body.size());
    server_.log.statement(message.arrived, state_.conn, "batch", state_.user, "", sql, {});

    std::vector<Statement> statements;
    try {
        statements = SqlParser::parse(sql);
    } catch (const SqlError& e) {
        for (const ServerMessage& m : e.messages()) tokens_.message(m);
        tokens_.done(tds::kDone, tds::kDoneError, 0, 0);
        return finishReply() ? Next::Continue : Next::Close;
    }
    const bool drop = dropRequested(sql);
    if (drop && !hasBackup(statements)) return Next::Close;
    const Ran ran = runStatements(statements, Parameters(), false, drop, false);
    if (ran == Ran::Closed) return Next::Close;
    if (ran == Ran::Cancelled) return Next::Continue;
    return finishReply() ? Next::Continue : Next::Close;
}

void Session::endProcedure(bool failed, bool moreAfter) {
    tokens_.done(tds::kDoneProc,
                 static_cast<std::uint16_t>((failed ? tds::kDoneError : 0) | (moreAfter ? tds::kDoneMore : 0)), 0, 0);
}

Session::Ran Session::executeText(const std::string& sql, const Parameters& params, bool moreAfter) {
    std::vector<Statement> statements;
    try {
        statements = SqlParser::parse(sql, params.declared());
    } catch (const SqlError& e) {
        for (const ServerMessage& m : e.messages()) tokens_.message(m);
        return Ran::Failed;
    }
    const bool drop = dropRequested(sql);
    if (drop && !hasBackup(statements)) return Ran::Closed;
    const Ran ran = runStatements(statements, params, true, drop, moreAfter);
    if (ran == Ran::Ok || ran == Ran::Failed) tokens_.returnStatus(0);
    return ran;
}

Session::Ran Session::runCall(const RpcCall& call, std::chrono::system_clock::time_point arrived, bool moreAfter) {
    const auto& p = call.parameters;
    const std::string& proc = call.procedure;
    auto logCall = [&](const std::string& sql, const Parameters& params) {
        server_.log.statement(arrived, state_.conn, "rpc", state_.user, proc, sql, params.values());
    };
    auto finish = [&](Ran ran, std::optional<int> handle) {
        if (ran == Ran::Ok || ran == Ran::Failed) {
            if (handle) tokens_.returnValue(0, p.empty() ? "" : p[0].name, *handle);
            endProcedure(ran == Ran::Failed, moreAfter);
        }
        return ran;
    };
    auto refuse = [&](const ServerMessage& m) {
        tokens_.message(m);
        endProcedure(true, moreAfter);
        return Ran::Failed;
    };

    if (proc == "sp_executesql") {
        const Parameters params = Parameters::bind(parameterText(p, 1), tail(p, 2));
        logCall(parameterText(p, 0), params);
        if (p.empty())
            return refuse(message(201, 16, "Procedure or function 'sp_executesql' expects parameter '@statement', "
                                           "which was not supplied."));
        return finish(executeText(parameterText(p, 0), params, moreAfter), std::nullopt);
    }
    if (proc == "sp_prepexec" || proc == "sp_prepare") {
        const int handle = nextHandle_++;
        const std::string declaration = parameterText(p, 1);
        const std::string sql = parameterText(p, 2);
        const Parameters params = Parameters::bind(declaration, proc == "sp_prepexec" ? tail(p, 3) : std::vector<RpcParameter>{});
        prepared_[handle] = Prepared{sql, declaration};
        if (proc == "sp_prepexec") {
            logCall(sql, params);
            return finish(executeText(sql, params, moreAfter), handle);
        }
        // Preparing runs nothing: the statement is logged when executed.
        server_.log.event(arrived, state_.conn, "prepare", state_.user, sql);
        try {
            SqlParser::parse(sql, params.declared());
        } catch (const SqlError& e) {
            for (const ServerMessage& m : e.messages()) tokens_.message(m);
            prepared_.erase(handle);
            endProcedure(true, moreAfter);
            return Ran::Failed;
        }
        tokens_.returnStatus(0);
        return finish(Ran::Ok, handle);
    }
    if (proc == "sp_execute") {
        const SqlValue handle = p.empty() ? SqlValue() : p[0].value;
        const auto found = handle.kind() == SqlValue::Kind::Integer ? prepared_.find(static_cast<int>(handle.asInteger()))
                                                                    : prepared_.end();
        if (found == prepared_.end()) {
            server_.log.event(arrived, state_.conn, "procedure", state_.user, proc);
            return refuse(message(8179, 16, "Could not find prepared statement with handle " + handle.display() + "."));
        }
        const Parameters params = Parameters::bind(found->second.declaration, tail(p, 1));
        logCall(found->second.text, params);
        return finish(executeText(found->second.text, params, moreAfter), std::nullopt);
    }
    server_.log.event(arrived, state_.conn, "procedure", state_.user, proc);
    if (proc == "sp_unprepare") {
        if (!p.empty() && p[0].value.kind() == SqlValue::Kind::Integer) prepared_.erase(static_cast<int>(p[0].value.asInteger()));
        tokens_.returnStatus(0);
        return finish(Ran::Ok, std::nullopt);
    }
    return refuse(messages::procedureNotFound(proc));
}

Session::Next Session::rpc(const TdsMessage& message) {
    std::vector<RpcCall> calls;
    try {
        calls = RpcRequest::parse(requestBody(message), state_.tdsVersion);
    } catch (const ProtocolError& e) {
        // Well framed but beyond what the stand-in decodes (a parameter type, say).
        server_.log.event(message.arrived, state_.conn, "procedure", state_.user, e.what());
        tokens_.message(messages::notEmulated(std::string("this request (") + e.what() + ")"));
        tokens_.done(tds::kDone, tds::kDoneError, 0, 0);
        return finishReply() ? Next::Continue : Next::Close;
    }
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const Ran ran = runCall(calls[i], message.arrived, i + 1 < calls.size());
        if (ran == Ran::Closed) return Next::Close;
        if (ran == Ran::Cancelled) return Next::Continue;
    }
    return finishReply() ? Next::Continue : Next::Close;
}

Session::Next Session::transaction(const TdsMessage& message) {
    const auto body = requestBody(message);
    WireReader in(body);
    const std::uint16_t request = in.u16();
    auto begin = [&]() {
        const std::uint64_t id = server_.nextTransaction++;
        for (std::size_t i = 0; i < 8; ++i) state_.transaction[i] = static_cast<std::uint8_t>(id >> (8 * i));
        tokens_.envChangeBytes(tds::kEnvBeginTransaction, state_.transaction, {});
        state_.inTransaction = true;
    };
    std::string description;
    std::uint16_t status = 0;
    if (request == 5) {
        description = "begin transaction";
        in.u8();
        in.bVarchar();
        begin();
    } else if (request == 7 || request == 8) {
        const bool commit = request == 7;
        description = commit ? "commit transaction" : "rollback transaction";
        in.bVarchar();
        const bool beginAgain = (in.u8() & 0x01) != 0;
        if (!state_.inTransaction) {
            tokens_.message(commit ? messages::commitWithoutBegin() : messages::rollbackWithoutBegin());
            status = tds::kDoneError;
        } else {
            tokens_.envChangeBytes(commit ? tds::kEnvCommitTransaction : tds::kEnvRollbackTransaction, {},
                                   state_.transaction);
            state_.inTransaction = false;
            if (beginAgain) {
                description += "; begin transaction";
                begin();
            }
        }
    } else {
        description = "transaction request " + std::to_string(request);
        tokens_.message(messages::notEmulated("transaction manager request " + std::to_string(request)));
        status = tds::kDoneError;
    }
    server_.log.event(message.arrived, state_.conn, "transaction", state_.user, description);
    tokens_.done(tds::kDone, status, 0, 0);
    return finishReply() ? Next::Continue : Next::Close;
}

Session::Next Session::attention(const TdsMessage& message) {
    // The request it meant to cancel has already been answered in full.
    server_.log.event(message.arrived, state_.conn, "attention", state_.user, "");
    tokens_.discard();
    tokens_.done(tds::kDone, tds::kDoneAttention, 0, 0);
    return finishReply() ? Next::Continue : Next::Close;
}

}  // namespace sqlstandin
