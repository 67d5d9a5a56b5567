#pragma once

#include <string>

// The maker's web addresses, the one place they are written down. Each is a
// complete address: scheme, host in lower case, no path.
namespace Sites {

inline const std::string kUpdate = "http://ondrel.cn";
inline const std::string kMarket = "http://es.ondrel.cn";
inline const std::string kJob = "http://job.ondrel.cn";

// "ondrel.cn" of "http://ondrel.cn".
std::string hostOf(const std::string& address);
// The host in capitals, as the link labels show it.
std::string upperHostOf(const std::string& address);
// The host without a leading "www.", in lower case: the tray tip's domain.
std::string bareDomainOf(const std::string& address);

} // namespace Sites
