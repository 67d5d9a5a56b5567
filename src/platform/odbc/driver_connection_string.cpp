#include "platform/odbc/driver_connection_string.h"

#include "platform/database_error.h"
#include "text/connection_string.h"
#include "text/letter_case.h"

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

std::string forDriver(const std::string& standardForm, BraceDialect dialect)
{
    std::string result;
    for (ConnectionString::Attribute& attribute : ConnectionString::attributes(standardForm)) {
        if (attribute.value.find('\0') != std::string::npos)
            cannotCarry(attribute.keyword, "holds a NUL character");
        std::string written = attribute.written;
        if (LetterCase::equalIgnoringCase(attribute.keyword, "Server")
            && serverWithPort(attribute.value) != attribute.value) {
            attribute.value = serverWithPort(attribute.value);
            written = ConnectionString::attributeValue(attribute.value);
        }
        // Without a "}" both dialects read the standard form alike.
        if (dialect != BraceDialect::Standard && attribute.value.find('}') != std::string::npos)
            written = verbatimValue(attribute.keyword, attribute.value);
        result += attribute.keyword + "=" + written + ";";
    }
    return result;
}

std::string forDriver(const std::string& standardForm, const DriverKind& driver)
{
    std::string result = forDriver(standardForm, driver.braces);
    if (driver.freeTds)
        result += "TDS_Version=7.4;";
    return result;
}

} // namespace DriverConnectionString
