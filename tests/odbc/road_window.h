#pragma once

#include <string>
#include <vector>

#include "fakes/form_harness.h"
#include "platform/odbc/odbc_data_access.h"
#include "standin_server.h"

// A stand-in with these logins, databases and switches. Called before any
// ODBC environment exists, it also points unixODBC at the project's driver
// list when the test runs outside ctest.
inline StandinOptions standin(std::vector<std::string> databases, std::vector<std::string> extraArgs = {},
                              std::vector<std::string> logins = {"sa:Secret#1"})
{
    useProjectOdbcDrivers();
    StandinOptions options;
    options.logins = std::move(logins);
    options.databases = std::move(databases);
    options.extraArgs = std::move(extraArgs);
    return options;
}

// The window with the real data access, its server fields filled in: every
// server method goes through unixODBC, FreeTDS and TCP to a stand-in.
class RoadWindow final {
public:
    explicit RoadWindow(StandinOptions options, LinkTimeouts timeouts = {}) : server(std::move(options)), odbc(timeouts)
    {
        harness.form.Form_Load();
        type(server.serverField(), "sa", "Secret#1");
    }

    void type(const std::string& serverField, const std::string& user, const std::string& password)
    {
        form.Text1.setText(serverField);
        form.Text2.setText(user);
        form.Text3.setText(password);
    }

    std::vector<StandinLogEntry> logins() const
    {
        std::vector<StandinLogEntry> entries;
        for (const StandinLogEntry& entry : server.log()) {
            if (entry.kind == "login")
                entries.push_back(entry);
        }
        return entries;
    }

    StandinServer server;
    OdbcDataAccess odbc;
    FormHarness harness{&odbc};
    Form1& form = harness.form;
};
