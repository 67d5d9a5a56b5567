#include "backup_runner.h"

#include "backup_inspector.h"
#include "backup_path.h"
#include "backup_set_writer.h"
#include "database_image.h"
#include "messages.h"
#include "tds_constants.h"
#include "text.h"

#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace sqlstandin {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint64_t kPagesPerChunk = 8;

// Characters Windows refuses in a file name; the server reports them as
// OS error 123. A '?' is also what an N-less literal makes of characters
// outside code page 1252.
bool hasForbiddenCharacter(const std::string& path) {
    for (unsigned char c : path)
        if (c < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*') return true;
    return false;
}

class DeviceClaim final {
public:
    DeviceClaim(BackupDevices& devices, std::string path) : devices_(devices), path_(std::move(path)) {
        held_ = devices_.claim(path_);
    }
    ~DeviceClaim() {
        if (held_) devices_.release(path_);
    }
    DeviceClaim(const DeviceClaim&) = delete;
    DeviceClaim& operator=(const DeviceClaim&) = delete;
    bool held() const { return held_; }

private:
    BackupDevices& devices_;
    std::string path_;
    bool held_ = false;
};

}  // namespace

BackupRunner::BackupRunner(ServerContext& server, SessionState& session, ResponseChannel& reply,
                           std::uint8_t doneToken, bool dropMidway)
    : server_(server), session_(session), reply_(reply), doneToken_(doneToken), dropMidway_(dropMidway) {}

StatementOutcome BackupRunner::refuse(const ServerMessage& reason, int line) {
    reply_.tokens().message(reason);
    reply_.tokens().message(messages::backupTerminating(line));
    StatementOutcome out;
    out.status = tds::kDoneError;
    out.curCmd = tds::kCurCmdBackup;
    return out;
}

bool BackupRunner::progress(const ServerMessage& m) {
    reply_.tokens().message(m);
    reply_.tokens().done(doneToken_, tds::kDoneMore, tds::kCurCmdBackup, 0);
    return reply_.flush();
}

std::optional<StatementOutcome> BackupRunner::interruption(Interruption i) {
    if (i == Interruption::None) return std::nullopt;
    StatementOutcome out;
    out.kind = i == Interruption::Attention ? StatementOutcome::Kind::Interrupted : StatementOutcome::Kind::Hangup;
    return out;
}

StatementOutcome BackupRunner::run(const BackupStatement& s, const SqlValue& database, const SqlValue& path) {
    const std::string name = database.display();
    if (session_.inTransaction) return refuse(messages::backupInTransaction(s.line), s.line);
    const DatabaseInfo* db = database.isNull() ? nullptr : server_.catalog.find(name);
    if (!db) return refuse(messages::databaseDoesNotExist(name, s.line), s.line);
    if (text::sameName(db->name, "tempdb")) return refuse(messages::backupNotAllowed(db->name, s.line), s.line);

    const std::string given = path.isNull() ? std::string() : path.display();
    const BackupTarget target = resolveBackupPath(given, server_.options);
    if (given.empty() || hasForbiddenCharacter(given))
        return refuse(messages::cannotOpenBackupDevice(target.shown, 123, s.line), s.line);
    if (target.osError != 0)
        return refuse(messages::cannotOpenBackupDevice(target.shown, target.osError, s.line), s.line);

    DeviceClaim claim(server_.devices, target.device);
    if (!claim.held()) return refuse(messages::cannotOpenBackupDevice(target.shown, 32, s.line), s.line);
    std::uint32_t setNumber = 1;
    if (auto refused = checkTarget(target.file, target.shown, s.overwrite, s.line, setNumber)) return *refused;
    return write(s, *db, target.file, target.shown, setNumber);
}

std::optional<StatementOutcome> BackupRunner::checkTarget(const std::filesystem::path& target, const std::string& shown,
                                                          bool overwrite, int line, std::uint32_t& setNumber) {
    std::error_code ec;
    const auto status = std::filesystem::status(target, ec);
    if (overwrite || !std::filesystem::is_regular_file(status)) return std::nullopt;
    // Appending (NOINIT): the existing media must be readable and well formed.
    if (::access(target.c_str(), R_OK | W_OK) != 0)
        return refuse(messages::cannotOpenBackupDevice(shown, messages::osErrorFromErrno(errno), line), line);
    const Inspection existing = BackupInspector::inspect(target);
    if (!existing.wellFormed()) return refuse(messages::mediaIncorrectlyFormed(shown, line), line);
    setNumber = static_cast<std::uint32_t>(existing.sets.size() + 1);
    return std::nullopt;
}

