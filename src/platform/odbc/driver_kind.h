#pragma once

#include <filesystem>
#include <string_view>

#include "platform/odbc/brace_dialect.h"

// What the connection string must allow for in the driver that reads it,
// told from the driver's library.
struct DriverKind {
    BraceDialect braces = BraceDialect::Unknown;
    // FreeTDS guesses the protocol version unless told: a server that leaves
    // the pre-login unanswered is tried again with the Sybase protocol, and
    // 1.3.17 can wait there for ever. The string names the version instead.
    // Also set where the driver may be FreeTDS and cannot be told (Windows).
    bool freeTds = false;

    bool operator==(const DriverKind&) const = default;
};

// From the bytes of a driver library: FreeTDS builds its version into its
// libraries ("freetds v1.3.17"); any other driver reads the standard.
DriverKind driverKindOf(std::string_view libraryBytes);

// From the library file; an empty path, or one that cannot be read, tells
// nothing (Unknown braces, not FreeTDS).
DriverKind driverKindOfLibrary(const std::filesystem::path& library);

inline BraceDialect braceDialectOf(std::string_view libraryBytes)
{
    return driverKindOf(libraryBytes).braces;
}

inline BraceDialect braceDialectOfLibrary(const std::filesystem::path& library)
{
    return driverKindOfLibrary(library).braces;
}
