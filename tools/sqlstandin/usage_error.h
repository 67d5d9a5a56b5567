#pragma once

#include <stdexcept>
#include <string>

namespace sqlstandin {

// A command line the stand-in cannot run with.
class UsageError final : public std::runtime_error {
public:
    explicit UsageError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace sqlstandin
