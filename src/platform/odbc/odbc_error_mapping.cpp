#include "platform/odbc/odbc_error_mapping.h"

#include <algorithm>
#include <array>

namespace OdbcErrorMapping {

namespace {

constexpr long kLoginFailed = 18456;

// FreeTDS's own numbers for a link that broke: sync lost (20001), connection
// failed (20002), read and write failed (20004, 20006), socket (20008),
// unable to connect (20009), unexpected EOF (20017), bad token (20020).
constexpr std::array<long, 8> kLinkLost{20001, 20002, 20004, 20006, 20008, 20009, 20017, 20020};

bool isLoginRejected(const DiagnosticRecord& record)
{
    return record.nativeError == kLoginFailed || record.sqlState == "28000";
}

bool isLinkLost(const DiagnosticRecord& record)
{
    if (std::find(kLinkLost.begin(), kLinkLost.end(), record.nativeError) != kLinkLost.end())
        return true;
    // A communication link failure, whatever number comes with it: Windows'
    // "SQL Server" driver gives the socket's error (10054, a reset link).
    if (record.sqlState == "08S01")
        return true;
    // A server's error number names a refusal whatever its SQLSTATE says
    // (911 comes as 08004); only a record without one is read by class.
    return record.nativeError == 0 && record.sqlState.rfind("08", 0) == 0;
}

bool isWarning(const DiagnosticRecord& record)
{
    return record.sqlState.rfind("01", 0) == 0;
}

std::string allMessages(const std::vector<DiagnosticRecord>& records)
{
    // FreeTDS repeats some records (20009 comes twice).
    std::vector<std::string> seen;
    std::string text;
    for (const DiagnosticRecord& record : records) {
        if (std::find(seen.begin(), seen.end(), record.message) != seen.end())
            continue;
        seen.push_back(record.message);
        if (!text.empty())
            text += " | ";
        text += record.message;
    }
    return text.empty() ? "the driver reported a failure without diagnostics" : text;
}

} // namespace

DatabaseError toDatabaseError(OdbcPhase phase, const std::vector<DiagnosticRecord>& records)
{
    const auto find = [&records](auto predicate) { return std::find_if(records.begin(), records.end(), predicate); };
    std::int32_t number = DatabaseError::kFail;
    auto deciding = records.end();
    if (phase == OdbcPhase::Connect) {
        deciding = find(isLoginRejected);
        if (deciding != records.end())
            number = DatabaseError::kAuthFailed;
    } else {
        deciding = find(isLinkLost);
        if (deciding == records.end())
            number = DatabaseError::kErrorsInCommand;
    }
    // The record that names the failure: the first error, not a warning.
    if (deciding == records.end())
        deciding = find([](const DiagnosticRecord& record) { return !isWarning(record); });
    if (deciding == records.end())
        deciding = records.begin();
    if (deciding == records.end())
        return DatabaseError(number, "HY000", 0, allMessages(records));
    return DatabaseError(number, deciding->sqlState, deciding->nativeError, allMessages(records));
}

} // namespace OdbcErrorMapping
