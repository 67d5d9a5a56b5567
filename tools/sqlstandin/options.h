#pragma once

#include "catalog.h"
#include "usage_error.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sqlstandin {

struct Login {
    std::string user;
    std::string password;
};

// Misbehaviour on request, for testing how clients cope.
struct FaultPlan {
    std::uint32_t slowBackupMs = 0;
    // --slow-backup-of NAME=MS: that database's backups alone take MS.
    std::map<std::string, std::uint32_t> slowBackupOf;
    std::string dropConnectionOn;            // statement text fragment, any letter case
    bool neverAnswerPrelogin = false;        // accept, read, never answer
    bool neverAnswerLogin = false;
    std::uint32_t refuseLoginsForMs = 0;     // from start-up
    std::uint32_t refuseLoginCount = 0;      // the first N login attempts
    std::optional<std::uint64_t> diskSpace;  // bytes all backups together may write
};

struct Options {
    int port = 1433;
    std::string listenAddress = "127.0.0.1";  // an IPv4 address of this host
    std::vector<Login> logins;
    std::vector<Catalog::Entry> databases;
    std::optional<std::filesystem::path> statementLog;
    std::filesystem::path backupDir;         // absolute after parsing
    // --drive X:=DIR: Windows drive letter (upper case) -> host folder (absolute).
    std::map<char, std::filesystem::path> drives;
    std::optional<std::filesystem::path> inspectFile;
    bool help = false;
    FaultPlan faults;

    static constexpr std::uint64_t kDefaultDatabaseSize = 4ull << 20;

    static Options parse(const std::vector<std::string>& args);
    static std::string usage();
    // "4MB", "512KB", "1GB", "1000" (bytes)
    static std::uint64_t parseSize(const std::string& text);
};

}  // namespace sqlstandin
