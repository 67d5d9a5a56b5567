#include "service/schedule_runner.h"

#include <exception>
#include <vector>

#include "backup/backup_run.h"
#include "job/job_spec.h"
#include "job/server_error_report.h"
#include "platform/database_error.h"
#include "platform/file_io.h"
#include "platform/runner_log.h"
#include "platform/schedule_lock.h"
#include "service/run_record_store.h"
#include "service/stop_request.h"

namespace {

using Priority = RunnerLog::Priority;

// Logs each failure of a run on its own, counts what was written, and ends
// the run when the service is asked to stop.
class LoggedRun final : public BackupRunReport {
public:
    LoggedRun(RunnerLog& log, StopRequest& stop) : m_log(log), m_stop(stop) {}

    void entryRefused(std::size_t position, const std::string& entry) override
    {
        m_log.write(Priority::Error, nulEntryMessage(position, entry));
    }
    void backedUp(const std::string&, const std::string&) override { ++m_backedUp; }
    void backupFailed(const std::string& bakDb, const std::exception& error) override
    {
        const auto* failure = dynamic_cast<const DatabaseError*>(&error);
        const std::int32_t number = failure ? failure->number() : ServerErrorReport::kInternalError;
        std::string text = ServerErrorReport::message(number) + " 数据库:" + bakDb + " 服务器:";
        if (failure)
            text += "[" + failure->sqlState() + "/" + std::to_string(failure->nativeError()) + "] ";
        m_log.write(Priority::Error, text + error.what());
    }
    bool stopBefore(const std::string&) override
    {
        m_stopped = m_stopped || m_stop.requested();
        return m_stopped;
    }

    std::size_t backedUp() const { return m_backedUp; }
    bool stopped() const { return m_stopped; }

private:
    RunnerLog& m_log;
    StopRequest& m_stop;
    std::size_t m_backedUp = 0;
    bool m_stopped = false;
};

} // namespace

ScheduleRunner::ScheduleRunner(Seams seams, std::string settingsFile)
    : m_seams(seams)
    , m_settingsFile(std::move(settingsFile))
{
}

void ScheduleRunner::use(const Settings& settings)
{
    m_settings = settings;
}

std::vector<std::string> ScheduleRunner::slotFields() const
{
    if (!m_settings)
        return {};
    return {m_settings->slot1, m_settings->slot2, m_settings->slot3};
}

void ScheduleRunner::start(const LocalDateTime& now)
{
    // The schedule is this runner's from its start (or the window's, which
    // it then waits out): the window sees at once that it may not run it.
    const bool holds = holdsSchedule();
    const RunRecordStore::Loaded loaded = m_seams.records.load();
    if (loaded.problem)
        m_seams.log.write(Priority::Warning, *loaded.problem);
    if (!loaded.records) {
        m_records = RunRecords{now, std::nullopt, {}};
        saveRecords();
        m_seams.log.write(Priority::Info, "后台备份服务首次运行,从" + now.text() + "起按时间段备份。");
        return;
    }
    m_records = *loaded.records;
    const std::vector<std::string> fields = slotFields();
    const auto passed = SlotSchedule::lastPassed(fields, now);
    if (!passed || passed->moment.serialSecond() < m_records.since.serialSecond())
        return;
    const std::string& slot = fields[passed->field];
    const SlotRun* last = m_records.runOf(slot);
    const bool cutShort =
        last && last->slotTime.serialSecond() == passed->moment.serialSecond() && last->outcome == RunOutcome::Stopped;
    if (last && last->slotTime.serialSecond() >= passed->moment.serialSecond() && !cutShort)
        return;
    if (!holds)
        return;
    m_seams.log.write(Priority::Warning,
                      "时间段" + slot + "(" + passed->moment.text() + ")的备份"
                          + (cutShort ? "因后台备份服务停止未完成" : "在后台备份服务未运行时错过") + ",现在补做一次。");
    runSlot(slot, passed->moment, now);
}

void ScheduleRunner::tick(const LocalDateTime& now)
{
    const std::vector<std::string> fields = slotFields();
    const auto due = m_slotCheck.dueSlot(fields, now);
    m_slotCheck.checked(now);
    const bool holds = holdsSchedule();
    if (due) {
        if (holds) {
            runSlot(fields[*due], now, now);
        } else {
            m_records.record({fields[*due], now, now, RunOutcome::RunByWindow, 0, 0});
            saveRecords();
        }
    }
    if (holds)
        warnWhenQuietTooLong(now);
}

