// What a replacing run of the Windows edition costs per database under Wine
// (bench/wine_replace_bench.sh runs it on the road of scripts/wine-road.sh,
// against a stand-in of its own with DATABASES databases):
//   replace_bench.exe SERVER PASSWORD WORK_FOLDER DATABASES SIZE ROUNDS
// Each round, a BackupRun in replace mode with Windows' shell and ODBC data
// access backs up every database into an empty WORK_FOLDER\ours\, then,
// the next day's slot, again: each old NAME.bak goes aside and, once its
// replacement is written, to the recycle bin (under Wine the freedesktop
// trash of the road's home, ONDREL_ROAD_TRASH, emptied between rounds); and
// the minimal loop of the same ODBC calls (bench/minimal_odbc_loop.cpp) backs
// up every database into an empty WORK_FOLDER\minimal\, the two interleaved
// round by round so that a busy machine slows both alike. CPU time is this
// process's, and also with the wineserver's, which does the file and handle
// work Wine's programs ask of it: the host writes both processes' ids of
// this machine into WORK_FOLDER\pids once the program runs.

#include "bench_stats.h"
#include "minimal_odbc_loop.h"
#include "wide_text.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "backup/backup_run.h"
#include "job/job_spec.h"
#include "platform/odbc/driver_connection_string.h"
#include "platform/odbc/driver_kind.h"
#include "platform/odbc/driver_library.h"
#include "platform/odbc/odbc_data_access.h"
#include "platform/win32/win32_shell.h"
#include "text/server_statements.h"

namespace {

namespace fs = std::filesystem;
using namespace ondrel::win32test;

struct Options {
    std::string server;
    std::string password;
    std::string work; // Z:\... with its trailing separator
    int databases = 0;
    std::string size;
    int rounds = 0;
};

Options parse(int argc, wchar_t** argv)
{
    if (argc < 7)
        throw std::runtime_error("usage: replace_bench.exe SERVER PASSWORD WORK_FOLDER DATABASES SIZE ROUNDS");
    Options options{utf8(argv[1]), utf8(argv[2]), utf8(argv[3]), std::stoi(argv[4]), utf8(argv[5]), std::stoi(argv[6])};
    if (options.work.empty() || options.work.back() != '\\')
        options.work += '\\';
    if (options.databases < 1 || options.rounds < 1)
        throw std::runtime_error("DATABASES and ROUNDS must be at least 1");
    return options;
}

// This machine's ids of this program's process and of the wineserver.
struct Processes {
    std::string own;
    std::string wineserver;
};

// What the host wrote once it found the program running (Wine's process
// ids are not this machine's, and Z:\proc\self is whoever opens the file,
// which under Wine is the wineserver).
Processes processesFromHost(const fs::path& work)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < end) {
        std::ifstream in(work / L"pids");
        Processes processes;
        if (in >> processes.own >> processes.wineserver)
            return processes;
        ::Sleep(50);
    }
    throw std::runtime_error("the host never wrote the processes' ids into " + utf8(work.wstring()) + "\\pids");
}

// The seconds a process's threads have run, from this machine's /proc,
// which Wine shows as Z:\proc (Z: is the machine's root): the kernel's own
// count, in nanoseconds, as the Linux benchmark's process clock reads it,
// fine enough for runs of a few databases too.
double cpuSeconds(const std::string& process)
{
    double nanoseconds = 0;
    std::error_code error;
    int threads = 0;
    for (fs::directory_iterator it(fs::path(wide("Z:\\proc\\" + process + "\\task")), error), end; !error && it != end;
         it.increment(error)) {
        std::ifstream in(it->path() / L"schedstat");
        double ran = 0;
        if (in >> ran) {
            nanoseconds += ran;
            ++threads;
        }
    }
    if (threads == 0)
        throw std::runtime_error("cannot read the CPU time of process " + process + " in Z:\\proc");
    return nanoseconds / 1e9;
}

// What one database cost: wall time, this process's CPU time, and that
// plus the wineserver's.
struct Cost {
    double wall = 0;
    double cpu = 0;
    double cpuWithServer = 0;
};

template <typename Body>
Cost perDatabase(std::size_t databases, const Processes& processes, Body&& body)
{
    const double server = cpuSeconds(processes.wineserver);
    const double cpu = cpuSeconds(processes.own);
    const auto start = std::chrono::steady_clock::now();
    body();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double ownCpu = cpuSeconds(processes.own) - cpu;
    const double serverCpu = cpuSeconds(processes.wineserver) - server;
    const double count = static_cast<double>(databases);
    return {wall / count, ownCpu / count, (ownCpu + serverCpu) / count};
}

// A run with a failing database is no measure of a run.
class FailOnAny final : public BackupRunReport {
public:
    void entryRefused(std::size_t position, const std::string& entry) override
    {
        throw std::runtime_error("entry " + std::to_string(position) + " refused: " + entry);
    }
    void backupFailed(const std::string& bakDb, const std::exception& error) override
    {
        throw std::runtime_error("the backup of " + bakDb + " failed: " + error.what());
    }
};

// Whether the file is a backup set the stand-in wrote.
bool isNewBackup(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    char head[8] = {};
    in.read(head, sizeof head);
    return in && std::string(head, sizeof head) == "SSBKSET1";
}

std::size_t entriesIn(const fs::path& folder)
{
    std::error_code error;
    std::size_t count = 0;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        ++count;
    return count;
}

// Empties the recycle bin our runs filled, between timings.
void emptyTrash(const fs::path& trash)
{
    for (const wchar_t* part : {L"files", L"info"}) {
        std::error_code ignored;
        fs::remove_all(trash / part, ignored);
        fs::create_directories(trash / part);
    }
}

