// The road to the server shared by the database check and the backup runs:
// the connection fields, the connection string and the server-error report.

#include <iostream>

#include "app/form1.h"
#include "job/server_error_report.h"
#include "platform/data_access.h"
#include "text/connection_string.h"
#include "text/server_statements.h"

void Form1::odb()
{
    sqlServer = Text1.text();
    sqlUser = Text2.text();
    sqlPwd = Text3.text();
}

std::string Form1::connectionString() const
{
    return ConnectionString::build(sqlServer, masterDb, sqlUser, sqlPwd);
}

void Form1::reportServerError(std::int32_t number, bool unattended)
{
    // Ticks go on while a box is open: every failing slot of an unattended
    // night would open one more box inside the last, each a nested event
    // loop on the same stack. The open one already calls the operator.
    if (unattended && m_failureBoxOpen) {
        std::cerr << "ondrel: a failure box is already open; this failure shows no second one\n";
        return;
    }
    const bool outer = !m_failureBoxOpen;
    m_failureBoxOpen = true;
    msgBox(ServerErrorReport::message(number));
    if (outer)
        m_failureBoxOpen = false;
}

// Runs one server method's guarded stretch: any failure abandons the rest of
// it and ends in the server-error report; the method then returns normally.
void Form1::guarded(Caller caller, const std::function<void()>& body)
{
    std::int32_t number = 0;
    try {
        body();
        return;
    } catch (const DatabaseError& error) {
        std::cerr << "ondrel: server failure " << error.number() << " [" << error.sqlState() << "/"
                  << error.nativeError() << "] " << error.what() << '\n';
        number = error.number();
    } catch (const std::exception& error) {
        std::cerr << "ondrel: internal failure: " << error.what() << '\n';
        number = ServerErrorReport::kInternalError;
    }
    reportServerError(number, caller == Caller::Schedule);
}

// Looks every listed database up on the server; dbOkCount ends as the number
// of entries found after the last missing one.
void Form1::bd()
{
    odb();
    guarded(Caller::Operator, [this] {
        auto connection = m_services.dataAccess.createConnection();
        connection->Open(connectionString(), {}, {}, -1);
        auto recordset = m_services.dataAccess.createRecordset();
        const std::size_t count = Combo1.listCount();
        for (std::size_t i = 0; i < count; ++i) {
            const std::string entry = Combo1.list(i);
            recordset->Open(ServerStatements::existenceQuery(entry), *connection, Recordset::adOpenKeyset,
                            Recordset::adLockOptimistic, -1);
            if (recordset->Eof()) {
                msgBox(entry + "数据库不存在,请重新输入或请从列表中删除!");
                dbOkCount = "0";
            } else {
                dbOkCount = std::to_string(std::stoll(dbOkCount) + 1);
            }
            recordset->Close();
        }
    });
}
