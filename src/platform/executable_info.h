#pragma once

#include <string>

// Where the running program lives; its settings file sits beside it.
class ExecutableInfo {
public:
    virtual ~ExecutableInfo() = default;
    // The folder holding the executable, as the system spells it.
    virtual std::string folder() const = 0;
    // The executable's file name without its extension.
    virtual std::string baseName() const = 0;
};
