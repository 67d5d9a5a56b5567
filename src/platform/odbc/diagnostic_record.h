#pragma once

#include <string>

// One record of an ODBC handle's diagnostics.
struct DiagnosticRecord {
    std::string sqlState;
    long nativeError = 0;
    std::string message;

    bool operator==(const DiagnosticRecord&) const = default;
};
