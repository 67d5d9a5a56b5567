#pragma once

#include <string>

// Who connects to which server: the connection fields as typed, and the
// database the connection names.
struct ServerLogin {
    std::string server;
    std::string login;
    std::string password;
    std::string database = "master";
};