void ScheduleRunner::stop()
{
    m_seams.lock.release();
}

bool ScheduleRunner::holdsSchedule()
{
    switch (m_seams.lock.take(m_settingsFile)) {
    case ScheduleLock::Outcome::Held:
        if (m_standingAside) {
            m_standingAside = false;
            m_seams.log.write(Priority::Info, "窗口程序已停止运行此备份计划,后台备份服务继续按时备份。");
        }
        return true;
    case ScheduleLock::Outcome::HeldElsewhere:
        if (!m_standingAside) {
            m_standingAside = true;
            m_seams.log.write(Priority::Warning,
                              "窗口程序正在运行配置文件“" + m_settingsFile
                                  + "”的备份计划,后台备份服务暂不备份,以免同一时间段备份两次。");
        }
        return false;
    case ScheduleLock::Outcome::Unavailable:
        if (!m_lockProblemLogged) {
            m_lockProblemLogged = true;
            m_seams.log.write(Priority::Error,
                              "无法打开或创建锁文件“" + ScheduleLock::lockFileFor(m_settingsFile)
                                  + "”,无法确认窗口程序是否也在运行此备份计划;后台备份服务照常备份。");
        }
        return true;
    }
    return true;
}

void ScheduleRunner::runSlot(const std::string& slot, const LocalDateTime& slotTime, const LocalDateTime& now)
{
    const Settings& settings = *m_settings;
    const JobSpec job{{settings.server, settings.account, settings.password},
                      settings.databases,
                      settings.backupFolder,
                      settings.replaceMode ? BackupMode::Replace : BackupMode::TimeSlot};
    LoggedRun report(m_seams.log, m_seams.stop);
    bool succeeded = false;
    try {
        succeeded = BackupRun(m_seams.shell, m_seams.dataAccess, BackupRun::OnFailure::GoOn).run(job, slotTime, report);
    } catch (const std::exception& error) {
        m_seams.log.write(Priority::Error, std::string("备份中断:") + error.what());
    }
    const std::size_t count = job.databases.size();
    succeeded = succeeded && count > 0;
    const RunOutcome outcome =
        succeeded ? RunOutcome::Succeeded : (report.stopped() ? RunOutcome::Stopped : RunOutcome::Failed);
    m_records.record({slot, slotTime, now, outcome, report.backedUp(), count});
    saveRecords();
    if (outcome == RunOutcome::Stopped) {
        m_seams.log.write(Priority::Error,
                          "时间段" + slot + "的备份未完成,后台备份服务已停止:" + std::to_string(count) + "个数据库中"
                              + std::to_string(report.backedUp()) + "个备份成功,其余的下次启动时补做。");
    } else if (succeeded) {
        m_seams.log.write(Priority::Info,
                          "时间段" + slot + "备份完成:" + std::to_string(count) + "个数据库全部备份成功。");
    } else {
        m_seams.log.write(Priority::Error,
                          "时间段" + slot + "备份失败:" + std::to_string(count) + "个数据库中"
                              + std::to_string(report.backedUp()) + "个备份成功。");
    }
}

void ScheduleRunner::saveRecords()
{
    try {
        m_seams.records.save(m_records);
    } catch (const FileIo::Error& error) {
        m_seams.log.write(Priority::Error, std::string("无法保存运行记录:") + error.what());
    }
}

void ScheduleRunner::warnWhenQuietTooLong(const LocalDateTime& now)
{
    if (RunAlerts::quietSeconds(m_records, now) <= RunAlerts::kQuietLimitSeconds)
        return;
    // Said once when it happens, and again every 26 hours while it lasts.
    if (m_lastQuietWarning && now.serialSecond() - m_lastQuietWarning->serialSecond() <= RunAlerts::kQuietLimitSeconds)
        return;
    m_lastQuietWarning = now;
    m_seams.log.write(Priority::Warning, RunAlerts::quietTooLong(m_records));
}

std::optional<LocalDateTime> ScheduleRunner::nextSlot(const LocalDateTime& now) const
{
    return SlotSchedule::next(slotFields(), now);
}

std::string ScheduleRunner::status(const LocalDateTime& now) const
{
    if (!m_settings)
        return "配置文件无法读取,未按时间段备份";
    if (m_standingAside)
        return "窗口程序正在运行此备份计划";
    const auto next = nextSlot(now);
    if (!next)
        return "没有有效的时间段,不会备份";
    return "下次备份:" + next->text();
}
