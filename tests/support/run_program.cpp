#include "run_program.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ondrel::test {
namespace {

struct Pipe {
    int read = -1;
    int write = -1;
    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        read = fds[0];
        write = fds[1];
    }
};

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

ProgramResult runProgram(const std::vector<std::string>& argv, const std::string& input,
                         std::chrono::milliseconds timeout, const std::vector<std::string>& extraEnv) {
    // A child that exits before reading all its input must not kill the test.
    static const bool pipeSignalIgnored = (std::signal(SIGPIPE, SIG_IGN), true);
    (void)pipeSignalIgnored;
    Pipe in, out, err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.read, 0);
    posix_spawn_file_actions_adddup2(&actions, out.write, 1);
    posix_spawn_file_actions_adddup2(&actions, err.write, 2);

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    for (const std::string& extra : extraEnv) {
        const std::string name = extra.substr(0, extra.find('=') + 1);
        std::erase_if(env, [&](const std::string& e) { return e.rfind(name, 0) == 0; });
        env.push_back(extra);
    }
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (std::string& a : args) argp.push_back(a.data());
    argp.push_back(nullptr);

    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    closeFd(in.read);
    closeFd(out.write);
    closeFd(err.write);
    ProgramResult result;
    if (rc != 0) {
        closeFd(in.write);
        closeFd(out.read);
        closeFd(err.read);
        result.err = std::string("cannot start ") + argv.at(0) + ": " + std::strerror(rc);
        return result;
    }

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::size_t written = 0;
    if (input.empty()) closeFd(in.write);
    while (out.read >= 0 || err.read >= 0) {
        pollfd fds[3];
        nfds_t count = 0;
        if (out.read >= 0) fds[count++] = {out.read, POLLIN, 0};
        if (err.read >= 0) fds[count++] = {err.read, POLLIN, 0};
        if (in.write >= 0) fds[count++] = {in.write, POLLOUT, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        if (::poll(fds, count, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
        for (nfds_t i = 0; i < count; ++i) {
            if (fds[i].revents == 0) continue;
            if (fds[i].fd == in.write) {
                const ssize_t n = ::write(in.write, input.data() + written, input.size() - written);
                if (n > 0) written += static_cast<std::size_t>(n);
                if (n < 0 || written == input.size()) closeFd(in.write);
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                if (fds[i].fd == out.read) closeFd(out.read);
                else closeFd(err.read);
                continue;
            }
            (fds[i].fd == out.read ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
        }
    }
    closeFd(in.write);
    closeFd(out.read);
    closeFd(err.read);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!result.timedOut && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

}  // namespace ondrel::test
