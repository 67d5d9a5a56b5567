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

#include "app/tick_schedule.h"
#include "config/settings_store.h"
#include "platform/clock.h"
#include "platform/systemd/systemd_notifier.h"
#include "service/runner_log.h"
#include "service/schedule_runner.h"

namespace {

using Priority = RunnerLog::Priority;

std::int64_t wallMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

ServiceHost::ServiceHost(Seams seams, std::string settingsFile)
    : m_seams(seams)
    , m_settingsFile(std::move(settingsFile))
    , m_watch(m_settingsFile)
{
}

ServiceHost::FileStamp ServiceHost::stampOfSettings() const
{
    struct stat st {};
    if (::stat(m_settingsFile.c_str(), &st) != 0)
        return {};
    return {st.st_dev, st.st_ino, st.st_size,
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, true};
}

void ServiceHost::readSettings(bool always)
{
    if (!always && m_lastStamp && !m_watch.mayHaveChanged())
        return;
    const FileStamp stamp = stampOfSettings();
    if (!always && m_lastStamp && *m_lastStamp == stamp)
        return;
    const bool first = !m_lastStamp;
    m_lastStamp = stamp;
    const std::string keeping = m_seams.runner.hasSettings() ? "继续使用上次读取的设置。" : "暂不备份。";
    const SettingsStore::Loaded loaded = SettingsStore(m_seams.files, m_seams.encoding).load(m_settingsFile);
    if (!loaded.found && !loaded.problem) {
        m_seams.log.write(Priority::Error, "找不到配置文件“" + m_settingsFile + "”," + keeping);
        return;
    }
    if (loaded.problem) {
        m_seams.log.write(Priority::Error, *loaded.problem + "后台备份服务" + keeping);
        return;
    }
    m_seams.runner.use(loaded.settings.appliedTo(Settings{}));
    m_seams.log.write(Priority::Info,
                      first ? "已读取配置文件“" + m_settingsFile + "”。"
                            : "配置文件“" + m_settingsFile + "”已更新,新的设置从下一个时间段起生效。");
}

void ServiceHost::reportStatus()
{
    const std::string status = m_seams.runner.status(m_seams.clock.now());
    if (status == m_lastStatus)
        return;
    m_lastStatus = status;
    m_seams.notifier.send("STATUS=" + status);
}

void ServiceHost::watchdogLoop()
{
    const auto interval = *m_seams.notifier.watchdogInterval();
    const auto half = std::chrono::duration_cast<std::chrono::milliseconds>(interval) / 2;
    std::mutex mutex;
    std::condition_variable never;
    std::unique_lock<std::mutex> lock(mutex);
    while (!m_stopping) {
        never.wait_for(lock, half / 2);
        // Alive: the loop went round lately, or a backup run holds it (a
        // run's waits on the server are bounded by the link's own watch).
        if (m_inTick || steadyMs() - m_lastBeatMs < half.count())
            m_seams.notifier.send("WATCHDOG=1");
    }
}

bool ServiceHost::check()
{
    readSettings(true);
    return m_seams.runner.hasSettings();
}

std::int64_t ServiceHost::msToNextCheck() const
{
    // Awake at least this often whatever the slots: a wall clock set
    // forward, or a change of daylight-saving time, is noticed soon, and a
    // slot it skipped is caught up then.
    // Standing aside for the window, the runner looks each second for the
    // window to let the schedule go.
    std::int64_t longest = m_seams.runner.standingAside() ? 1000 : kLongestSleepMs;
    if (const auto watchdog = m_seams.notifier.watchdogInterval())
        longest = std::min<std::int64_t>(longest,
                                         std::chrono::duration_cast<std::chrono::milliseconds>(*watchdog).count() / 4);
    const LocalDateTime now = m_seams.clock.now();
    const auto next = m_seams.runner.nextSlot(now);
    if (!next)
        return longest;
    const std::int64_t untilSlot =
        (next->serialSecond() - now.serialSecond()) * 1000 - now.millisecond + TickSchedule::kOffsetMs;
    return std::clamp<std::int64_t>(untilSlot, 1, longest);
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

    readSettings(true);
    m_lastBeatMs = steadyMs();
    std::thread watchdog;
    if (m_seams.notifier.watchdogInterval())
        watchdog = std::thread([this] { watchdogLoop(); });
    m_seams.notifier.send("READY=1\nSTATUS=" + m_seams.runner.status(m_seams.clock.now()));

    // A slot missed while the service was down is caught up after READY:
    // a run may take longer than the manager waits for a start.
    m_inTick = true;
    m_seams.runner.start(m_seams.clock.now());
    m_inTick = false;

    // The loop sleeps till the next slot's second (or a signal, or a change
    // in the settings file's folder) and then checks as the window's tick
    // does: the slot check sees the seconds between as passed.
    std::optional<std::int64_t> previousCheckSecond;
    for (;;) {
        m_lastBeatMs = steadyMs();
        reportStatus();
        pollfd waits[2] = {{signalFd, POLLIN, 0}, {m_watch.descriptor(), POLLIN, 0}};
        const int ready = ::poll(waits, m_watch.descriptor() >= 0 ? 2 : 1, static_cast<int>(msToNextCheck()));
        if (ready < 0)
            continue;
        if (waits[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info) && info.ssi_signo != SIGHUP)
                break;
            readSettings(true);
            continue;
        }
        if (ready > 0) {
            readSettings(false);
            continue;
        }
        // The wait may end a little early: a second is never checked twice.
        const std::int64_t second = wallMs() / 1000;
        if (previousCheckSecond && second <= *previousCheckSecond)
            continue;
        previousCheckSecond = second;
        readSettings(false);
        m_inTick = true;
        m_seams.runner.tick(m_seams.clock.now());
        m_inTick = false;
    }

    m_seams.notifier.send("STOPPING=1\nSTATUS=正在停止");
    m_seams.runner.stop();
    m_stopping = true;
    if (watchdog.joinable())
        watchdog.join();
    ::close(signalFd);
    m_seams.log.write(Priority::Info, "后台备份服务已停止。");
    return 0;
}
