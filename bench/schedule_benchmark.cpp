// How quickly a scheduled backup starts and what a run costs per database,
// against the stand-in on loopback. The yardstick is the minimal loop of the
// same ODBC calls, run in this process, interleaved with ours round by round
// so that a busy machine slows both alike.

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "bench_stats.h"
#include "bench_window.h"
#include "fakes/fake_clock.h"
#include "fakes/temp_folder.h"
#include "minimal_odbc_loop.h"
#include "platform/odbc/driver_connection_string.h"
#include "platform/odbc/driver_kind.h"
#include "platform/odbc/driver_library.h"
#include "platform/posix/system_clock.h"
#include "platform/qt/tick_driver.h"
#include "slot_delay_run.h"
#include "standin_server.h"
#include "text/server_statements.h"

namespace fs = std::filesystem;
using BenchStats::median;

namespace {

constexpr const char* kPassword = "Bench#1";

struct Options {
    int slots = 15;
    int databases = 100;
    int rounds = 15;
    int scaleDatabases = 1000;
    int scaleRounds = 3;
    int trashDatabases = 100;
    int trashRuns = 100;
    std::string size = "16KB";
};

Options parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--slots")
            options.slots = std::atoi(value);
        else if (name == "--databases")
            options.databases = std::atoi(value);
        else if (name == "--rounds")
            options.rounds = std::atoi(value);
        else if (name == "--scale-databases")
            options.scaleDatabases = std::atoi(value);
        else if (name == "--scale-rounds")
            options.scaleRounds = std::atoi(value);
        else if (name == "--trash-databases")
            options.trashDatabases = std::atoi(value);
        else if (name == "--trash-runs")
            options.trashRuns = std::atoi(value);
        else if (name == "--size")
            options.size = value;
        else
            throw std::runtime_error("unknown option " + name);
    }
    return options;
}

StandinServer standin(const std::vector<std::string>& names, const std::string& size)
{
    StandinOptions options;
    options.logins = {std::string("sa:") + kPassword};
    for (const std::string& name : names)
        options.databases.push_back(name + ":" + size);
    return StandinServer(options);
}

void requireNoBox(const BenchWindow& window, const char* what)
{
    if (!window.messages.boxes.empty())
        throw std::runtime_error(std::string(what) + " showed a box: " + window.messages.boxes.front().text);
}

// The connection string exactly as our connection hands it to the driver.
std::string driverConnectionString(Form1& form)
{
    return DriverConnectionString::forDriver(form.odb(), driverKindOfLibrary(driverLibraryFile("SQL Server")));
}

// What one database cost: wall time, and the CPU time of this process (the
// client's share, much less disturbed by whatever else the machine runs).
struct Cost {
    double wall = 0;
    double cpu = 0;
};

double processCpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

template <typename Body>
Cost perDatabase(std::size_t databases, Body&& body)
{
    const auto start = std::chrono::steady_clock::now();
    const double cpu = processCpuSeconds();
    body();
    const double count = static_cast<double>(databases);
    return {BenchStats::secondsSince(start) / count, (processCpuSeconds() - cpu) / count};
}

// A trash of its own for the runs that follow: a fresh data home rather
// than an emptied trash, and the runs' folders are left until the end.
// Thousands of files deleted just before a timing would slow it: on a file
// system like this machine's ext4 without a journal, every file made in
// the next half minute first skips the inodes freed recently.
fs::path freshDataHome(const fs::path& under, const std::string& name)
{
    const fs::path home = under / name;
    fs::create_directories(home);
    ::setenv("XDG_DATA_HOME", home.c_str(), 1);
    return home;
}

// --- The delay from a slot's second to its first statement at the server. ---

