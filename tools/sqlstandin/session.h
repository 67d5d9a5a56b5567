#pragma once

#include "packet_channel.h"
#include "response_channel.h"
#include "server_context.h"
#include "session_state.h"
#include "statement_outcome.h"
#include "statement.h"
#include "token_writer.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sqlstandin {

class Parameters;
struct RpcCall;
struct TdsMessage;

// One client connection, from PRELOGIN to hang-up, on its own thread.
class Session final : public ResponseChannel {
public:
    Session(int fd, int conn, ServerContext& server);

    void run();

    TokenWriter& tokens() override { return tokens_; }
    bool flush() override;
    Interruption pause(std::chrono::milliseconds wait) override;

private:
    enum class Next { Continue, Close };

    Next dispatch(const TdsMessage& message);
    Next prelogin();
    Next login(const TdsMessage& message);
    Next batch(const TdsMessage& message);
    Next rpc(const TdsMessage& message);
    Next transaction(const TdsMessage& message);
    Next attention(const TdsMessage& message);

    // How running statements ended: Cancelled means the reply is already
    // complete (DONE with the attention bit); Closed means hang up.
    enum class Ran { Ok, Failed, Cancelled, Closed };
    Ran runStatements(const std::vector<Statement>& statements, const Parameters& params, bool inProcedure,
                      bool dropMidway, bool moreAfter);
    Ran runCall(const RpcCall& call, std::chrono::system_clock::time_point arrived, bool moreAfter);
    Ran executeText(const std::string& text, const Parameters& params, bool moreAfter);
    void endProcedure(bool failed, bool moreAfter);
    bool finishReply();
    bool dropRequested(const std::string& text) const;
    std::vector<std::uint8_t> requestBody(const TdsMessage& message) const;

    ServerContext& server_;
    PacketChannel channel_;
    TokenWriter tokens_;
    SessionState state_;
    bool loggedIn_ = false;
    int nextHandle_ = 1;
    struct Prepared {
        std::string text;
        std::string declaration;
    };
    std::map<int, Prepared> prepared_;
};

}  // namespace sqlstandin
