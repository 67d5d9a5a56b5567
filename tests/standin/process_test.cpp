#include "run_program.h"
#include "standin_test_support.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using ondrel::test::runProgram;

class HelpText : public ::testing::TestWithParam<const char*> {};

TEST_P(HelpText, ListsTheSwitch) {
    const auto help = runProgram({ONDREL_STANDIN_PATH, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(contains(help.out, GetParam())) << help.out;
}

INSTANTIATE_TEST_SUITE_P(Standin, HelpText,
                         ::testing::Values("--port", "--login", "--database", "--statement-log", "--backup-dir",
                                           "--drive", "--inspect", "--help", "--slow-backup", "--slow-backup-of", "--drop-connection-on",
                                           "--never-answer-prelogin", "--never-answer-login", "--listen",
                                           "--refuse-logins-for", "--refuse-logins",
                                           "--disk-space", "--disk-full"));

TEST(StandinProcess, RefusesUnknownSwitchesAndMissingLogins) {
    const auto unknown = runProgram({ONDREL_STANDIN_PATH, "--port", "0", "--login", "sa:x", "--frobnicate"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(contains(unknown.err, "--frobnicate"));
    EXPECT_EQ(runProgram({ONDREL_STANDIN_PATH, "--port", "0"}).exitCode, 2);
    EXPECT_EQ(runProgram({ONDREL_STANDIN_PATH, "--port", "0", "--login", "sa:x", "--database", "A:12XB"}).exitCode, 2);
}

TEST(StandinProcess, StopsCleanlyOnSigtermWithClientsConnected) {
    StandinOptions options;
    options.databases = {"Sales"};
    options.extraArgs = {"--slow-backup", "20000"};
    StandinServer server(options);
    auto idle = connectTo(server);
    std::thread busy([&] {
        auto session = connectTo(server);
        EXPECT_FALSE(session->execute("backup database Sales to disk = 'never.bak'").ok());
    });
    for (int i = 0; i < 500 && server.statements().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(server.stop(), 0);
    busy.join();
    EXPECT_TRUE(std::filesystem::is_empty(server.backupDir()));
}

TEST(StandinProcess, ListensOnLoopbackOnly) {
    StandinServer server;
    ifaddrs* list = nullptr;
    ASSERT_EQ(::getifaddrs(&list), 0);
    int tried = 0;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        sockaddr_in address = *reinterpret_cast<sockaddr_in*>(a->ifa_addr);
        if ((ntohl(address.sin_addr.s_addr) >> 24) == 127) continue;
        address.sin_port = htons(static_cast<std::uint16_t>(server.port()));
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        EXPECT_NE(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        ++tried;
    }
    ::freeifaddrs(list);
    if (tried == 0) GTEST_SKIP() << "no address but loopback on this machine";
}

// Another address of this host (here a second loopback address) instead of
// 127.0.0.1, and only that one.
TEST(StandinProcess, ListensOnTheAddressItIsGiven) {
    StandinOptions options;
    options.extraArgs = {"--listen", "127.0.0.2"};
    StandinServer server(options);
    EXPECT_EQ(server.address(), "127.0.0.2");
    EXPECT_EQ(server.serverField(), "127.0.0.2," + std::to_string(server.port()));
    auto session = connectTo(server);
    EXPECT_EQ(session->execute("select 1").rows.size(), 1u);
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in loopback{};
    loopback.sin_family = AF_INET;
    loopback.sin_port = htons(static_cast<std::uint16_t>(server.port()));
    loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_NE(::connect(fd, reinterpret_cast<sockaddr*>(&loopback), sizeof loopback), 0);
    ::close(fd);
    EXPECT_EQ(runProgram({ONDREL_STANDIN_PATH, "--port", "0", "--login", "sa:x", "--listen", "localhost"}).exitCode, 2);
}

TEST(StandinProcess, ServesManyConnectionsAtOnce) {
    StandinServer server;
    std::vector<std::unique_ptr<OdbcSession>> sessions;
    for (int i = 0; i < 40; ++i) sessions.push_back(connectTo(server));
    for (auto& s : sessions) EXPECT_EQ(s->execute("select 1").rows.size(), 1u);
}

}  // namespace
