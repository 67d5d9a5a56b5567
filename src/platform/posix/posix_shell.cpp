#include "platform/posix/posix_shell.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

bool PosixShell::fileExists(const std::string& path) const
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool PosixShell::exists(const std::string& path) const
{
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

bool PosixShell::folderHoldsFile(const std::string& folder) const
{
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return false;
    std::string base = folder;
    if (!base.empty() && base.back() != '/')
        base += '/';
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (!fileExists(base + name))
            continue;
        return true;
    }
    return false;
}

void PosixShell::makeSureDirectoryPathExists(const std::string& path)
{
    // Every component up to the last separator is a folder; what follows
    // the last separator is a file name and is left alone.
    const auto last = path.find_last_of('/');
    if (last == std::string::npos)
        return;
    for (std::size_t at = path.find('/', 1); at != std::string::npos && at <= last; at = path.find('/', at + 1)) {
        const std::string prefix = path.substr(0, at);
        if (!prefix.empty())
            ::mkdir(prefix.c_str(), 0777);
    }
}

bool PosixShell::moveToTrash(const std::string&, const std::string&)
{
    return false;
}

bool PosixShell::rename(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool PosixShell::removeAll(const std::string& path)
{
    std::error_code error;
    std::filesystem::remove_all(path, error);
    return !error;
}