StatementOutcome BackupRunner::write(const BackupStatement& s, const DatabaseInfo& db,
                                     const std::filesystem::path& target, const std::string& shown,
                                     std::uint32_t setNumber) {
    const auto started = Clock::now();
    const DatabaseImage image(db);
    BackupSetHeader header;
    header.setNumber = setNumber;
    header.startMs = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch()).count());
    header.dataBytes = image.totalBytes();
    header.dataPages = static_cast<std::uint32_t>(image.dataPages());
    header.logPages = static_cast<std::uint32_t>(image.logPages());
    header.database = db.name;

    std::uint64_t reserved = 0;
    struct SpaceReturn {
        BackupDevices& devices;
        std::uint64_t& bytes;
        bool keep = false;
        ~SpaceReturn() {
            if (!keep) devices.giveBack(bytes);
        }
    } spaceReturn{server_.devices, reserved};

    const FaultPlan& faults = server_.options.faults;
    std::uint32_t slowMs = faults.slowBackupMs;
    for (const auto& [name, ms] : faults.slowBackupOf) {
        if (text::equalsIgnoreCase(name, db.name)) slowMs = ms;
    }
    const auto slow = std::chrono::milliseconds(slowMs);
    const auto dataPhase = slow / 2;
    const std::uint64_t totalPages = image.dataPages() + image.logPages();
    std::vector<std::uint8_t> chunk(kPagesPerChunk * DatabaseImage::kPageSize);
    int nextStat = s.stats;

    try {
        BackupSetWriter writer(target, !s.overwrite && setNumber > 1, header);
        for (std::uint64_t page = 0; page < totalPages;) {
            const std::uint64_t end = page < image.dataPages() ? std::min(page + kPagesPerChunk, image.dataPages())
                                                               : std::min(page + kPagesPerChunk, totalPages);
            const std::size_t bytes = static_cast<std::size_t>(end - page) * DatabaseImage::kPageSize;
            for (std::uint64_t p = page; p < end; ++p)
                image.fillPage(p, std::span<std::uint8_t, DatabaseImage::kPageSize>(
                                      chunk.data() + (p - page) * DatabaseImage::kPageSize, DatabaseImage::kPageSize));
            if (!server_.devices.reserve(bytes)) throw BackupFileError(false, ENOSPC);
            reserved += bytes;
            writer.write(std::span(chunk).first(bytes));
            page = end;

            if (page <= image.dataPages()) {
                if (dropMidway_ && page * 2 >= image.dataPages()) {
                    StatementOutcome dropped;
                    dropped.kind = StatementOutcome::Kind::Dropped;
                    return dropped;
                }
                // Pace the data copy so that it ends half-way through the requested time.
                const auto due = started + dataPhase * static_cast<long long>(page) / static_cast<long long>(image.dataPages());
                const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now());
                if (auto stop = interruption(reply_.pause(std::max(wait, std::chrono::milliseconds(0))))) return *stop;
                while (s.stats > 0 && nextStat <= 100 &&
                       page * 100 >= static_cast<std::uint64_t>(nextStat) * image.dataPages()) {
                    if (!progress(messages::percentProcessed(nextStat, s.line))) return *interruption(Interruption::Hangup);
                    nextStat += s.stats;
                }
            }
            if (page == image.dataPages() &&
                !progress(messages::processedPages(image.dataPages(), db.name, db.name, static_cast<int>(setNumber), s.line)))
                return *interruption(Interruption::Hangup);
        }
        if (!progress(messages::processedPages(image.logPages(), db.name, db.name + "_log", static_cast<int>(setNumber), s.line)))
            return *interruption(Interruption::Hangup);

        // The rest of the requested time passes finishing the set, after the
        // "Processed" messages: a client that stops reading there and
        // cancels abandons the backup, as with a real server.
        const auto finishBy = started + slow;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(finishBy - Clock::now());
            if (auto stop = interruption(reply_.pause(std::max(left, std::chrono::milliseconds(0))))) return *stop;
            if (left.count() <= 0) break;
        }
        if (!server_.devices.reserve(BackupSetHeader::kTrailerSize)) throw BackupFileError(false, ENOSPC);
        reserved += BackupSetHeader::kTrailerSize;
        writer.finish();
        spaceReturn.keep = true;
    } catch (const BackupFileError& e) {
        const int osError = messages::osErrorFromErrno(e.error());
        if (e.opening()) return refuse(messages::cannotOpenBackupDevice(shown, osError, s.line), s.line);
        return refuse(messages::writeFailed(shown, osError, s.line), s.line);
    }

    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    reply_.tokens().message(messages::backupSucceeded(totalPages, seconds, s.line));
    StatementOutcome out;
    out.curCmd = tds::kCurCmdBackup;
    return out;
}

}  // namespace sqlstandin
