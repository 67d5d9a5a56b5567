#pragma once

#include <stdexcept>
#include <string>

namespace sqlstandin {

// A client message the stand-in cannot decode; the connection is closed.
class ProtocolError final : public std::runtime_error {
public:
    explicit ProtocolError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace sqlstandin
