#include "platform/systemd/service_host.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/clock.h"
#include "platform/runner_log.h"
#include "platform/systemd/signal_stop.h"
#include "platform/systemd/systemd_notifier.h"
#include "service/schedule_runner.h"

namespace {

using Priority = RunnerLog::Priority;

std::int64_t steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

ServiceHost::ServiceHost(RunnerHost::Seams seams, SignalStop& signals, const SystemdNotifier& notifier,
                         std::string settingsFile)
    : m_seams(seams)
    , m_host(seams, settingsFile)
    , m_signals(signals)
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
    if (m_signals.descriptor() < 0) {
        m_seams.log.write(Priority::Error, "无法接收停止信号,后台备份服务不启动。");
        return 1;
    }

    m_host.readSettings(true);
    m_lastBeatMs = steadyMs();
    if (m_notifier.watchdogInterval())
        m_watchdog = std::thread([this] { watchdogLoop(); });
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
    while (!m_signals.requested()) {
        if (m_signals.takeReload())
            m_host.readSettings(true);
        m_lastBeatMs = steadyMs();
        reportStatus();
        pollfd waits[2] = {{m_signals.descriptor(), POLLIN, 0}, {m_watch.descriptor(), POLLIN, 0}};
        const int ready =
            ::poll(waits, m_watch.descriptor() >= 0 ? 2 : 1, static_cast<int>(m_host.msToNextCheck(longest)));
        if (ready < 0 || waits[0].revents & POLLIN)
            continue;
        if (ready > 0) {
            if (m_watch.mayHaveChanged())
                m_host.readSettings(false);
            continue;
        }
        m_inRunner = true;
        m_host.check();
        m_inRunner = false;
    }
    return stopped();
}

int ServiceHost::stopped()
{
    m_notifier.send("STOPPING=1\nSTATUS=正在停止");
    m_seams.runner.stop();
    m_stopping = true;
    if (m_watchdog.joinable())
        m_watchdog.join();
    m_seams.log.write(Priority::Info, "后台备份服务已停止。");
    return 0;
}