void slotDelay(const Options& options, const fs::path& work)
{
    StandinServer server = standin({"sales", "crm"}, "1MB");
    SystemClock clock;
    OdbcDataAccess odbc;
    BenchWindow window(clock, odbc);
    window.job(server.serverField(), kPassword, {"sales", "crm"}, (work / "slots").string() + "/");

    SlotDelayRun run(window, options.slots, 2);
    TickDriver ticks(window.form.Timer1, [&] {
        run.noteTick(BenchStats::wallMs());
        window.form.Timer1_Timer();
    });
    window.form.Timer1.setEnabled(true);
    run.run();
    window.form.Timer1.setEnabled(false);
    requireNoBox(window, "a scheduled run");

    std::vector<std::int64_t> backups;
    for (const StandinLogEntry& entry : server.log()) {
        if ((entry.kind == "batch" || entry.kind == "rpc") && entry.text.rfind("backup", 0) == 0)
            backups.push_back(BenchStats::logTimeMs(entry.time));
    }
    std::vector<double> delays, tickOffsets;
    int missed = 0;
    for (const std::int64_t slot : run.slotSeconds()) {
        const std::int64_t start = slot * 1000;
        std::int64_t first = -1;
        for (const std::int64_t at : backups) {
            if (at >= start && at < start + 1000) {
                first = at;
                break;
            }
        }
        if (first < 0) {
            ++missed;
            continue;
        }
        delays.push_back(static_cast<double>(first - start));
        for (const std::int64_t tick : run.tickTimesMs()) {
            if (tick >= start && tick < start + 1000) {
                tickOffsets.push_back(static_cast<double>(tick - start));
                break;
            }
        }
    }
    std::printf("Slot second to first BACKUP statement at the server, %d slots (real clock, Qt tick driver):\n",
                options.slots);
    std::printf("  median %.0f ms, best %.0f ms, worst %.0f ms; slots without a statement in their second: %d\n",
                median(delays), BenchStats::best(delays), BenchStats::worst(delays), missed);
    std::printf("  of which the tick's own lateness: median %.0f ms, worst %.0f ms (target: statement within 50 ms)\n",
                median(tickOffsets), BenchStats::worst(tickOffsets));
}

// --- The cost per database of a run, against the minimal loop. ---

struct RoundTimes {
    std::vector<Cost> ours, replacing, minimal;
};

RoundTimes runCost(BenchWindow& window, FakeClock& clock, MinimalOdbcLoop& minimal,
                   const std::vector<std::string>& names, int rounds, const fs::path& work, const fs::path& dataHome)
{
    RoundTimes times;
    for (int round = 0; round < rounds; ++round) {
        const std::string ours = (work / ("ours-" + std::to_string(round))).string() + "/";
        const std::string theirs = (work / ("minimal-" + std::to_string(round))).string() + "/";
        fs::create_directories(theirs);
        freshDataHome(dataHome, work.filename().string() + "-" + std::to_string(round));
        std::vector<std::string> statements;
        for (const std::string& name : names)
            statements.push_back(ServerStatements::backupStatement(name, theirs + name + ".bak"));
        window.form.Text5.setText(ours);

        // A run into an empty folder, then the next day's run that moves
        // each old file to the trash first.
        auto ourRuns = [&] {
            times.ours.push_back(perDatabase(names.size(), [&] { window.form.Timer1_Timer(); }));
            clock.advanceDays(1);
            times.replacing.push_back(perDatabase(names.size(), [&] { window.form.Timer1_Timer(); }));
            clock.advanceDays(1);
        };
        auto minimalRun = [&] {
            times.minimal.push_back(perDatabase(names.size(), [&] { minimal.backUpEach(statements); }));
        };
        BenchStats::inTurn(round, ourRuns, minimalRun);
        requireNoBox(window, "a run");
        if (!fs::exists(ours + names.back() + ".bak") || !fs::exists(theirs + names.back() + ".bak"))
            throw std::runtime_error("a run left no backup file");
    }
    return times;
}

struct CheckTimes {
    std::vector<Cost> ours, minimal;
};

CheckTimes checkCost(BenchWindow& window, MinimalOdbcLoop& minimal, const std::vector<std::string>& names, int rounds)
{
    std::vector<std::string> queries;
    for (const std::string& name : names)
        queries.push_back("Select * From master.dbo.sysdatabases Where name = N'" + name + "'");
    CheckTimes times;
    for (int round = 0; round < rounds; ++round) {
        auto ours = [&] {
            std::size_t found = 0;
            times.ours.push_back(perDatabase(names.size(), [&] { found = window.form.bd(); }));
            if (found != names.size())
                throw std::runtime_error("the existence check did not find every database");
        };
        auto theirs = [&] {
            std::size_t found = 0;
            times.minimal.push_back(perDatabase(names.size(), [&] { found = minimal.queryEach(queries); }));
            if (found != names.size())
                throw std::runtime_error("the minimal query loop did not find every database");
        };
        BenchStats::inTurn(round, ours, theirs);
        requireNoBox(window, "the existence check");
    }
    return times;
}

