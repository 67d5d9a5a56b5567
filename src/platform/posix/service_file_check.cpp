#include "platform/posix/service_file_check.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ServiceFileCheck {

std::optional<std::string> firstUnsafe(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return "无法检查“" + path + "”:" + std::strerror(errno) + ",后台备份服务不启动。";
        const bool ownerTrusted = st.st_uid == 0 || st.st_uid == ::geteuid();
        if (!ownerTrusted || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            return "“" + path
                + "”可被管理员以外的用户修改(须属于root,且同组及其他用户不可写),后台备份服务拒绝启动。"
                  "请修改其属主和权限,例如:chown root "
                + path + " && chmod go-w " + path;
        }
    }
    return std::nullopt;
}

std::optional<std::string> readableByOthers(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || (st.st_mode & S_IROTH) == 0)
        return std::nullopt;
    return "配置文件“" + path + "”含有数据库密码,却可被所有用户读取;请执行:chmod o-rwx " + path;
}

} // namespace ServiceFileCheck
