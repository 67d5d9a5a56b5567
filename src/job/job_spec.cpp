#include "job/job_spec.h"

std::optional<std::size_t> firstEntryWithNul(const std::vector<std::string>& databases)
{
    for (std::size_t i = 0; i < databases.size(); ++i) {
        if (databases[i].find('\0') != std::string::npos)
            return i;
    }
    return std::nullopt;
}
