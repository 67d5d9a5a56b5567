#include "options.h"

#include <arpa/inet.h>
#include <cctype>
#include <charconv>
#include <system_error>

namespace sqlstandin {
namespace {

std::uint64_t parseNumber(const std::string& text, const std::string& what) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        throw UsageError(what + " needs a whole number, not '" + text + "'");
    return value;
}

std::uint32_t parseMillis(const std::string& text, const std::string& what) {
    const std::uint64_t v = parseNumber(text, what);
    if (v > 24ull * 3600 * 1000) throw UsageError(what + " is longer than a day");
    return static_cast<std::uint32_t>(v);
}

}  // namespace

std::uint64_t Options::parseSize(const std::string& text) {
    std::size_t digits = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
    if (digits == 0) throw UsageError("size '" + text + "' does not start with a number");
    const std::uint64_t number = parseNumber(text.substr(0, digits), "a size");
    std::string unit;
    for (char c : text.substr(digits)) unit += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::uint64_t scale = 1;
    if (unit.empty() || unit == "B") scale = 1;
    else if (unit == "KB" || unit == "K") scale = 1ull << 10;
    else if (unit == "MB" || unit == "M") scale = 1ull << 20;
    else if (unit == "GB" || unit == "G") scale = 1ull << 30;
    else throw UsageError("size '" + text + "' has an unknown unit (use B, KB, MB or GB)");
    if (number > (1ull << 40) / scale) throw UsageError("size '" + text + "' is too large");
    return number * scale;
}

Options Options::parse(const std::vector<std::string>& args) {
    Options o;
    std::filesystem::path backupDir = std::filesystem::current_path();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--port") {
            const std::uint64_t port = parseNumber(value(), "--port");
            if (port > 65535) throw UsageError("--port must be 0..65535");
            o.port = static_cast<int>(port);
        } else if (arg == "--listen") {
            o.listenAddress = value();
            in_addr parsed{};
            if (::inet_pton(AF_INET, o.listenAddress.c_str(), &parsed) != 1)
                throw UsageError("--listen needs an IPv4 address, not '" + o.listenAddress + "'");
        } else if (arg == "--login") {
            const std::string& v = value();
            const auto colon = v.find(':');
            if (colon == std::string::npos || colon == 0) throw UsageError("--login needs USER:PASSWORD");
            o.logins.push_back(Login{v.substr(0, colon), v.substr(colon + 1)});
        } else if (arg == "--database") {
            const std::string& v = value();
            Catalog::Entry entry{v, kDefaultDatabaseSize};
            const auto colon = v.rfind(':');
            if (colon != std::string::npos && colon + 1 < v.size() &&
                std::isdigit(static_cast<unsigned char>(v[colon + 1]))) {
                entry.name = v.substr(0, colon);
                entry.sizeBytes = parseSize(v.substr(colon + 1));
            }
            if (entry.name.empty()) throw UsageError("--database needs a name");
            o.databases.push_back(entry);
        } else if (arg == "--statement-log") {
            o.statementLog = std::filesystem::absolute(value());
        } else if (arg == "--backup-dir") {
            backupDir = value();
        } else if (arg == "--drive") {
            const std::string& v = value();
            if (v.size() < 4 || !std::isalpha(static_cast<unsigned char>(v[0])) || v.compare(1, 2, ":=") != 0)
                throw UsageError("--drive needs X:=DIR, not '" + v + "'");
            const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(v[0])));
            const std::filesystem::path dir = std::filesystem::absolute(v.substr(3));
            if (!std::filesystem::is_directory(dir)) throw UsageError("--drive " + v + ": no such folder");
            if (!o.drives.emplace(letter, dir).second)
                throw UsageError(std::string("--drive ") + letter + ": is given twice");
        } else if (arg == "--inspect") {
            o.inspectFile = value();
        } else if (arg == "--slow-backup") {
            o.faults.slowBackupMs = parseMillis(value(), arg);
        } else if (arg == "--slow-backup-of") {
            const std::string v = value();
            const auto equals = v.rfind('=');
            if (equals == std::string::npos || equals == 0) throw UsageError("--slow-backup-of needs NAME=MS");
            o.faults.slowBackupOf[v.substr(0, equals)] = parseMillis(v.substr(equals + 1), arg);
        } else if (arg == "--drop-connection-on") {
            o.faults.dropConnectionOn = value();
            if (o.faults.dropConnectionOn.empty()) throw UsageError("--drop-connection-on needs some text");
        } else if (arg == "--never-answer-prelogin") {
            o.faults.neverAnswerPrelogin = true;
        } else if (arg == "--never-answer-login") {
            o.faults.neverAnswerLogin = true;
        } else if (arg == "--refuse-logins-for") {
            o.faults.refuseLoginsForMs = parseMillis(value(), arg);
        } else if (arg == "--refuse-logins") {
            o.faults.refuseLoginCount = static_cast<std::uint32_t>(parseNumber(value(), arg));
        } else if (arg == "--disk-space") {
            o.faults.diskSpace = parseSize(value());
        } else if (arg == "--disk-full") {
            o.faults.diskSpace = 0;
        } else {
            throw UsageError("unknown switch '" + arg + "' (see --help)");
        }
    }
    o.backupDir = std::filesystem::absolute(backupDir);
    if (!o.help && !o.inspectFile && o.logins.empty()) throw UsageError("give at least one --login USER:PASSWORD");
    return o;
}

