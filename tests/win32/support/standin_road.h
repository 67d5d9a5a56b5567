#pragma once

#include <string>
#include <vector>

// The SQL Server stand-in that the road (scripts/wine-road.sh up) runs on
// this machine for the Windows tests, as the environment describes it.
namespace ondrel::win32test {

class StandinRoad final {
public:
    // Fails the calling test (ADD_FAILURE) when the road is not up.
    static StandinRoad fromEnvironment();

    bool up() const { return !server_.empty(); }
    const std::wstring& server() const { return server_; }   // 127.0.0.1,PORT
    const std::wstring& backups() const { return backups_; } // the stand-in's backup folder, as Z:\...
    std::wstring connectionString(const std::wstring& database = L"master") const;
    // The texts of the statements the stand-in received (batches and RPCs), in order.
    std::vector<std::string> statements() const;

private:
    std::wstring server_, password_, log_, backups_;
};

} // namespace ondrel::win32test
