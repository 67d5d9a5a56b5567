#pragma once

#include <stdexcept>

namespace sqlstandin {

// A file system failure, with errno, while opening or writing a backup.
class BackupFileError final : public std::runtime_error {
public:
    BackupFileError(bool opening, int error) : std::runtime_error("backup file error"), opening_(opening), error_(error) {}
    bool opening() const { return opening_; }
    int error() const { return error_; }

private:
    bool opening_;
    int error_;
};

}  // namespace sqlstandin
