#include "inspection.h"

#include <algorithm>

namespace sqlstandin {

bool Inspection::allGood() const {
    return wellFormed() && std::all_of(sets.begin(), sets.end(), [](const InspectedSet& s) { return s.checksumOk; });
}

std::vector<std::string> Inspection::report() const {
    std::vector<std::string> lines;
    for (const InspectedSet& s : sets) {
        std::string quotedName;
        for (char c : s.database) quotedName += (c == '\'') ? std::string("''") : std::string(1, c);
        lines.push_back("set " + std::to_string(s.number) + ": database '" + quotedName + "', time " + s.time + ", size " +
                        std::to_string(s.dataBytes) + " bytes, checksum " + (s.checksumOk ? "ok" : "FAILED"));
    }
    if (!problem.empty()) lines.push_back(problem);
    return lines;
}

}  // namespace sqlstandin
