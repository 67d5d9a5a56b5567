#pragma once

#include <string>

// One keyword=value pair of a connection string.
struct ConnectionAttribute {
    std::string keyword;
    // Decoded: braces removed, "}}" undoubled.
    std::string value;
    // As it stands in the string, braces and all.
    std::string written;
};
