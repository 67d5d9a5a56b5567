#include "platform/odbc/brace_dialect.h"

#include <array>
#include <cctype>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// The first FreeTDS that reads braced values the standard way.
constexpr std::array<int, 3> kFirstStandardFreeTds{1, 3, 21};

} // namespace

BraceDialect braceDialectOf(std::string_view bytes)
{
    constexpr std::string_view marker = "freetds v";
    const std::size_t at = bytes.find(marker);
    if (at == std::string_view::npos)
        return BraceDialect::Standard;
    std::array<int, 3> version{0, 0, 0};
    std::size_t i = at + marker.size();
    for (std::size_t part = 0; part < version.size(); ++part) {
        if (i >= bytes.size() || !std::isdigit(static_cast<unsigned char>(bytes[i])))
            break;
        for (; i < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[i])) && version[part] < 100000; ++i)
            version[part] = version[part] * 10 + (bytes[i] - '0');
        if (i >= bytes.size() || bytes[i] != '.')
            break;
        ++i;
    }
    return version < kFirstStandardFreeTds ? BraceDialect::FreeTdsVerbatim : BraceDialect::Standard;
}

BraceDialect braceDialectOfLibrary(const std::filesystem::path& driverLibrary)
{
    std::ifstream file(driverLibrary, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return braceDialectOf(bytes);
}
