#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sqlstandin {

struct InspectedSet {
    std::uint32_t number = 0;
    std::string database;
    std::string time;
    std::uint64_t dataBytes = 0;
    bool checksumOk = false;
};

struct Inspection {
    std::vector<InspectedSet> sets;
    std::string problem;   // empty when every set is intact in structure

    bool wellFormed() const { return problem.empty() && !sets.empty(); }
    bool allGood() const;
    std::vector<std::string> report() const;   // what --inspect prints
};

}  // namespace sqlstandin
