#include "platform/posix/posix_executable_info.h"

#include <filesystem>

PosixExecutableInfo::PosixExecutableInfo()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    m_folder = error ? std::string(".") : exe.parent_path().string();
    m_baseName = error ? std::string("ondrel") : exe.stem().string();
}
