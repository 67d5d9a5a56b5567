#include "job/job_spec.h"

std::optional<std::size_t> firstEntryWithNul(const std::vector<std::string>& databases)
{
    for (std::size_t i = 0; i < databases.size(); ++i) {
        if (databases[i].find('\0') != std::string::npos)
            return i;
    }
    return std::nullopt;
}

std::string nulEntryMessage(std::size_t position, const std::string& entry)
{
    return "数据库列表第" + std::to_string(position + 1) + "项(“" + entry.substr(0, entry.find('\0'))
        + "…”)含有空字符(NUL),无法原样发送给服务器,未连接服务器。请从列表中删除此项。";
}
