#include "fakes/fake_data_access.h"

#include <fstream>

#include "fakes/utf8_path.h"
#include "text/connection_string.h"

namespace {

class FakeConnection final : public Connection {
public:
    explicit FakeConnection(FakeDataAccess& db) : m_db(db) {}
    ~FakeConnection() override
    {
        if (m_open)
            --m_db.openConnections;
    }

    // Records the login as the standard form of the connection string.
    void Open(const ServerLogin& login) override
    {
        m_db.events.push_back(
            {"open", ConnectionString::build(login.server, login.database, login.login, login.password)});
        if (m_db.openFailure)
            throw DatabaseError(*m_db.openFailure, "08001", 0, "cannot connect");
        m_open = true;
        ++m_db.openConnections;
    }
    void Execute(const std::string& statement) override
    {
        m_db.events.push_back({"execute", statement});
        if (m_db.duringExecute)
            m_db.duringExecute(statement);
        if (m_db.executeFailure) {
            if (auto number = m_db.executeFailure(statement))
                throw DatabaseError(*number, "42000", 3013, "BACKUP DATABASE is terminating abnormally.");
        }
        const auto disk = statement.find("to disk=N'");
        if (m_db.writeBackupFiles && disk != std::string::npos) {
            std::string path;
            for (std::size_t i = disk + 10; i + 1 < statement.size(); ++i) {
                path += statement[i];
                if (statement[i] == '\'')
                    ++i;
            }
            std::ofstream file(u8path(path), std::ios::binary | std::ios::app);
            if (!file)
                throw DatabaseError(DatabaseError::kErrorsInCommand, "42000", 3201, "Cannot open backup device");
            file << statement << '\n';
        }
    }
    void Close() override
    {
        m_db.events.push_back({"close", {}});
        if (m_open)
            --m_db.openConnections;
        m_open = false;
    }
    bool isOpen() const override { return m_open; }

private:
    FakeDataAccess& m_db;
    bool m_open = false;
};

// Understands only the existence query, with its name as an N'...' literal.
class FakeRecordset final : public Recordset {
public:
    explicit FakeRecordset(FakeDataAccess& db) : m_db(db) {}

    void Open(const std::string& source, Connection&) override
    {
        m_db.events.push_back({"query", source});
        const auto quote = source.find("N'");
        if (quote == std::string::npos || source.back() != '\'')
            throw DatabaseError(DatabaseError::kErrorsInCommand, "42000", 102, "Incorrect syntax");
        std::string name;
        const std::string body = source.substr(quote + 2, source.size() - quote - 3);
        for (std::size_t i = 0; i < body.size(); ++i) {
            name += body[i];
            if (body[i] == '\'')
                ++i;
        }
        m_eof = m_db.databases.count(name) == 0;
    }
    bool Eof() const override { return m_eof; }
    void Close() override {}

private:
    FakeDataAccess& m_db;
    bool m_eof = true;
};

} // namespace

std::unique_ptr<Connection> FakeDataAccess::createConnection()
{
    return std::make_unique<FakeConnection>(*this);
}

std::unique_ptr<Recordset> FakeDataAccess::createRecordset()
{
    return std::make_unique<FakeRecordset>(*this);
}

std::vector<std::string> FakeDataAccess::statements() const
{
    std::vector<std::string> result;
    for (const Event& event : events) {
        if (event.kind == "execute")
            result.push_back(event.text);
    }
    return result;
}
