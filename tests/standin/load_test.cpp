#include "standin_test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

// 1,000 login-query-logout cycles from several threads at once. Nothing is
// asserted about speed (machines are shared); the figures are printed so a
// slowdown shows up as a ratio against earlier runs.
TEST(StandinLoad, ServesAThousandLoginQueryLogoutCycles) {
    constexpr int kThreads = 4;
    constexpr int kCyclesPerThread = 250;
    StandinOptions options;
    options.databases = {"Sales:256KB"};
    StandinServer server(options);
    useProjectOdbcDrivers();
    const std::string connection = standinConnectionString(server, "sa:Secret#1", "Sales");

    std::atomic<int> succeeded{0};
    std::vector<std::vector<double>> latencies(kThreads);
    const auto started = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kCyclesPerThread; ++i) {
                const auto begin = std::chrono::steady_clock::now();
                OdbcSession session;
                if (!session.connect(connection).ok()) continue;
                const OdbcResult r = session.execute("select name, dbid from master.dbo.sysdatabases where name = ?", {"Sales"});
                session.disconnect();
                if (r.ok() && r.rows.size() == 1 && r.rows[0][0] == "Sales") ++succeeded;
                latencies[t].push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
            }
        });
    }
    for (auto& t : threads) t.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    EXPECT_EQ(succeeded.load(), kThreads * kCyclesPerThread);
    int logins = 0;
    int queries = 0;
    int disconnects = 0;
    for (const auto& e : server.log()) {
        logins += e.kind == "login" && e.ok;
        queries += e.kind == "rpc";
        disconnects += e.kind == "disconnect";
    }
    EXPECT_EQ(logins, kThreads * kCyclesPerThread);
    EXPECT_EQ(queries, kThreads * kCyclesPerThread);
    EXPECT_EQ(disconnects, kThreads * kCyclesPerThread);

    std::vector<double> all;
    for (const auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
    std::sort(all.begin(), all.end());
    if (!all.empty()) {
        std::printf("[ load     ] %d cycles in %.2f s: %.0f cycles/s; per cycle median %.2f ms, 99th %.2f ms\n",
                    static_cast<int>(all.size()), seconds, static_cast<double>(all.size()) / seconds, all[all.size() / 2],
                    all[all.size() * 99 / 100]);
    }
}

}  // namespace
