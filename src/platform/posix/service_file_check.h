#pragma once

#include <optional>
#include <string>
#include <vector>

// What a service running with rights of its own must not trust: a file or
// folder that users other than root could change would let them run code,
// or read the password, with the service's rights.
namespace ServiceFileCheck {

// The message for the first path that is not owned by root (or by the
// account the check runs under) or that its group or others may write;
// nothing when every path is safe. A path that cannot be examined is not
// safe either.
std::optional<std::string> firstUnsafe(const std::vector<std::string>& paths);

// The warning for a file that anyone may read; nothing otherwise.
std::optional<std::string> readableByOthers(const std::string& path);

} // namespace ServiceFileCheck
