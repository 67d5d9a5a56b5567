#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace ondrel::test {

struct ProgramResult {
    int exitCode = -1;        // -1 when killed (time-out or signal)
    bool timedOut = false;
    std::string out;          // standard output
    std::string err;          // standard error
};

// Runs a program to completion, feeding it input on standard input;
// killed after the time-out. extraEnv entries are NAME=VALUE.
ProgramResult runProgram(const std::vector<std::string>& argv, const std::string& input = {},
                         std::chrono::milliseconds timeout = std::chrono::seconds(30),
                         const std::vector<std::string>& extraEnv = {});

}  // namespace ondrel::test
