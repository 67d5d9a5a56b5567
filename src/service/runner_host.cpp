#include "service/runner_host.h"

#include <algorithm>

#include "backup/tick_schedule.h"
#include "config/settings_store.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "platform/runner_log.h"
#include "service/schedule_runner.h"

using Priority = RunnerLog::Priority;

RunnerHost::RunnerHost(Seams seams, std::string settingsFile) : m_seams(seams), m_settingsFile(std::move(settingsFile))
{
}

void RunnerHost::readSettings(bool always)
{
    const std::string stamp = m_seams.files.stamp(m_settingsFile);
    if (!always && m_lastStamp == stamp)
        return;
    const bool first = !m_lastStamp;
    m_lastStamp = stamp;
    const std::string keeping = m_seams.runner.hasSettings() ? "继续使用上次读取的设置。" : "暂不备份。";
    const SettingsStore::Loaded loaded = SettingsStore(m_seams.files, m_seams.encoding).load(m_settingsFile);
    if (!loaded.found && !loaded.problem) {
        m_seams.log.write(Priority::Error, "找不到配置文件“" + m_settingsFile + "”,后台备份服务" + keeping);
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

std::int64_t RunnerHost::msToNextCheck(std::int64_t longestMs) const
{
    // Standing aside for the window, the runner looks each second for the
    // window to let the schedule go.
    const std::int64_t longest = m_seams.runner.standingAside() ? std::min<std::int64_t>(longestMs, 1000) : longestMs;
    const LocalDateTime now = m_seams.clock.now();
    const auto next = m_seams.runner.nextSlot(now);
    if (!next)
        return longest;
    const std::int64_t untilSlot =
        (next->serialSecond() - now.serialSecond()) * 1000 - now.millisecond + TickSchedule::kOffsetMs;
    return std::clamp<std::int64_t>(untilSlot, 1, longest);
}

void RunnerHost::check()
{
    const LocalDateTime now = m_seams.clock.now();
    // A wait may end a little early: a second is never checked twice.
    if (m_lastCheckedSecond && now.serialSecond() == *m_lastCheckedSecond)
        return;
    m_lastCheckedSecond = now.serialSecond();
    readSettings(false);
    m_seams.runner.tick(now);
}

std::optional<std::string> RunnerHost::statusChange()
{
    std::string status = m_seams.runner.status(m_seams.clock.now());
    if (status == m_lastStatus)
        return std::nullopt;
    m_lastStatus = status;
    return status;
}
