#include "service_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

bool until(int seconds, const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

} // namespace

ServiceProcess::ServiceProcess(const std::filesystem::path& folder, std::vector<std::string> arguments,
                               std::vector<std::string> environment)
    : m_logFile(folder / "service.log")
    , m_socketPath(folder / "notify.sock")
{
    m_socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = m_socketPath.string();
    if (m_socket < 0 || path.size() >= sizeof address.sun_path)
        throw std::runtime_error("no notify socket");
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ::unlink(path.c_str());
    if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("notify socket not bound");

    environment.push_back("NOTIFY_SOCKET=" + path);
    environment.push_back("HOME=" + folder.string());
    arguments.insert(arguments.begin(), ONDREL_SERVICE_BINARY);
    m_pid = ::fork();
    if (m_pid == 0) {
        const int log = ::open(m_logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(log, 2);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        for (const std::string& entry : environment)
            ::putenv(const_cast<char*>(entry.c_str()));
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
}

ServiceProcess::~ServiceProcess()
{
    stop();
    if (m_socket >= 0)
        ::close(m_socket);
    ::unlink(m_socketPath.c_str());
}

std::string ServiceProcess::log() const
{
    std::ifstream in(m_logFile, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ServiceProcess::waitForLog(const std::string& text, int seconds) const
{
    return until(seconds, [&] { return log().find(text) != std::string::npos; });
}

const std::vector<std::string>& ServiceProcess::datagrams()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (n < 0)
            break;
        m_datagrams.emplace_back(buffer, static_cast<std::size_t>(n));
    }
    return m_datagrams;
}

bool ServiceProcess::waitForDatagram(const std::string& text, int seconds)
{
    return until(seconds, [&] {
        for (const std::string& datagram : datagrams()) {
            if (datagram.find(text) != std::string::npos)
                return true;
        }
        return false;
    });
}

int ServiceProcess::stop()
{
    if (m_pid <= 0)
        return m_status;
    ::kill(m_pid, SIGTERM);
    const int status = waitForExit(10);
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    return status;
}

int ServiceProcess::waitForExit(int seconds)
{
    until(seconds, [&] {
        if (m_pid <= 0)
            return true;
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) != m_pid)
            return false;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        m_pid = -1;
        return true;
    });
    return m_pid > 0 ? -1 : m_status;
}
