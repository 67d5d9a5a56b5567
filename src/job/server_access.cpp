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
    reportFailure(ServerErrorReport::message(number), unattended);
}

void Form1::reportFailure(const std::string& text, bool unattended)
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
    msgBox(text);
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

// An entry that holds a NUL (only a hand-edited settings file can put one
// there) would reach the server cut short at it, naming another database
// than the list shows: it is refused, before anything is sent.
bool Form1::listCanBeSent(Caller caller)
{
    for (std::size_t i = 0; i < Combo1.listCount(); ++i) {
        const std::string entry = Combo1.list(i);
        const std::size_t nul = entry.find('\0');
        if (nul == std::string::npos)
            continue;
        reportFailure("数据库列表第" + std::to_string(i + 1) + "项(“" + entry.substr(0, nul)
                          + "…”)含有空字符(NUL),无法原样发送给服务器,未连接服务器。请从列表中删除此项。",
                      caller == Caller::Schedule);
        return false;
    }
    return true;
}

// Looks every listed database up on the server; dbOkCount ends as the number
// of entries found after the last missing one.
void Form1::bd()
{
    odb();
    if (!listCanBeSent(Caller::Operator))
        return;
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
