#pragma once

#include "platform/file_io.h"

// The settings file on a POSIX file system: written to a temporary file,
// flushed and renamed over the old one (over a symbolic link's target, in
// the target's folder), mode 0600, or 0640 with the old file's group where
// the file it replaces let its group read and others not.
class PosixFileIo final : public FileIo {
public:
    bool isRegularFile(const std::string& path) const override;
    std::string readAll(const std::string& path) const override;
    void writeAtomically(const std::string& path, const std::string& bytes) override;
    void overwrite(const std::string& path, const std::string& bytes) override;
    std::string stamp(const std::string& path) const override;
};
