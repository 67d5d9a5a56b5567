#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/local_date_time.h"

// How one slot's last run ended.
enum class RunOutcome {
    // Every database was backed up.
    Succeeded,
    // At least one database was not.
    Failed,
    // The window ran the schedule at that slot; the background runner
    // stood aside.
    RunByWindow,
    // The service was stopped before every database had its chance: the
    // slot is run again at the next start, when it is still the latest.
    Stopped,
};

// The background runner's last run of one slot.
struct SlotRun {
    // The slot field, "hh:mm:ss".
    std::string slot;
    // The moment of the slot that was run.
    LocalDateTime slotTime;
    // When the run began: later than slotTime for a run caught up.
    LocalDateTime ranAt;
    RunOutcome outcome = RunOutcome::Succeeded;
    std::size_t backedUp = 0;
    std::size_t databases = 0;

    friend bool operator==(const SlotRun&, const SlotRun&) = default;
};

// What the background runner keeps beside the settings file from one start
// to the next: when it first ran, its last run of each slot, its last
// success. It tells a later start which slot passed unrun, and the window
// what the operator should know.
struct RunRecords {
    // The file's name, in the settings file's folder.
    static constexpr const char* kFileName = "ondrel.runs";

    // The runner's first start: nothing before it is caught up, and without
    // a success the 26 hours count from it.
    LocalDateTime since;
    std::optional<LocalDateTime> lastSuccess;
    std::vector<SlotRun> slots;

    // Keeps the run as its slot's last, and as the last success when it was one.
    void record(const SlotRun& run);
    // The run of that slot field, if any.
    const SlotRun* runOf(const std::string& slot) const;
    // The run that began last, if any.
    const SlotRun* latest() const;

    // A text file of lines, UTF-8, ending with "end": a file cut short
    // anywhere reads as nothing rather than as less.
    std::string encode() const;
    static std::optional<RunRecords> decode(const std::string& bytes);

    friend bool operator==(const RunRecords&, const RunRecords&) = default;
};

namespace RunAlerts {

// How long the runner may go without a successful backup before it says so.
inline constexpr std::int64_t kQuietLimitSeconds = 26 * 3600;

// What the operator should hear of the runner's records at that moment: its
// last run failed, or nothing succeeded for more than 26 hours. Nothing
// when all is well.
std::optional<std::string> forOperator(const RunRecords& records, const LocalDateTime& now);

// Seconds since the last success (or the first start, without one), or
// since the window last ran the schedule at a slot, whichever is later.
std::int64_t quietSeconds(const RunRecords& records, const LocalDateTime& now);

// "no successful backup for more than 26 hours", with the last success.
std::string quietTooLong(const RunRecords& records);

} // namespace RunAlerts
