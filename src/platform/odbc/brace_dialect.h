#pragma once

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
