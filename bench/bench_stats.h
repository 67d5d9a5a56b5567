#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

// Small helpers the benchmarks share: medians, the wall clock in
// milliseconds and the stand-in's log times.
namespace BenchStats {

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

// "2026-12-07T07:34:10.874Z" (UTC) in milliseconds since the epoch.
inline std::int64_t logTimeMs(const std::string& stamp)
{
    std::tm t{};
    int ms = 0;
    if (std::sscanf(stamp.c_str(), "%d-%d-%dT%d:%d:%d.%dZ", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
                    &t.tm_sec, &ms) != 7)
        throw std::runtime_error("unreadable log time: " + stamp);
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    return static_cast<std::int64_t>(::timegm(&t)) * 1000 + ms;
}

} // namespace BenchStats
