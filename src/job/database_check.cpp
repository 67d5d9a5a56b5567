#include "job/database_check.h"

#include "job/job_spec.h"
#include "platform/data_access.h"
#include "text/server_statements.h"

std::size_t DatabaseCheck::run(const ServerLogin& login, const std::vector<std::string>& databases,
                               DatabaseCheckReport& report)
{
    if (const auto position = firstEntryWithNul(databases)) {
        report.entryRefused(*position, databases[*position]);
        return 0;
    }
    std::size_t dbOkCount = 0;
    try {
        auto connection = m_dataAccess.createConnection();
        connection->Open(login);
        auto recordset = m_dataAccess.createRecordset();
        for (const std::string& entry : databases) {
            recordset->Open(ServerStatements::existenceQuery(entry), *connection);
            if (recordset->Eof()) {
                report.missing(entry);
                dbOkCount = 0;
            } else {
                ++dbOkCount;
            }
            recordset->Close();
        }
    } catch (const std::exception& error) {
        report.failed(error);
    }
    return dbOkCount;
}
