// The road to the server shared by the database check and the backup runs:
// the connection fields, the connection string and the server-error report.

#include <iostream>

#include "app/form1.h"
#include "job/server_error_report.h"
#include "platform/data_access.h"
#include "text/server_statements.h"

ServerLogin Form1::odb() const
{
    return {Text1.text(), Text2.text(), Text3.text(), masterDb};
}

std::int32_t Form1::errorNumber(const std::exception& error)
{
    const auto* database = dynamic_cast<const DatabaseError*>(&error);
    return database ? database->number() : ServerErrorReport::kInternalError;
}

void Form1::logFailure(const std::exception& error, const std::string& database)
{
    const std::string of = database.empty() ? "" : " (" + database + ")";
    if (const auto* failure = dynamic_cast<const DatabaseError*>(&error)) {
        std::cerr << "ondrel: server failure " << failure->number() << " [" << failure->sqlState() << "/"
                  << failure->nativeError() << "] " << failure->what() << of << '\n';
    } else {
        std::cerr << "ondrel: internal failure: " << error.what() << of << '\n';
    }
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
    } catch (const std::exception& error) {
        logFailure(error);
        number = errorNumber(error);
    }
    reportServerError(number, caller == Caller::Schedule);
}

std::string Form1::nulEntryMessage(std::size_t position, const std::string& entry)
{
    return "数据库列表第" + std::to_string(position + 1) + "项(“" + entry.substr(0, entry.find('\0'))
        + "…”)含有空字符(NUL),无法原样发送给服务器,未连接服务器。请从列表中删除此项。";
}

// An entry that holds a NUL is refused, before anything is sent.
bool Form1::listCanBeSent(Caller caller)
{
    const auto position = firstEntryWithNul(Combo1.items());
    if (!position)
        return true;
    reportFailure(nulEntryMessage(*position, Combo1.list(*position)), caller == Caller::Schedule);
    return false;
}

// Looks every listed database up on the server; dbOkCount ends as the number
// of entries found after the last missing one.
void Form1::bd()
{
    if (!listCanBeSent(Caller::Operator))
        return;
    guarded(Caller::Operator, [this] {
        auto connection = m_services.dataAccess.createConnection();
        connection->Open(odb());
        auto recordset = m_services.dataAccess.createRecordset();
        const std::size_t count = Combo1.listCount();
        for (std::size_t i = 0; i < count; ++i) {
            const std::string entry = Combo1.list(i);
            recordset->Open(ServerStatements::existenceQuery(entry), *connection);
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
