#include "job/run_records.h"

#include <algorithm>
#include <sstream>

namespace {

constexpr const char* kHeader = "ondrel-runs 1";

const char* outcomeWord(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Succeeded:
        return "ok";
    case RunOutcome::Failed:
        return "failed";
    case RunOutcome::RunByWindow:
        return "window";
    case RunOutcome::Stopped:
        return "stopped";
    }
    return "failed";
}

std::optional<RunOutcome> outcomeOf(const std::string& word)
{
    for (RunOutcome outcome :
         {RunOutcome::Succeeded, RunOutcome::Failed, RunOutcome::RunByWindow, RunOutcome::Stopped}) {
        if (word == outcomeWord(outcome))
            return outcome;
    }
    return std::nullopt;
}

// The fields of a line, separated by tabs.
std::vector<std::string> fieldsOf(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

std::optional<std::size_t> countOf(const std::string& text)
{
    if (text.empty() || text.size() > 9
        || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return static_cast<std::size_t>(std::stoul(text));
}

} // namespace

void RunRecords::record(const SlotRun& run)
{
    const auto same =
        std::find_if(slots.begin(), slots.end(), [&](const SlotRun& kept) { return kept.slot == run.slot; });
    if (same == slots.end())
        slots.push_back(run);
    else
        *same = run;
    if (run.outcome == RunOutcome::Succeeded)
        lastSuccess = run.ranAt;
}

const SlotRun* RunRecords::runOf(const std::string& slot) const
{
    const auto found = std::find_if(slots.begin(), slots.end(), [&](const SlotRun& run) { return run.slot == slot; });
    return found == slots.end() ? nullptr : &*found;
}

const SlotRun* RunRecords::latest() const
{
    const SlotRun* latest = nullptr;
    for (const SlotRun& run : slots) {
        if (!latest || run.ranAt.serialSecond() > latest->ranAt.serialSecond())
            latest = &run;
    }
    return latest;
}

std::string RunRecords::encode() const
{
    std::string text = std::string(kHeader) + "\n";
    text += "since\t" + since.text() + "\n";
    if (lastSuccess)
        text += "success\t" + lastSuccess->text() + "\n";
    for (const SlotRun& run : slots) {
        text += "slot\t" + run.slot + "\t" + run.slotTime.text() + "\t" + run.ranAt.text() + "\t"
            + outcomeWord(run.outcome) + "\t" + std::to_string(run.backedUp) + "\t" + std::to_string(run.databases)
            + "\n";
    }
    return text + "end\n";
}

std::optional<RunRecords> RunRecords::decode(const std::string& bytes)
{
    std::istringstream in(bytes);
    std::string line;
    if (!std::getline(in, line) || line != kHeader)
        return std::nullopt;
    RunRecords records;
    bool sinceRead = false;
    while (std::getline(in, line)) {
        const std::vector<std::string> fields = fieldsOf(line);
        if (fields[0] == "end" && fields.size() == 1) {
            if (!sinceRead)
                return std::nullopt;
            return records;
        }
        if (fields[0] == "since" && fields.size() == 2) {
            const auto since = LocalDateTime::fromText(fields[1]);
            if (!since)
                return std::nullopt;
            records.since = *since;
            sinceRead = true;
        } else if (fields[0] == "success" && fields.size() == 2) {
            records.lastSuccess = LocalDateTime::fromText(fields[1]);
            if (!records.lastSuccess)
                return std::nullopt;
        } else if (fields[0] == "slot" && fields.size() == 7) {
            const auto slotTime = LocalDateTime::fromText(fields[2]);
            const auto ranAt = LocalDateTime::fromText(fields[3]);
            const auto outcome = outcomeOf(fields[4]);
            const auto backedUp = countOf(fields[5]);
            const auto databases = countOf(fields[6]);
            if (!slotTime || !ranAt || !outcome || !backedUp || !databases)
                return std::nullopt;
            records.slots.push_back({fields[1], *slotTime, *ranAt, *outcome, *backedUp, *databases});
        } else {
            return std::nullopt;
        }
    }
    // No "end": the file was cut short.
    return std::nullopt;
}

namespace RunAlerts {

std::string quietTooLong(const RunRecords& records)
{
    if (records.lastSuccess)
        return "后台备份服务已超过26小时没有成功备份(上次成功:" + records.lastSuccess->text() + "),请查看系统日志。";
    return "后台备份服务已超过26小时没有成功备份(自" + records.since.text() + "启动以来没有一次成功),请查看系统日志。";
}

std::optional<std::string> forOperator(const RunRecords& records, const LocalDateTime& now)
{
    const SlotRun* latest = records.latest();
    if (latest && latest->outcome == RunOutcome::Failed) {
        return "后台备份服务" + latest->ranAt.text() + "的备份(时间段" + latest->slot
            + ")失败:" + std::to_string(latest->databases) + "个数据库中" + std::to_string(latest->backedUp)
            + "个备份成功,请查看系统日志。";
    }
    if (latest && latest->outcome == RunOutcome::Stopped) {
        return "后台备份服务" + latest->ranAt.text() + "的备份(时间段" + latest->slot
            + ")未完成,服务已停止:" + std::to_string(latest->databases) + "个数据库中"
            + std::to_string(latest->backedUp) + "个备份成功,请查看系统日志。";
    }
    if (quietSeconds(records, now) > kQuietLimitSeconds)
        return quietTooLong(records);
    return std::nullopt;
}

std::int64_t quietSeconds(const RunRecords& records, const LocalDateTime& now)
{
    std::int64_t reference = records.lastSuccess.value_or(records.since).serialSecond();
    // While the window ran the schedule, its own boxes told its outcome.
    const SlotRun* latest = records.latest();
    if (latest && latest->outcome == RunOutcome::RunByWindow)
        reference = std::max(reference, latest->ranAt.serialSecond());
    return now.serialSecond() - reference;
}

} // namespace RunAlerts
