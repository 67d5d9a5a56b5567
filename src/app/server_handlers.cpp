// The road to the server shared by the database check and the backup runs:
// the connection fields, the connection string and the server-error report.

#include <iostream>

#include "app/form1.h"
#include "job/database_check.h"
#include "job/server_error_report.h"
#include "platform/data_access.h"

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

std::size_t Form1::bd()
{
    // Boxes for missing databases open during the check, as it goes; a
    // failure's box once it has ended.
    class WindowCheckReport final : public DatabaseCheckReport {
    public:
        explicit WindowCheckReport(Form1& form) : m_form(form) {}
        void entryRefused(std::size_t position, const std::string& entry) override
        {
            m_form.reportFailure(nulEntryMessage(position, entry), false);
        }
        void missing(const std::string& entry) override
        {
            m_form.msgBox(entry + "数据库不存在,请重新输入或请从列表中删除!");
        }
        void failed(const std::exception& error) override
        {
            logFailure(error);
            m_failure = errorNumber(error);
        }
        std::optional<std::int32_t> m_failure;

    private:
        Form1& m_form;
    } report(*this);
    const std::size_t found = DatabaseCheck(m_services.dataAccess).run(odb(), Combo1.items(), report);
    if (report.m_failure)
        reportServerError(*report.m_failure, false);
    return found;
}
