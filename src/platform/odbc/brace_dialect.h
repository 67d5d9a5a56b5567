#pragma once

#include <filesystem>
#include <string_view>

// How a driver reads a braced connection-string value.
enum class BraceDialect {
    // The ODBC standard: the value ends at a single "}", "}}" stands for "}".
    Standard,
    // FreeTDS before 1.3.21: the value runs verbatim to the first "};" (or
    // the end of the string); "}}" stays two braces.
    FreeTdsVerbatim,
    // The driver could not be told: only what both of the above read alike
    // is sent.
    Unknown,
};

// The dialect of a driver library, from the version FreeTDS builds into its
// libraries ("freetds v1.3.17"); any other driver reads the standard. Where
// the platform cannot tell (brace_dialect_windows.cpp), Unknown.
BraceDialect braceDialectOf(std::string_view driverLibraryBytes);
BraceDialect braceDialectOfLibrary(const std::filesystem::path& driverLibrary);
