#include "platform/systemd/service_host.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

#include "platform/clock.h"
#include "platform/systemd/systemd_notifier.h"
#include "platform/runner_log.h"
#include "service/schedule_runner.h"

namespace {

using Priority = RunnerLog::Priority;

std::int64_t steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

ServiceHost::ServiceHost(RunnerHost::Seams seams, const SystemdNotifier& notifier, std::string settingsFile)
    : m_seams(seams)
    , m_host(seams, settingsFile)
    , m_notifier(notifier)
    , m_watch(settingsFile)
{
}

bool ServiceHost::check()
{
    m_host.readSettings(true);
    return m_seams.runner.hasSettings();
}

void ServiceHost::reportStatus()
{
    if (const auto status = m_host.statusChange())
        m_notifier.send("STATUS=" + *status);
}

void ServiceHost::watchdogLoop()
{
    const auto half = std::chrono::duration_cast<std::chrono::milliseconds>(*m_notifier.watchdogInterval()) / 2;
    std::mutex mutex;
    std::condition_variable never;
    std::unique_lock<std::mutex> lock(mutex);
    while (!m_stopping) {
        never.wait_for(lock, half / 2);
        // Alive: the loop went round lately, or the runner holds it (a
        // run's waits on the server are bounded by the link's own watch).
        if (m_inRunner || steadyMs() - m_lastBeatMs < half.count())
            m_notifier.send("WATCHDOG=1");
    }
}

int ServiceHost::run()
{
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&signals, signal);
    // The signals wait for the loop, which takes them between runs: a
    // backup under way is never cut short by a stop.
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = ::signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0) {
        m_seams.log.write(Priority::Error, "无法接收停止信号,后台备份服务不启动。");
        return 1;
    }

    m_host.readSettings(true);
    m_lastBeatMs = steadyMs();
    std::thread watchdog;
    if (m_notifier.watchdogInterval())
        watchdog = std::thread([this] { watchdogLoop(); });
    m_notifier.send("READY=1\nSTATUS=" + *m_host.statusChange());

    // A slot missed while the service was down is caught up after READY:
    // a run may take longer than the manager waits for a start.
    m_inRunner = true;
    m_seams.runner.start(m_seams.clock.now());
    m_inRunner = false;

    // Awake at least every half minute, and four times a watchdog interval.
    std::int64_t longest = kLongestSleepMs;
    if (const auto interval = m_notifier.watchdogInterval())
        longest = std::min<std::int64_t>(longest,
                                         std::chrono::duration_cast<std::chrono::milliseconds>(*interval).count() / 4);
    for (;;) {
        m_lastBeatMs = steadyMs();
        reportStatus();
        pollfd waits[2] = {{signalFd, POLLIN, 0}, {m_watch.descriptor(), POLLIN, 0}};
        const int ready =
            ::poll(waits, m_watch.descriptor() >= 0 ? 2 : 1, static_cast<int>(m_host.msToNextCheck(longest)));
        if (ready < 0)
            continue;
        if (waits[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info) && info.ssi_signo != SIGHUP)
                break;
            m_host.readSettings(true);
            continue;
        }
        if (ready > 0) {
            if (m_watch.mayHaveChanged())
                m_host.readSettings(false);
            continue;
        }
        m_inRunner = true;
        m_host.check();
        m_inRunner = false;
    }

    m_notifier.send("STOPPING=1\nSTATUS=正在停止");
    m_seams.runner.stop();
    m_stopping = true;
    if (watchdog.joinable())
        watchdog.join();
    ::close(signalFd);
    m_seams.log.write(Priority::Info, "后台备份服务已停止。");
    return 0;
}
