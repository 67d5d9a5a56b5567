#include "backup_inspector.h"
#include "options.h"
#include "server.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int stopPipe[2] = {-1, -1};

extern "C" void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(stopPipe[1], &byte, 1);
}

int inspect(const std::filesystem::path& file) {
    const sqlstandin::Inspection result = sqlstandin::BackupInspector::inspect(file);
    for (const std::string& line : result.report()) std::cout << line << '\n';
    return result.allGood() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    sqlstandin::Options options;
    try {
        options = sqlstandin::Options::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const sqlstandin::UsageError& e) {
        std::cerr << "sqlstandin: " << e.what() << "\n";
        return 2;
    }
    if (options.help) {
        std::cout << sqlstandin::Options::usage();
        return 0;
    }
    if (options.inspectFile) return inspect(*options.inspectFile);

    try {
        if (::pipe2(stopPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
        std::signal(SIGPIPE, SIG_IGN);

        sqlstandin::Server server(options);
        std::cout << "sqlstandin ready on " << options.listenAddress << ":" << server.port() << std::endl;
        server.run(stopPipe[0]);
    } catch (const std::exception& e) {
        std::cerr << "sqlstandin: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
