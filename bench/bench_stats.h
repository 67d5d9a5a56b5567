#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

// Small helpers the benchmarks share: the databases' names, medians and
// ratios, the wall clock in milliseconds and the stand-in's log times.
namespace BenchStats {

// db0001, db0002, ...: the stand-in's databases and the list's entries.
inline std::vector<std::string> databaseNames(int count)
{
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "db%04d", i);
        names.push_back(name);
    }
    return names;
}

// Runs both, the one first in even rounds and the other in odd ones, so
// that neither always meets the machine in the state the other left.
template <typename First, typename Second>
void inTurn(int round, First first, Second second)
{
    if (round % 2 == 0) {
        first();
        second();
    } else {
        second();
        first();
    }
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline double worst(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

inline double best(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// One field of each round's cost, in milliseconds (the costs in seconds).
template <typename Cost, typename Field>
std::vector<double> inMilliseconds(const std::vector<Cost>& costs, Field field)
{
    std::vector<double> result;
    for (const Cost& cost : costs)
        result.push_back(cost.*field * 1000);
    return result;
}

// Per-round ratios of one field, each round's pair measured back to back.
template <typename Cost, typename Field>
std::vector<double> ratios(const std::vector<Cost>& ours, const std::vector<Cost>& theirs, Field field)
{
    std::vector<double> result;
    for (std::size_t i = 0; i < ours.size() && i < theirs.size(); ++i)
        result.push_back(ours[i].*field / theirs[i].*field);
    return result;
}

// Wall-clock milliseconds since the epoch, the clock the stand-in stamps its log with.
inline std::int64_t wallMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

#ifndef _WIN32
// "2026-12-07T07:34:10.874Z" (UTC) in milliseconds since the epoch.
inline std::int64_t logTimeMs(const std::string& stamp)
{
    std::tm t{};
    int ms = 0;
    if (std::sscanf(stamp.c_str(), "%d-%d-%dT%d:%d:%d.%dZ", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
                    &t.tm_sec, &ms)
        != 7)
        throw std::runtime_error("unreadable log time: " + stamp);
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    return static_cast<std::int64_t>(::timegm(&t)) * 1000 + ms;
}
#endif

} // namespace BenchStats