// Per-round ratios, each round's pair measured back to back.
void printCost(const char* what, const std::vector<Cost>& ours, const std::vector<Cost>& theirs, const char* yardstick)
{
    const std::vector<double> wall = BenchStats::ratios(ours, theirs, &Cost::wall);
    const std::vector<double> cpu = BenchStats::ratios(ours, theirs, &Cost::cpu);
    std::printf("  %s against the %s:\n", what, yardstick);
    std::printf("    wall %6.3f ms vs %6.3f ms per database: ratio median %.3f (rounds %.3f .. %.3f)\n",
                median(BenchStats::inMilliseconds(ours, &Cost::wall)),
                median(BenchStats::inMilliseconds(theirs, &Cost::wall)), median(wall), BenchStats::best(wall),
                BenchStats::worst(wall));
    std::printf("    client CPU %6.3f ms vs %6.3f ms per database: ratio median %.3f (rounds %.3f .. %.3f)\n",
                median(BenchStats::inMilliseconds(ours, &Cost::cpu)),
                median(BenchStats::inMilliseconds(theirs, &Cost::cpu)), median(cpu), BenchStats::best(cpu),
                BenchStats::worst(cpu));
}

void perDatabaseCost(int databases, int rounds, const std::string& size, const fs::path& work, const fs::path& dataHome)
{
    const std::vector<std::string> names = BenchStats::databaseNames(databases);
    StandinServer server = standin(names, size);
    FakeClock clock({2026, 12, 6, 12, 0, 0, 0});
    OdbcDataAccess odbc;
    BenchWindow window(clock, odbc);
    window.job(server.serverField(), kPassword, names, work.string() + "/");
    window.form.Text8.setText("12:00:00");
    MinimalOdbcLoop minimal(driverConnectionString(window.form));

    const RoundTimes run = runCost(window, clock, minimal, names, rounds, work, dataHome);
    const CheckTimes check = checkCost(window, minimal, names, rounds);
    std::printf("%d databases of %s, %d rounds, ours and the minimal loop interleaved:\n", databases, size.c_str(),
                rounds);
    printCost("Run into an empty folder", run.ours, run.minimal, "minimal backup loop (target 1.1)");
    printCost("Run replacing the old files (each moved to the trash first)", run.replacing, run.minimal,
              "minimal backup loop");
    printCost("Existence check (bd), one connection", check.ours, check.minimal, "minimal query loop");
    printCost("Existence check (bd)", check.ours, run.minimal, "minimal backup loop");
}

// --- A replacing run's cost as earlier runs' old backups fill the trash. ---

std::size_t itemsInTrash(const fs::path& dataHome)
{
    std::error_code error;
    fs::directory_iterator files(dataHome / "Trash" / "files", error);
    if (error)
        return 0;
    return static_cast<std::size_t>(std::distance(files, fs::directory_iterator()));
}

