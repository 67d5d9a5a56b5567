#include "standin_inspection.h"

#include "run_program.h"

#include <regex>
#include <sstream>

StandinInspection inspectBackup(const std::filesystem::path& file) {
    const auto run = ondrel::test::runProgram({ONDREL_STANDIN_PATH, "--inspect", file.string()});
    StandinInspection result;
    result.exitCode = run.exitCode;
    std::istringstream lines(run.out);
    static const std::regex setLine(
        R"(set (\d+): database '((?:[^']|'')*)', time (\S+), size (\d+) bytes, checksum (ok|FAILED))");
    for (std::string line; std::getline(lines, line);) {
        result.lines.push_back(line);
        std::smatch m;
        if (!std::regex_match(line, m, setLine)) continue;
        StandinInspectedSet set;
        set.number = std::stoi(m[1]);
        for (std::size_t i = 0; i < m[2].str().size(); ++i) {
            set.database += m[2].str()[i];
            if (m[2].str()[i] == '\'') ++i;
        }
        set.time = m[3];
        set.size = std::stoull(m[4]);
        set.checksumOk = m[5] == "ok";
        result.sets.push_back(set);
    }
    return result;
}
