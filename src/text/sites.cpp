#include "text/sites.h"

#include "text/letter_case.h"

namespace Sites {

std::string hostOf(const std::string& address)
{
    const auto scheme = address.find("://");
    std::string host = scheme == std::string::npos ? address : address.substr(scheme + 3);
    const auto end = host.find_first_of("/:?#");
    if (end != std::string::npos)
        host.resize(end);
    return host;
}

std::string upperHostOf(const std::string& address)
{
    return LetterCase::upper(hostOf(address));
}

std::string bareDomainOf(const std::string& address)
{
    std::string host = LetterCase::lower(hostOf(address));
    if (host.rfind("www.", 0) == 0)
        host.erase(0, 4);
    return host;
}

} // namespace Sites
