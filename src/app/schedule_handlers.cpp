// The schedule's tick: the slot check, and at a slot one backup run of the
// selected mode over the job as the controls hold it.

#include "app/flag_scope.h"
#include "app/form1.h"
#include "backup/backup_run.h"
#include "platform/clock.h"
#include "platform/path_separator.h"
#include "platform/shell.h"

// Timer1: one tick a second while the schedule runs.
void Form1::Timer1_Timer()
{
    // A tick that arrives while a run still holds the window (through a
    // message box opened inside it) waits for the next one; the slot check
    // then catches up what it missed.
    if (m_runInProgress)
        return;
    if (Option1.value())
        Commandth();
    else
        Commandcopy();
}

// Replace mode ("替换备份"): one file per database directly in the backup
// folder, replaced at every slot.
void Form1::Commandth()
{
    runSlot(BackupMode::Replace);
}

// Time-slot mode ("按时间段备份"): every slot hour gets a dated sub-folder of
// the backup folder; a slot replaces only a same-hour folder that holds files.
void Form1::Commandcopy()
{
    runSlot(BackupMode::TimeSlot);
}

void Form1::CreateDir()
{
    m_services.shell.makeSureDirectoryPathExists(Text5.text());
}

void Form1::CreateDirr()
{
    m_services.shell.makeSureDirectoryPathExists(Text5.text() + m_services.clock.now().hourFolderName()
                                                 + kPathSeparator);
}

JobSpec Form1::jobSpec(BackupMode mode) const
{
    return {odb(), Combo1.items(), Text5.text(), mode};
}

void Form1::runSlot(BackupMode mode)
{
    const LocalDateTime now = m_services.clock.now();
    const bool due = m_slotCheck.isDue({Text8.text(), Text7.text(), Text6.text()}, now);
    m_slotCheck.checked(now);
    if (!due)
        return;
    // Keeps what the window shows of the run: its first failure, shown once
    // the run has ended.
    class WindowRunReport final : public BackupRunReport {
    public:
        void entryRefused(std::size_t position, const std::string& entry) override
        {
            m_refusedEntry = {position, entry};
        }
        void backupFailed(const std::string& bakDb, const std::exception& error) override
        {
            logFailure(error, bakDb);
            if (!m_failure)
                m_failure = errorNumber(error);
        }
        std::optional<std::pair<std::size_t, std::string>> m_refusedEntry;
        std::optional<std::int32_t> m_failure;
    } report;
    {
        FlagScope run(m_runInProgress);
        BackupRun(m_services.shell, m_services.dataAccess).run(jobSpec(mode), now, report);
    }
    // The box waits for the operator after the run has ended: the schedule
    // goes on meanwhile.
    if (report.m_refusedEntry)
        reportFailure(nulEntryMessage(report.m_refusedEntry->first, report.m_refusedEntry->second), true);
    else if (report.m_failure)
        reportServerError(*report.m_failure, true);
}

std::string Form1::slotsThatNeverRun() const
{
    const struct {
        const char* label;
        const TextBox& field;
    } slots[] = {{"时间段1", Text8}, {"时间段2", Text7}, {"时间段3", Text6}};
    std::string notice;
    for (const auto& slot : slots) {
        if (SlotSchedule::secondOfDay(slot.field.text()))
            continue;
        if (!notice.empty())
            notice += "\r\n";
        notice += std::string(slot.label) + "“" + slot.field.text() + "”不是有效的时间(hh:mm:ss),该时间段不会备份。";
    }
    return notice;
}
