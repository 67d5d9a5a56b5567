#pragma once

#include <stdexcept>
#include <string>

// Whole-file reads and writes for the settings file.
class FileIo {
public:
    // A write or read that failed; what() is the reason, in the operator's language.
    class Error final : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    virtual ~FileIo() = default;

    // Whether an ordinary file (not a folder) exists at the path.
    virtual bool isRegularFile(const std::string& path) const = 0;

    // The file's bytes; throws Error when it cannot be read.
    virtual std::string readAll(const std::string& path) const = 0;

    // Replaces the file with the bytes so that, whatever happens midway, the
    // path holds either the old file or the whole new one. A path that is a
    // symbolic link stays one: the file it leads to is replaced. The file is
    // readable and writable by its owner only (and, where the platform has
    // groups, readable by the group that could read the file it replaced).
    // Throws Error with the reason.
    virtual void writeAtomically(const std::string& path, const std::string& bytes) = 0;

    // Rewrites an existing file in place (made when missing), for a writer
    // that may change the file but not make or replace files in its folder.
    // A write cut short leaves a file the reader must refuse. Throws Error.
    virtual void overwrite(const std::string& path, const std::string& bytes) = 0;

    // Something that differs whenever the file was written, replaced or
    // removed since, or its owner or permissions changed (a file its reader
    // could not read may be readable now): empty when there is no file.
    virtual std::string stamp(const std::string& path) const = 0;
};
