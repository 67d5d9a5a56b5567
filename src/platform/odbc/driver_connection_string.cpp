#include "platform/odbc/driver_connection_string.h"

#include "platform/database_error.h"
#include "text/connection_string.h"

namespace DriverConnectionString {

namespace {

[[noreturn]] void cannotCarry(const std::string& keyword, const std::string& why)
{
    throw DatabaseError(DatabaseError::kValueNotCarried, "08001", 0,
                        "the connection value for '" + keyword + "' " + why + "; nothing was sent to the server");
}

// FreeTDS before 1.3.21 ends a braced value at the first "};" and keeps
// "}}" as two braces, while the driver manager, reading the same string for
// the driver's name, undoubles "}}" and ends the value at a single "}": it
// would see attributes of the operator's making (another Driver, even). A
// value with a "}" therefore goes unbraced, which both read to the next
// ";" alike; one that needs its braces cannot be carried. The standard
// reading takes the unbraced form alike, so a driver whose reading cannot
// be told gets the same.
std::string verbatimValue(const std::string& keyword, const std::string& value)
{
    if (value.find(';') == std::string::npos && value.front() != '{')
        return value;
    cannotCarry(keyword,
                "holds '}' together with ';' or a leading '{', which FreeTDS before 1.3.21 "
                "and the driver manager would read differently");
}

} // namespace

std::string forDriver(const ServerLogin& login, BraceDialect dialect)
{
    const struct {
        const char* keyword;
        std::string value;
    } fields[] = {{"Server", serverWithPort(login.server)},
                  {"Database", login.database},
                  {"uid", login.login},
                  {"pwd", login.password}};
    std::string result = std::string("Driver={") + kDriverName + "};";
    for (const auto& field : fields) {
        if (field.value.find('\0') != std::string::npos)
            cannotCarry(field.keyword, "holds a NUL character");
        // Without a "}" both dialects read the standard form alike.
        const std::string written = dialect != BraceDialect::Standard && field.value.find('}') != std::string::npos
            ? verbatimValue(field.keyword, field.value)
            : ConnectionString::attributeValue(field.value);
        result += std::string(field.keyword) + "=" + written + ";";
    }
    return result;
}

std::string forDriver(const ServerLogin& login, const DriverKind& driver)
{
    std::string result = forDriver(login, driver.braces);
    if (driver.freeTds)
        result += "TDS_Version=7.4;";
    return result;
}

} // namespace DriverConnectionString