// The same slot day after day in replace mode: every run after the first
// moves each database's old file to the trash, which is never emptied. A
// run must cost the same whatever the trash holds already. Beside each run,
// the minimal loop backs up the same databases: what the machine does
// meanwhile (other builds, a file system still busy with what the parts
// before deleted) shows in both.
void trashGrowth(int databases, int runs, const std::string& size, const fs::path& work, const fs::path& dataHomes)
{
    const fs::path dataHome = freshDataHome(dataHomes, "trash-growth");
    const std::vector<std::string> names = BenchStats::databaseNames(databases);
    StandinServer server = standin(names, size);
    FakeClock clock({2026, 12, 6, 12, 0, 0, 0});
    OdbcDataAccess odbc;
    BenchWindow window(clock, odbc);
    window.job(server.serverField(), kPassword, names, (work / "ours").string() + "/");
    window.form.Text8.setText("12:00:00");
    MinimalOdbcLoop minimal(driverConnectionString(window.form));
    const fs::path theirs = work / "minimal";
    fs::create_directories(theirs);

    window.form.Timer1_Timer(); // into the empty folder
    clock.advanceDays(1);
    std::vector<Cost> ours, yardstick;
    std::size_t before = 0, beforeLast = 0;
    for (int run = 0; run < runs; ++run) {
        if (run == 0)
            before = itemsInTrash(dataHome);
        if (run == runs - 1)
            beforeLast = itemsInTrash(dataHome);
        auto ourRun = [&] {
            ours.push_back(perDatabase(names.size(), [&] { window.form.Timer1_Timer(); }));
            clock.advanceDays(1);
        };
        // Each run into new files, as ours are after the old ones left:
        // a backup onto an existing file would add to it.
        std::vector<std::string> statements;
        for (const std::string& name : names) {
            const std::string file = name + "-" + std::to_string(run) + ".bak";
            statements.push_back(ServerStatements::backupStatement(name, (theirs / file).string()));
        }
        auto minimalRun = [&] {
            yardstick.push_back(perDatabase(names.size(), [&] { minimal.backUpEach(statements); }));
        };
        BenchStats::inTurn(run, ourRun, minimalRun);
        requireNoBox(window, "a replacing run");
    }
    const std::size_t after = itemsInTrash(dataHome);
    if (after != static_cast<std::size_t>(databases) * static_cast<std::size_t>(runs))
        throw std::runtime_error("the trash holds " + std::to_string(after) + " items, not every old backup");

    std::printf("Replacing runs as the trash fills, %d databases of %s, %d runs: Ondrel's items in the trash before "
                "the first run %zu, before the last %zu, after it %zu\n",
                databases, size.c_str(), runs, before, beforeLast, after);
    const auto compare = [](const char* what, double last, double first, const char* unit) {
        std::printf("    %s %6.3f%s vs %6.3f%s: ratio %.3f\n", what, last, unit, first, unit, last / first);
    };
    std::printf("  Last run (run %d) against the first, per database:\n", runs);
    compare("wall", ours.back().wall * 1000, ours.front().wall * 1000, " ms");
    compare("client CPU", ours.back().cpu * 1000, ours.front().cpu * 1000, " ms");
    // A single run is at the mercy of whatever else the machine does then.
    const std::size_t count = std::max<std::size_t>(1, std::min<std::size_t>(5, ours.size() / 2));
    const auto firstOf = [count](const std::vector<Cost>& costs) {
        return std::vector<Cost>(costs.begin(), costs.begin() + static_cast<std::ptrdiff_t>(count));
    };
    const auto lastOf = [count](const std::vector<Cost>& costs) {
        return std::vector<Cost>(costs.end() - static_cast<std::ptrdiff_t>(count), costs.end());
    };
    std::printf("  Median of the last %zu runs against the first %zu, per database:\n", count, count);
    compare("wall", median(BenchStats::inMilliseconds(lastOf(ours), &Cost::wall)),
            median(BenchStats::inMilliseconds(firstOf(ours), &Cost::wall)), " ms");
    compare("client CPU", median(BenchStats::inMilliseconds(lastOf(ours), &Cost::cpu)),
            median(BenchStats::inMilliseconds(firstOf(ours), &Cost::cpu)), " ms");
    std::printf("  The same, each run's cost divided by the minimal backup loop's beside it:\n");
    compare("wall", median(BenchStats::ratios(lastOf(ours), lastOf(yardstick), &Cost::wall)),
            median(BenchStats::ratios(firstOf(ours), firstOf(yardstick), &Cost::wall)), "");
    compare("client CPU", median(BenchStats::ratios(lastOf(ours), lastOf(yardstick), &Cost::cpu)),
            median(BenchStats::ratios(firstOf(ours), firstOf(yardstick), &Cost::cpu)), "");
}

} // namespace

int main(int argc, char** argv)
{
    // Each figure as soon as it is known, also into a file or a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    try {
        const Options options = parse(argc, argv);
        TempFolder temp;
        // The runs' trash lands in a data home of the benchmark's own.
        const fs::path dataHome = temp.path() / "data";
        fs::create_directories(dataHome);
        ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        useProjectOdbcDrivers();
        QCoreApplication app(argc, argv);

        if (options.slots > 0)
            slotDelay(options, temp.path() / "slot-delay");
        std::printf("\n");
        if (options.databases > 0)
            perDatabaseCost(options.databases, options.rounds, options.size, temp.path() / "cost", dataHome);
        std::printf("\n");
        if (options.scaleDatabases > 0)
            perDatabaseCost(options.scaleDatabases, options.scaleRounds, options.size, temp.path() / "scale", dataHome);
        std::printf("\n");
        if (options.trashRuns > 0 && options.trashDatabases > 0)
            trashGrowth(options.trashDatabases, options.trashRuns, options.size, temp.path() / "trash-growth",
                        dataHome);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "schedule_benchmark: %s\n", error.what());
        return 1;
    }
}
