#include "standin_server.h"

#include "json_value.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::filesystem::path makeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sqlstandin-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Waits for the child to end; false if it is still running at the deadline.
bool waitFor(pid_t pid, std::chrono::milliseconds limit, int& status) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

StandinServer::StandinServer(StandinOptions options) {
    workDir_ = makeTempDir();
    backupDir_ = options.backupDir;
    if (backupDir_.empty()) {
        backupDir_ = workDir_ / "backups";
        std::filesystem::create_directory(backupDir_);
        ownBackupDir_ = true;
    }
    std::vector<std::string> args = options.launcher;
    args.insert(args.end(), {ONDREL_STANDIN_PATH, "--port", "0", "--statement-log", logPath().string(),
                                     "--backup-dir", backupDir_.string()});
    for (const std::string& login : options.logins) args.insert(args.end(), {"--login", login});
    for (const std::string& database : options.databases) args.insert(args.end(), {"--database", database});
    args.insert(args.end(), options.extraArgs.begin(), options.extraArgs.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    const std::string errPath = (workDir_ / "stderr.txt").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const int rc = ::posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        pid_ = -1;
        throw std::runtime_error(std::string("cannot start sqlstandin: ") + std::strerror(rc));
    }

    // The one line it prints once it accepts connections.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{out[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[256];
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        line.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    const std::string prefix = "sqlstandin ready on ";
    const auto colon = line.rfind(':');
    if (line.rfind(prefix, 0) == 0 && colon != std::string::npos && colon > prefix.size()) {
        address_ = line.substr(prefix.size(), colon - prefix.size());
        port_ = std::atoi(line.c_str() + colon + 1);
    }
    if (port_ <= 0) {
        stop();
        const std::string err = standardError();
        std::filesystem::remove_all(workDir_);
        throw std::runtime_error("sqlstandin did not get ready: '" + line + "' " + err);
    }
}

StandinServer::~StandinServer() {
    stop();
    std::error_code ignored;
    if (ownBackupDir_) std::filesystem::remove_all(backupDir_, ignored);
    std::filesystem::remove_all(workDir_, ignored);
}

void StandinServer::suspend() {
    if (pid_ > 0) ::kill(pid_, SIGSTOP);
}

void StandinServer::resume() {
    if (pid_ > 0) ::kill(pid_, SIGCONT);
}

int StandinServer::stop() {
    if (pid_ < 0) return exitStatus_;
    ::kill(pid_, SIGCONT);   // a suspended stand-in must see the SIGTERM
    ::kill(pid_, SIGTERM);
    int status = 0;
    if (!waitFor(pid_, std::chrono::seconds(5), status)) {
        ::kill(pid_, SIGKILL);
        waitFor(pid_, std::chrono::seconds(5), status);
        exitStatus_ = -1;
    } else {
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_ = -1;
    return exitStatus_;
}

std::string StandinServer::serverField() const { return address_ + "," + std::to_string(port_); }

std::string StandinServer::standardError() const { return readFile(workDir_ / "stderr.txt"); }

std::vector<StandinLogEntry> StandinServer::log() const {
    std::vector<StandinLogEntry> entries;
    std::ifstream in(logPath());
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        const auto json = ondrel::test::JsonValue::parse(line);
        StandinLogEntry e;
        e.raw = line;
        e.time = json.stringOr("time");
        e.kind = json.stringOr("kind");
        e.user = json.stringOr("user");
        e.text = json.stringOr("text");
        if (const auto* conn = json.find("conn")) e.conn = static_cast<int>(conn->asNumber());
        if (const auto* ok = json.find("ok")) e.ok = ok->asBool();
        if (const auto* params = json.find("params"))
            for (const auto& p : params->asArray()) e.params.push_back(p.isNull() ? "NULL" : p.asString());
        entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<std::string> StandinServer::statements() const {
    std::vector<std::string> texts;
    for (const StandinLogEntry& e : log())
        if (e.kind == "batch" || e.kind == "rpc") texts.push_back(e.text);
    return texts;
}

void useProjectOdbcDrivers() { ::setenv("ODBCSYSINI", ONDREL_ODBCSYSINI, 0); }

std::string standinConnectionString(const StandinServer& server, const std::string& login, const std::string& database) {
    const auto colon = login.find(':');
    // FreeTDS ends a braced value at the first "};" and keeps "}}" as two
    // characters, so braces only protect ';' and a lone '}'.
    auto field = [](const std::string& v) {
        return v.find_first_of(";{} ") == std::string::npos ? v : "{" + v + "}";
    };
    std::string s = "Driver={SQL Server};Server=" + server.serverField() + ";UID=" + field(login.substr(0, colon)) +
                    ";PWD=" + field(login.substr(colon + 1)) + ";";
    if (!database.empty()) s += "Database=" + field(database) + ";";
    return s;
}
