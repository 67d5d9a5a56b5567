#include "standin_test_support.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

StandinOptions faults(std::vector<std::string> switches) {
    StandinOptions o;
    o.databases = {"Sales:256KB"};
    o.extraArgs = std::move(switches);
    return o;
}

TEST(StandinFaults, ASilentLoginRunsIntoTheClientsLoginTimeout) {
    StandinServer server(faults({"--never-answer-login"}));
    useProjectOdbcDrivers();
    OdbcSession session;
    const auto started = std::chrono::steady_clock::now();
    const OdbcResult r = session.connect(standinConnectionString(server), 2);
    EXPECT_EQ(r.rc, SQL_ERROR);
    EXPECT_TRUE(r.hasState("HYT00")) << r.describe();
    // Bounded only so that a hang fails the test rather than the suite.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
    ASSERT_EQ(server.log().size(), 1u);
    EXPECT_FALSE(server.log()[0].ok);
}

// A server that hangs before the login: the connection is accepted and the
// PRELOGIN read, and nothing ever comes back, not even a close.
TEST(StandinFaults, APreloginCanGoUnanswered) {
    StandinServer server(faults({"--never-answer-prelogin"}));
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(server.port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    // A PRELOGIN packet: header, then the terminator of an empty option list.
    const unsigned char prelogin[] = {0x12, 0x01, 0x00, 0x09, 0x00, 0x00, 0x01, 0x00, 0xFF};
    ASSERT_EQ(::send(fd, prelogin, sizeof prelogin, MSG_NOSIGNAL), static_cast<ssize_t>(sizeof prelogin));
    pollfd p{fd, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 1500), 0) << "the stand-in answered or closed";
    ::close(fd);
    EXPECT_TRUE(server.log().empty());
    EXPECT_EQ(server.stop(), 0);
}

TEST(StandinFaults, TheFirstLoginsCanBeRefused) {
    StandinServer server(faults({"--refuse-logins", "2"}));
    useProjectOdbcDrivers();
    for (int attempt = 1; attempt <= 3; ++attempt) {
        OdbcSession session;
        const OdbcResult r = session.connect(standinConnectionString(server));
        EXPECT_EQ(r.ok(), attempt == 3) << attempt << r.describe();
        if (attempt < 3) {
            EXPECT_EQ(r.natives().front(), 18456) << r.describe();
        }
    }
}

TEST(StandinFaults, LoginsAreRefusedForAWhileAfterStartUp) {
    StandinServer server(faults({"--refuse-logins-for", "2500"}));
    useProjectOdbcDrivers();
    OdbcSession first;
    EXPECT_FALSE(first.connect(standinConnectionString(server)).ok());
    bool accepted = false;
    for (int attempt = 0; attempt < 100 && !accepted; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        OdbcSession retry;
        accepted = retry.connect(standinConnectionString(server)).ok();
    }
    EXPECT_TRUE(accepted);
}

TEST(StandinFaults, AConnectionCanBeDroppedWhenAStatementArrives) {
    StandinServer server(faults({"--drop-connection-on", "sysdatabases"}));
    auto session = connectTo(server);
    EXPECT_EQ(session->execute("select 1").rows.size(), 1u);
    const OdbcResult r = session->execute("select name from master.dbo.sysdatabases where name = ?", {"Sales"});
    EXPECT_EQ(r.rc, SQL_ERROR);
    EXPECT_EQ(r.natives(), std::vector<int>{20017}) << r.describe();   // "Unexpected EOF from the server"
    // The statement still reached the log before the connection went.
    EXPECT_EQ(server.statements().back(), "select name from master.dbo.sysdatabases where name = @P1");
    auto other = connectTo(server);
    EXPECT_EQ(other->execute("select 1").rows.size(), 1u);
}

TEST(StandinFaults, ASlowBackupFinishesWhenTheClientWaits) {
    StandinServer server(faults({"--slow-backup", "600"}));
    auto session = connectTo(server);
    const OdbcResult r = session->execute("backup database Sales to disk = 'slow.bak'", {}, 30);
    EXPECT_EQ(r.natives(), (std::vector<int>{4035, 4035, 3014})) << r.describe();
    EXPECT_TRUE(std::filesystem::exists(server.backupDir() / "slow.bak"));
}

}  // namespace
