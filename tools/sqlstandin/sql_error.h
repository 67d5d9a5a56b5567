#pragma once

#include "server_message.h"

#include <stdexcept>
#include <utility>
#include <vector>

namespace sqlstandin {

// A batch the server refuses to compile: its messages go to the client and
// nothing in the batch runs.
class SqlError final : public std::runtime_error {
public:
    explicit SqlError(std::vector<ServerMessage> messages)
        : std::runtime_error(messages.empty() ? "sql error" : messages.front().text), messages_(std::move(messages)) {}
    explicit SqlError(ServerMessage message) : SqlError(std::vector<ServerMessage>{std::move(message)}) {}

    const std::vector<ServerMessage>& messages() const { return messages_; }

private:
    std::vector<ServerMessage> messages_;
};

}  // namespace sqlstandin
