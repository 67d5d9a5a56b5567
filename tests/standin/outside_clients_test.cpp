// The stand-in proves nothing if only our own code accepts it: the same
// conversations through tsql (FreeTDS's own client), isql (unixODBC) and
// python3-tds (an independent implementation of TDS).

#include "run_program.h"
#include "standin_inspection.h"
#include "standin_test_support.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <thread>
#include <tuple>

namespace fs = std::filesystem;

namespace {

using ondrel::test::runProgram;

enum class Client { Tsql, Isql, Python };

const char* clientName(Client c) {
    switch (c) {
    case Client::Tsql: return "Tsql";
    case Client::Isql: return "Isql";
    case Client::Python: return "PythonTds";
    }
    return "";
}

// A statement; "?" marks a parameter, which pytds binds itself and which
// tsql and isql (unable to bind) send through EXEC sp_executesql.
struct Sql {
    Sql(std::string t, std::vector<std::string> p = {}) : text(std::move(t)), params(std::move(p)) {}
    std::string text;
    std::vector<std::string> params;
};

struct Limits {
    std::string password = "Secret#1";
    int loginTimeout = 10;
    int queryTimeout = 0;
};

struct ClientRun {
    int exitCode = -1;
    std::string output;
};

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string withNamedParameters(const Sql& sql) {
    if (sql.params.empty()) return sql.text;
    std::string text;
    std::string declaration;
    std::string values;
    int n = 0;
    for (char c : sql.text) {
        if (c != '?') {
            text += c == '\'' ? std::string("''") : std::string(1, c);
            continue;
        }
        const std::string name = "@P" + std::to_string(++n);
        text += name;
        declaration += (n > 1 ? "," : "") + name + " nvarchar(4000)";
        values += ", " + name + " = N'" + sql.params.at(static_cast<std::size_t>(n - 1)) + "'";
    }
    return "exec sp_executesql N'" + text + "', N'" + declaration + "'" + values;
}

// Time-outs reach tsql and isql through FreeTDS's configuration file; a
// login time-out only when they name its server entry (tsql -S, isql
// Servername=): given host and port directly, both wait 60 s.
std::string freetdsConf(const StandinServer& server, const Limits& limits) {
    const fs::path file = server.backupDir().parent_path() / "freetds.conf";
    const std::string timeouts = "\tconnect timeout = " + std::to_string(limits.loginTimeout) + "\n" +
                                 (limits.queryTimeout > 0 ? "\ttimeout = " + std::to_string(limits.queryTimeout) + "\n" : "");
    std::ofstream(file) << "[global]\n" << timeouts << "[standin]\n\thost = 127.0.0.1\n\tport = " << server.port() << "\n"
                        << timeouts;
    return "FREETDSCONF=" + file.string();
}

ClientRun runClient(Client client, const StandinServer& server, const std::vector<Sql>& statements, const Limits& limits = {}) {
    // tsql never gives up on an unanswered login (it counts the seconds), so
    // with a login time-out set every client is stopped a little after it.
    const bool defaultLogin = limits.loginTimeout == Limits{}.loginTimeout;
    const auto timeout = std::chrono::seconds(defaultLogin ? 60 : limits.loginTimeout + 3);
    ondrel::test::ProgramResult r;
    if (client == Client::Tsql) {
        std::string input;
        for (const Sql& s : statements) input += withNamedParameters(s) + "\ngo\n";
        std::vector<std::string> argv = {"tsql", "-H", "127.0.0.1", "-p", std::to_string(server.port())};
        if (!defaultLogin) argv = {"tsql", "-S", "standin"};
        argv.insert(argv.end(), {"-U", "sa", "-P", limits.password});
        r = runProgram(argv, input + "exit\n", timeout, {"LC_ALL=C.UTF-8", freetdsConf(server, limits)});
    } else if (client == Client::Isql) {
        std::string input;
        for (const Sql& s : statements) input += withNamedParameters(s) + "\n";
        std::string connection = "Driver={SQL Server};" +
                                 (defaultLogin ? "Server=" + server.serverField() : std::string("Servername=standin")) +
                                 ";UID=sa;PWD=" + limits.password + ";ClientCharset=UTF-8;";
        if (limits.queryTimeout > 0) connection += "Timeout=" + std::to_string(limits.queryTimeout) + ";";
        r = runProgram({"isql", "-v", "-b", "-k", connection}, input, timeout,
                       {"ODBCSYSINI=" ONDREL_ODBCSYSINI, "LC_ALL=C.UTF-8", freetdsConf(server, limits)});
    } else {
        std::string list;
        for (const Sql& s : statements) {
            std::string params;
            for (const std::string& p : s.params) params += (params.empty() ? "" : ",") + jsonString(p);
            list += (list.empty() ? "" : ",") + std::string("{\"sql\":") +
                    jsonString(std::regex_replace(s.text, std::regex("\\?"), "%s")) + ",\"params\":[" + params + "]}";
        }
        const std::string request = "{\"port\":" + std::to_string(server.port()) + ",\"user\":\"sa\",\"password\":" +
                                    jsonString(limits.password) + ",\"login_timeout\":" +
                                    std::to_string(limits.loginTimeout) + ",\"timeout\":" +
                                    std::to_string(limits.queryTimeout) + ",\"statements\":[" + list + "]}";
        r = runProgram({"/usr/bin/python3", STANDIN_PYTDS_CLIENT}, request, timeout, {"PYTHONIOENCODING=utf-8"});
    }
    return ClientRun{r.exitCode, r.out + r.err};
}

struct Scenario {
    const char* name;
    std::vector<std::string> switches;
    std::vector<Sql> statements;
    Limits limits;
    std::vector<std::string> expected;        // texts every client shows
    std::map<std::string, std::size_t> sets;  // backup files left, and their sets
    bool loggedIn = true;
    bool cancelled = false;                   // the client gives up mid-statement
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }
void PrintTo(Client c, std::ostream* os) { *os << clientName(c); }

class OutsideClients : public ::testing::TestWithParam<std::tuple<Client, Scenario>> {};

TEST_P(OutsideClients, SeeWhatSqlServerWouldShowThem) {
    const auto& [client, scenario] = GetParam();
    StandinOptions options;
    options.databases = {"Sales:512KB", "销售:256KB"};
    options.extraArgs = scenario.switches;
    StandinServer server(options);
    const ClientRun run = runClient(client, server, scenario.statements, scenario.limits);
    for (const std::string& text : scenario.expected) EXPECT_TRUE(contains(run.output, text)) << text << "\n---\n" << run.output;

    if (scenario.cancelled) {
        // tsql hangs up at its time-out; isql and pytds send ATTENTION. The
        // stand-in logs either once it has removed the partial set.
        for (int i = 0; i < 400 && server.log().back().kind != "disconnect"; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const auto kinds = server.log();
        EXPECT_EQ(kinds.at(2).kind, client == Client::Tsql ? "disconnect" : "attention") << kinds.at(2).raw;
    }

    std::map<std::string, std::size_t> sets;
    for (const auto& entry : fs::directory_iterator(server.backupDir()))
        sets[entry.path().filename().string()] = inspectBackup(entry.path()).sets.size();
    EXPECT_EQ(sets, scenario.sets) << run.output;

    const auto log = server.log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().kind, "login");
    EXPECT_EQ(log.front().ok, scenario.loggedIn);
    if (!scenario.loggedIn) {
        EXPECT_TRUE(server.statements().empty());
    }
}

const std::string kExists = "select name, dbid from master.dbo.sysdatabases where name = ";
const std::string kLong(130, 'x');

const Scenario kScenarios[] = {
    {"ExistenceAsLiteral", {}, {{kExists + "N'sales  '"}}, {}, {"Sales"}, {}},
    {"ExistenceAsParameter", {}, {{kExists + "?", {"销售"}}}, {}, {"销售"}, {}},
    {"WrongPassword", {}, {{"select 1"}}, {"wrong"}, {"Login failed for user 'sa'."}, {}, false},
    {"StatementErrors",
     {},
     {{"frobnicate"}, {"select N'open"}, {"select [" + kLong + "]"}},
     {},
     {"Incorrect syntax near 'frobnicate'.", "Unclosed quotation mark after the character string 'open",
      "The identifier that starts with '" + kLong.substr(0, 128) + "' is too long. Maximum length is 128."},
     {}},
    {"Backup",
     {},
     {{"backup database Sales to disk = N'c.bak'"}},
     {},
     {"Processed 64 pages for database 'Sales', file 'Sales' on file 1.",
      "Processed 2 pages for database 'Sales', file 'Sales_log' on file 1.",
      "BACKUP DATABASE successfully processed 66 pages in "},
     {{"c.bak", 1}}},
    {"BackupAppends",
     {},
     {{"backup database [销售] to disk = N'twice.bak'"}, {"backup database [销售] to disk = N'twice.bak'"}},
     {},
     {"Processed 32 pages for database '销售', file '销售' on file 2."},
     {{"twice.bak", 2}}},
    {"BackupOfAnUnknownDatabase",
     {},
     {{"backup database Nowhere to disk = N'x.bak'"}},
     {},
     {"Database 'Nowhere' does not exist. Make sure that the name is entered correctly.",
      "BACKUP DATABASE is terminating abnormally."},
     {}},
    {"BackupToAMissingFolder",
     {},
     {{"backup database Sales to disk = N'missing/x.bak'"}},
     {},
     {"Operating system error 3(The system cannot find the path specified.).", "BACKUP DATABASE is terminating abnormally."},
     {}},
    {"BackupOnAFullDisk",
     {"--disk-full"},
     {{"backup database Sales to disk = N'full.bak'"}},
     {},
     {"failed: 112(There is not enough space on the disk.)", "BACKUP DATABASE is terminating abnormally."},
     {}},
    {"SlowBackup", {"--slow-backup", "800"}, {{"backup database Sales to disk = N's.bak'"}}, {}, {"successfully processed"}, {{"s.bak", 1}}},
    {"QueryTimeOutMidBackup", {"--slow-backup", "8000"}, {{"backup database Sales to disk = N't.bak'"}}, {"Secret#1", 10, 1}, {}, {}, true, true},
    {"ConnectionDroppedMidBackup", {"--drop-connection-on", "backup database"}, {{"backup database Sales to disk = N'd.bak'"}}, {}, {}, {}},
    {"LoginNeverAnswered", {"--never-answer-login"}, {{"select 1"}}, {"Secret#1", 2, 0}, {}, {}, false},
    {"LoginRefused", {"--refuse-logins", "1"}, {{"select 1"}}, {}, {"Login failed for user 'sa'."}, {}, false},
};

INSTANTIATE_TEST_SUITE_P(Standin, OutsideClients,
                         ::testing::Combine(::testing::Values(Client::Tsql, Client::Isql, Client::Python),
                                            ::testing::ValuesIn(kScenarios)),
                         [](const auto& test) {
                             return std::string(clientName(std::get<0>(test.param))) + "_" + std::get<1>(test.param).name;
                         });

TEST(OutsideClients, PythonTdsOpensATransactionInWhichBackupIsRefused) {
    // pytds leaves autocommit off by default, as DB-API asks, and so opens a
    // transaction first; SQL Server refuses a backup inside one.
    StandinServer server;
    const std::string request = "{\"port\":" + std::to_string(server.port()) +
                                ",\"user\":\"sa\",\"password\":\"Secret#1\",\"autocommit\":false,"
                                "\"statements\":[{\"sql\":\"backup database master to disk = 'm.bak'\"}]}";
    const auto run = runProgram({"/usr/bin/python3", STANDIN_PYTDS_CLIENT}, request);
    EXPECT_TRUE(contains(run.out, "Msg 3021: Cannot perform a backup or restore operation within a transaction.")) << run.out;
    EXPECT_TRUE(contains(run.out, "Msg 3013: BACKUP DATABASE is terminating abnormally.")) << run.out;
    EXPECT_TRUE(fs::is_empty(server.backupDir()));
}

TEST(OutsideClients, TsqlShowsMessagesInTheOrderSent) {
    StandinServer server;
    const ClientRun run = runClient(Client::Tsql, server, {{"backup database Nowhere to disk = N'x.bak'"}});
    EXPECT_LT(run.output.find("Msg 911"), run.output.find("Msg 3013")) << run.output;
}

}  // namespace