template <typename Field>
void printLine(const char* label, const std::vector<Cost>& ours, const std::vector<Cost>& theirs, Field field)
{
    const std::vector<double> r = BenchStats::ratios(ours, theirs, field);
    std::printf("    %s %7.3f ms vs %7.3f ms per database: ratio median %.3f (rounds %.3f .. %.3f)\n", label,
                BenchStats::median(BenchStats::inMilliseconds(ours, field)),
                BenchStats::median(BenchStats::inMilliseconds(theirs, field)), BenchStats::median(r),
                *std::min_element(r.begin(), r.end()), *std::max_element(r.begin(), r.end()));
}

void run(const Options& options)
{
    const std::vector<std::string> names = BenchStats::databaseNames(options.databases);
    const Processes processes = processesFromHost(fs::path(wide(options.work)));
    const fs::path trash(environmentVariable(L"ONDREL_ROAD_TRASH"));
    if (trash.empty())
        throw std::runtime_error("no ONDREL_ROAD_TRASH: run on the road (scripts/wine-road.sh BUILD run)");

    Win32Shell shell;
    OdbcDataAccess dataAccess;
    BackupRun backupRun(shell, dataAccess, BackupRun::OnFailure::EndTheRun);
    FailOnAny report;
    JobSpec job;
    job.login = {options.server, "sa", options.password, "master"};
    job.databases = names;
    job.folder = options.work + "ours\\";
    job.mode = BackupMode::Replace;
    // Exactly what the run's connection hands the driver.
    MinimalOdbcLoop minimal(DriverConnectionString::forDriver(
        job.login, driverKindOfLibrary(driverLibraryFile(DriverConnectionString::kDriverName))));
    const std::string theirFolder = options.work + "minimal\\";
    std::vector<std::string> statements;
    for (const std::string& name : names)
        statements.push_back(ServerStatements::backupStatement(name, theirFolder + name + ".bak"));
    const fs::path ours(wide(job.folder)), theirs(wide(theirFolder));

    // The driver loaded, and the shell's libraries, before the first timing.
    fs::remove_all(theirs);
    fs::create_directories(theirs);
    minimal.backUpEach({ServerStatements::backupStatement(names.front(), theirFolder + "warm-up.bak")});
    JobSpec warmUp = job;
    warmUp.databases = {names.front()};
    warmUp.folder = options.work + "warm-up\\";
    for (int day = 1; day <= 2; ++day)
        backupRun.run(warmUp, {2026, 11, day, 12, 0, 0, 0}, report);
    emptyTrash(trash);

    std::vector<Cost> intoEmpty, replacing, loop;
    for (int round = 0; round < options.rounds; ++round) {
        fs::remove_all(ours);
        fs::remove_all(theirs);
        fs::create_directories(theirs);
        // A run into an empty folder, then the next day's run, which finds
        // every database's backup of the day before.
        auto ourRuns = [&] {
            intoEmpty.push_back(perDatabase(names.size(), processes, [&] {
                backupRun.run(job, {2026, 12, 1 + 2 * round, 12, 0, 0, 0}, report);
            }));
            replacing.push_back(perDatabase(names.size(), processes, [&] {
                backupRun.run(job, {2026, 12, 2 + 2 * round, 12, 0, 0, 0}, report);
            }));
        };
        auto minimalRun = [&] {
            loop.push_back(perDatabase(names.size(), processes, [&] { minimal.backUpEach(statements); }));
        };
        BenchStats::inTurn(round, ourRuns, minimalRun);
        // Every old file replaced, nothing left aside, every one in the bin.
        if (entriesIn(ours) != names.size() || !isNewBackup(ours / wide(names.front() + ".bak"))
            || !isNewBackup(ours / wide(names.back() + ".bak")))
            throw std::runtime_error("the runs did not leave exactly one backup per database");
        if (entriesIn(trash / L"files") != names.size() || !isNewBackup(trash / L"files" / wide(names.back() + ".bak")))
            throw std::runtime_error("the recycle bin holds " + std::to_string(entriesIn(trash / L"files"))
                                     + " items, not each database's old backup");
        if (entriesIn(theirs) != names.size())
            throw std::runtime_error("the minimal loop did not write one backup per database");
        emptyTrash(trash);
        std::fprintf(stderr, "replace_bench: round %d of %d done\n", round + 1, options.rounds);
    }

    std::printf("Windows replacing run under Wine, per database (%d databases of %s, median of %d round%s): "
                "%.2fx wall, %.2fx CPU\n",
                options.databases, options.size.c_str(), options.rounds, options.rounds == 1 ? "" : "s",
                BenchStats::median(BenchStats::ratios(replacing, loop, &Cost::wall)),
                BenchStats::median(BenchStats::ratios(replacing, loop, &Cost::cpu)));
    std::printf("  (a BackupRun in replace mode against the minimal loop of the same ODBC calls, interleaved round by\n"
                "   round; CPU: the program's own process, then with the wineserver's share)\n");
    std::printf("  Replacing run (each old NAME.bak set aside, then binned through SHFileOperationW) against the "
                "minimal loop:\n");
    printLine("wall", replacing, loop, &Cost::wall);
    printLine("client CPU", replacing, loop, &Cost::cpu);
    printLine("client and wineserver CPU", replacing, loop, &Cost::cpuWithServer);
    std::printf("  Run into an empty folder against the minimal loop:\n");
    printLine("wall", intoEmpty, loop, &Cost::wall);
    printLine("client CPU", intoEmpty, loop, &Cost::cpu);
    printLine("client and wineserver CPU", intoEmpty, loop, &Cost::cpuWithServer);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    try {
        run(parse(argc, argv));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "replace_bench: %s\n", error.what());
        return 1;
    }
}
