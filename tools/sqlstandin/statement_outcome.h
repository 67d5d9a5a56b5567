#pragma once

#include <cstdint>

namespace sqlstandin {

// How a statement ended, for the DONE token that closes it.
struct StatementOutcome {
    enum class Kind { Completed, Interrupted, Hangup, Dropped };
    Kind kind = Kind::Completed;
    std::uint16_t status = 0;   // DONE count and error bits
    std::uint16_t curCmd = 0;
    std::uint64_t rows = 0;
};

}  // namespace sqlstandin
