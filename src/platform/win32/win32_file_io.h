#pragma once

#include "platform/file_io.h"

// The settings file on Windows: written to a temporary file that only its
// owner may open, flushed, then moved over the old one; a file marked hidden
// or system is not taken for a settings file.
class Win32FileIo final : public FileIo {
public:
    bool isRegularFile(const std::string& path) const override;
    std::string readAll(const std::string& path) const override;
    void writeAtomically(const std::string& path, const std::string& bytes) override;
    void overwrite(const std::string& path, const std::string& bytes) override;
    std::string stamp(const std::string& path) const override;
};
