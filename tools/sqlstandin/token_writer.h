#pragma once

#include "result_set.h"
#include "server_message.h"
#include "wire_writer.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sqlstandin {

// Writes the reply token stream, in the encoding of the connection's TDS
// version (7.2 widened DONE counts, line numbers and user types).
class TokenWriter final {
public:
    TokenWriter(std::uint32_t tdsVersion, std::string serverName);

    void setVersion(std::uint32_t tdsVersion) { version_ = tdsVersion; }

    void envChange(std::uint8_t type, std::string_view newValue, std::string_view oldValue);
    void envChangeBytes(std::uint8_t type, std::span<const std::uint8_t> newValue, std::span<const std::uint8_t> oldValue);
    void message(const ServerMessage& m);   // INFO or ERROR by severity
    void loginAck(std::uint32_t tdsVersion);
    void done(std::uint8_t token, std::uint16_t status, std::uint16_t curCmd, std::uint64_t rowCount);
    void resultSet(const ResultSet& results);
    void returnStatus(std::int32_t value);
    void returnValue(std::uint16_t ordinal, std::string_view name, std::int32_t value);

    bool empty() const { return out_.size() == 0; }
    std::vector<std::uint8_t> take() { return out_.take(); }
    void discard() { out_.clear(); }

private:
    void userType();
    void typeInfo(const Column& column);
    void value(const Column& column, const SqlValue& v);

    std::uint32_t version_;
    std::string serverName_;
    WireWriter out_;
};

}  // namespace sqlstandin
