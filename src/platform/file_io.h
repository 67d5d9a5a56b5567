#pragma once

#include <optional>
#include <stdexcept>
#include <string>

// Whole-file reads and writes for the settings file.
namespace FileIo {

// A write or read that failed; what() is the reason, in the operator's language.
class Error final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether an ordinary file (not a folder) exists at the path.
bool isRegularFile(const std::string& path);

// The file's bytes; throws Error when it cannot be read.
std::string readAll(const std::string& path);

// Replaces the file with the bytes so that, whatever happens midway, the path
// holds either the old file or the whole new one. The file is readable and
// writable by its owner only. Throws Error with the reason on failure.
void writeAtomically(const std::string& path, const std::string& bytes);

} // namespace FileIo
