#pragma once

#include "sql_value.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sqlstandin {

struct RpcParameter {
    std::string name;   // "@P1", or empty when passed by position
    bool output = false;
    SqlValue value;
};

struct RpcCall {
    std::string procedure;       // lower case; from the well-known id when sent by number
    std::vector<RpcParameter> parameters;
};

// An RPC request (after its ALL_HEADERS): one or more procedure calls.
class RpcRequest final {
public:
    static std::vector<RpcCall> parse(std::span<const std::uint8_t> body, std::uint32_t tdsVersion);
    static std::string procedureName(std::uint16_t id);
};

}  // namespace sqlstandin
