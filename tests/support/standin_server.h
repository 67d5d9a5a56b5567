#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

// Runs build/sqlstandin for a test: on a free port, with a statement log and
// a backup folder of its own, stopped (SIGTERM) when the object goes away.

struct StandinOptions {
    std::vector<std::string> logins{"sa:Secret#1"};   // USER:PASSWORD
    std::vector<std::string> databases;               // NAME or NAME:SIZE
    std::filesystem::path backupDir;                  // empty: a fresh temp folder
    std::vector<std::string> extraArgs;               // fault switches etc.
    std::vector<std::string> launcher;                // e.g. {"ip", "netns", "exec", NS}: run it through this
};

// One line of the statement log. kind: login, batch, rpc (a statement sent
// through sp_executesql, sp_prepexec or sp_execute), attention, transaction,
// prepare, procedure (any other RPC), disconnect.
struct StandinLogEntry {
    std::string time, kind, user, text;
    int conn = 0;
    bool ok = false;
    std::vector<std::string> params;   // a NULL parameter reads "NULL"
    std::string raw;                   // the JSON line itself
};

class StandinServer final {
public:
    // Throws std::runtime_error if the ready line does not come within 10 s.
    explicit StandinServer(StandinOptions options = {});
    ~StandinServer();
    StandinServer(const StandinServer&) = delete;
    StandinServer& operator=(const StandinServer&) = delete;

    int port() const { return port_; }
    const std::string& address() const { return address_; }   // what it listens on, 127.0.0.1 unless --listen
    std::string serverField() const;   // "ADDRESS,PORT", as an operator types it
    std::filesystem::path logPath() const { return workDir_ / "statements.jsonl"; }
    std::filesystem::path backupDir() const { return backupDir_; }
    std::vector<StandinLogEntry> log() const;
    std::vector<std::string> statements() const;   // texts of batch and rpc entries
    std::string standardError() const;
    // Freezes the process (SIGSTOP): its system still accepts connections,
    // nothing answers them. resume() (SIGCONT) lets it go on.
    void suspend();
    void resume();
    // Stops the stand-in (SIGTERM, then SIGKILL after 5 s); returns its exit
    // status, or -1 if it had to be killed. Safe to call twice.
    int stop();

private:
    std::filesystem::path workDir_;
    std::filesystem::path backupDir_;
    bool ownBackupDir_ = false;
    pid_t pid_ = -1;
    int port_ = 0;
    std::string address_;
    int exitStatus_ = -1;
};

// Points unixODBC at the project's driver list (odbcinst.ini registering
// FreeTDS as "SQL Server") unless ODBCSYSINI is already set.
void useProjectOdbcDrivers();
// Connection string fields for the stand-in, e.g.
// "Driver={SQL Server};Server=127.0.0.1,PORT;UID=sa;PWD={Secret#1};"
std::string standinConnectionString(const StandinServer& server, const std::string& login = "sa:Secret#1",
                                    const std::string& database = {});