std::string Options::usage() {
    return R"(Usage: sqlstandin --port N --login USER:PASSWORD [--login ...] --database NAME[:SIZE] [--database ...]
                  [--statement-log FILE] [--backup-dir DIR] [--drive X:=DIR ...] [fault switches]
       sqlstandin --inspect FILE
       sqlstandin --help

Stands in for Microsoft SQL Server on 127.0.0.1 for tests and demos: TDS 7.1-7.4
logins, the sysdatabases existence query, SET, select 1 and BACKUP DATABASE.

  --port N                 TCP port; 0 picks a free one (default 1433).
                           Prints "sqlstandin ready on ADDRESS:PORT" once listening.
  --listen ADDRESS         the IPv4 address to listen on (default 127.0.0.1), e.g. the
                           address of a test's own network namespace
  --login USER:PASSWORD    a SQL login that may connect (repeatable, at least one)
  --database NAME[:SIZE]   a user database (repeatable); SIZE like 512KB, 4MB, 1GB
                           (default 4MB). master, tempdb, model and msdb always exist.
  --statement-log FILE     append every login and statement to FILE, one JSON object a line
  --backup-dir DIR         folder relative backup paths resolve against
                           (default: the working folder)
  --drive X:=DIR           serve Windows drive X: from folder DIR (repeatable): a backup
                           to X:\a\b or x:/a/b writes DIR/a/b, each folder matched without
                           regard to letter case, as Windows does. With a --drive, paths
                           are read as on Windows ('\' separates, '\a' is on drive C:).
                           Other drive letters and UNC paths (\\host\share\...) fail with
                           3201 (OS error 3 or 53), as for a device the server cannot open.
  --inspect FILE           list the backup sets in FILE and check their checksums;
                           exits 1 if the file is not a backup or a set is damaged
  --help                   this text

Fault switches:
  --slow-backup MS         each backup takes about MS milliseconds: half copying the data,
                           half finishing after the "Processed" messages; ATTENTION is
                           honoured all along
  --slow-backup-of NAME=MS the same for the backups of database NAME alone (may be given
                           for several databases; wins over --slow-backup for that one)
  --drop-connection-on TEXT
                           close the connection without answering when a statement
                           containing TEXT (any letter case) arrives; a backup is dropped
                           halfway through writing its data
  --never-answer-prelogin  accept connections and read PRELOGIN, never answer anything
                           (a server that hangs before the login; the client must give up)
  --never-answer-login     answer PRELOGIN but never LOGIN7 (the client's login times out)
  --refuse-logins-for MS   refuse every login for MS milliseconds after start-up (18456)
  --refuse-logins N        refuse the first N login attempts (18456)
  --disk-space SIZE        backups together may write SIZE bytes; the one that would pass
                           it fails with 3202 (disk full) and 3013
  --disk-full              every backup fails with 3202 (same as --disk-space 0)
)";
}

}  // namespace sqlstandin
