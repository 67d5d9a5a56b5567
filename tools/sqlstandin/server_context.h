#pragma once

#include "backup_devices.h"
#include "catalog.h"
#include "options.h"
#include "statement_log.h"

#include <atomic>
#include <chrono>
#include <cstdint>

namespace sqlstandin {

// Everything sessions share; built once at start-up.
struct ServerContext {
    explicit ServerContext(const Options& o)
        : options(o), catalog(o.databases, Options::kDefaultDatabaseSize), log(o.statementLog),
          devices(o.faults.diskSpace) {}

    const Options& options;
    const Catalog catalog;
    StatementLog log;
    BackupDevices devices;
    const std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    std::atomic<std::uint32_t> loginAttempts{0};
    std::atomic<std::uint64_t> nextTransaction{1};
};

}  // namespace sqlstandin
