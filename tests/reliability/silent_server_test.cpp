// Servers and links that fall silent, over the real road: connecting ends
// within its bound with the E_FAIL box, at 开始运行 and at a slot alike; a
// link that dies without a word during a backup ends that run within the
// silence limit; the schedule goes on and the next slot backs up; a healthy
// backup that outlasts the silence limit is never cut short.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "backup/road_schedule.h"
#include "run_program.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kEFail = "连接服务器超时或MSSQL数据不存在,报错号:-2147467259";

// Short limits, so that the tests do not wait as long as the program would.
constexpr LinkTimeouts kShort{3s, 6s};

// Generous: only a hang may fail it, not a slow machine.
std::chrono::seconds hangGuard(const LinkTimeouts& timeouts)
{
    return timeouts.connect * 3 + 20s;
}

// A loopback port that accepts connections (the system completes them) and
// never says a word: a host whose server hangs, or something else on 1433.
class SilentPeer final {
public:
    SilentPeer()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(m_fd, 16) != 0
            || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen on loopback");
        m_port = ntohs(address.sin_port);
    }
    ~SilentPeer() { ::close(m_fd); }
    SilentPeer(const SilentPeer&) = delete;
    SilentPeer& operator=(const SilentPeer&) = delete;

    std::string serverField() const { return "127.0.0.1," + std::to_string(m_port); }

private:
    int m_fd = -1;
    int m_port = 0;
};

// A running schedule over the real road with the given limits; slots at
// 12:00:00 and 18:00:00.
class SilentRoad : public ::testing::Test {
protected:
    explicit SilentRoad(std::vector<std::string> faults = {}, LinkTimeouts timeouts = kShort)
        : m_timeouts(timeouts)
        , w(standin({"sales:64KB"}, std::move(faults)), timeouts)
    {
        f.Combo1.addItem("sales");
        folder = (w.harness.temp.path() / "bak").string() + "/";
        f.Text5.setText(folder);
        w.harness.clock.set({2026, 12, 6, 11, 59, 59, 0});
    }

    // One tick at 12:00:00; how long it held the window.
    Clock::duration slotRun()
    {
        const auto started = Clock::now();
        w.harness.clock.advanceSeconds(1);
        f.Timer1_Timer();
        return Clock::now() - started;
    }

    Clock::duration start()
    {
        const auto started = Clock::now();
        f.Command1.click();
        return Clock::now() - started;
    }

    // The 18:00:00 slot against a server that answers: it backs up.
    void nextSlotBacksUp(const StandinServer& server)
    {
        f.Text1.setText(server.serverField());
        const std::size_t boxes = w.harness.messages.boxes.size();
        w.harness.clock.set({2026, 12, 6, 17, 59, 59, 0});
        w.harness.clock.advanceSeconds(1);
        f.Timer1_Timer();
        EXPECT_EQ(w.harness.messages.boxes.size(), boxes) << w.harness.messages.boxes.back().text;
        const StandinInspection inspection = inspectBackup(folder + "sales.bak");
        ASSERT_EQ(inspection.sets.size(), 1u);
        EXPECT_TRUE(inspection.sets[0].checksumOk);
    }

    void running() { f.Timer1.setEnabled(true); }

    LinkTimeouts m_timeouts;
    RoadWindow w;
    Form1& f = w.form;
    std::string folder;
};

class SilentPeerRoad : public SilentRoad {
protected:
    explicit SilentPeerRoad(LinkTimeouts timeouts = kShort) : SilentRoad({}, timeouts) {}
    SilentPeer peer;
};

// With the program's own bound: 15 s.
class SilentPeerAtStart : public SilentPeerRoad {
protected:
    SilentPeerAtStart() : SilentPeerRoad(LinkTimeouts{}) {}
};

TEST_F(SilentPeerAtStart, endsTheCheckWithinTheConnectBound)
{
    f.Text1.setText(peer.serverField());
    const auto held = start();
    EXPECT_EQ(w.harness.messages.texts(), std::vector<std::string>{kEFail});
    EXPECT_EQ(f.Command1.caption(), "开始运行");
    EXPECT_LT(held, hangGuard(m_timeouts));
    std::printf("connect bound: a silent peer held 开始运行 for %.1f s\n", std::chrono::duration<double>(held).count());
}

TEST_F(SilentPeerRoad, atASlotIsReportedAndTheScheduleGoesOn)
{
    running();
    f.Text1.setText(peer.serverField());
    const auto held = slotRun();
    EXPECT_EQ(w.harness.messages.texts(), std::vector<std::string>{kEFail});
    EXPECT_LT(held, hangGuard(m_timeouts));
    EXPECT_TRUE(f.Timer1.enabled());
    nextSlotBacksUp(w.server);
}

class PreloginNeverAnswered : public SilentRoad {
protected:
    PreloginNeverAnswered() : SilentRoad({"--never-answer-prelogin"}) {}
};

TEST_F(PreloginNeverAnswered, atStartIsReportedAndNothingStarts)
{
    const auto held = start();
    EXPECT_EQ(w.harness.messages.texts(), std::vector<std::string>{kEFail});
    EXPECT_EQ(f.Command1.caption(), "开始运行");
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_LT(held, hangGuard(m_timeouts));
}

// The server's process frozen (kill -STOP): its system still accepts.
class FrozenServer : public SilentRoad {};

TEST_F(FrozenServer, atASlotIsReportedAndTheNextSlotRunsOnceItThaws)
{
    running();
    w.server.suspend();
    const auto held = slotRun();
    EXPECT_EQ(w.harness.messages.texts(), std::vector<std::string>{kEFail});
    EXPECT_LT(held, hangGuard(m_timeouts));
    w.server.resume();
    nextSlotBacksUp(w.server);
}

// The silence limit is about a link that says nothing, not about a backup
// that takes long: the server's system answers the keep-alive probes.
class LongBackup : public SilentRoad {
protected:
    LongBackup() : SilentRoad({"--slow-backup", "8000"}, LinkTimeouts{3s, 2s}) {}
};

TEST_F(LongBackup, outlastingTheSilenceLimitIsNotCutShort)
{
    running();
    slotRun();
    EXPECT_TRUE(w.harness.messages.boxes.empty()) << w.harness.messages.boxes.back().text;
    const StandinInspection inspection = inspectBackup(folder + "sales.bak");
    ASSERT_EQ(inspection.sets.size(), 1u);
    EXPECT_TRUE(inspection.sets[0].checksumOk);
}

// A network namespace of the test's own with the stand-in in it, reached
// over a veth pair whose far end can be unplugged. Addresses are from
// 198.18.0.0/15, kept for tests of network equipment, one /30 per process.
class UnpluggableLink final {
public:
    UnpluggableLink()
    {
        const int id = static_cast<int>(::getpid() % 16384);
        m_namespace = "ondrel-link-" + std::to_string(::getpid());
        m_hostEnd = "ondh" + std::to_string(::getpid());
        m_serverEnd = "onds" + std::to_string(::getpid());
        const int block = id * 4;
        const std::string prefix =
            "198." + std::to_string(18 + block / 65536) + "." + std::to_string(block / 256 % 256) + ".";
        m_hostAddress = prefix + std::to_string(block % 256 + 1);
        m_serverAddress = prefix + std::to_string(block % 256 + 2);
    }
    ~UnpluggableLink()
    {
        if (m_made) {
            ip({"link", "delete", m_hostEnd});
            ip({"netns", "delete", m_namespace});
        }
    }
    UnpluggableLink(const UnpluggableLink&) = delete;
    UnpluggableLink& operator=(const UnpluggableLink&) = delete;

    // Empty when made; otherwise why it could not be.
    std::string make()
    {
        if (::geteuid() != 0)
            return "making a network namespace needs root";
        if (::access("/usr/sbin/ip", X_OK) != 0 && ::access("/sbin/ip", X_OK) != 0 && ::access("/bin/ip", X_OK) != 0)
            return "no ip command (package iproute2)";
        const auto added = ip({"netns", "add", m_namespace});
        if (added.exitCode != 0)
            return "ip netns add failed: " + added.err;
        m_made = true;
        for (const std::vector<std::string>& step : std::vector<std::vector<std::string>>{
                 {"link", "add", m_hostEnd, "type", "veth", "peer", "name", m_serverEnd},
                 {"link", "set", m_serverEnd, "netns", m_namespace},
                 {"addr", "add", m_hostAddress + "/30", "dev", m_hostEnd},
                 {"link", "set", m_hostEnd, "up"},
                 {"-n", m_namespace, "addr", "add", m_serverAddress + "/30", "dev", m_serverEnd},
                 {"-n", m_namespace, "link", "set", m_serverEnd, "up"},
                 {"-n", m_namespace, "link", "set", "lo", "up"},
             }) {
            const auto done = ip(step);
            if (done.exitCode != 0)
                return "ip " + step.front() + " " + step[1] + " failed: " + done.err;
        }
        return {};
    }

    // The server's end goes down: nothing reaches it and nothing comes back,
    // and no reset tells the program so.
    void unplug() { EXPECT_EQ(ip({"-n", m_namespace, "link", "set", m_serverEnd, "down"}).exitCode, 0); }
    void plugIn() { EXPECT_EQ(ip({"-n", m_namespace, "link", "set", m_serverEnd, "up"}).exitCode, 0); }

    std::vector<std::string> launcher() const { return {"ip", "netns", "exec", m_namespace}; }
    const std::string& serverAddress() const { return m_serverAddress; }

private:
    static ondrel::test::ProgramResult ip(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), "ip");
        return ondrel::test::runProgram(arguments, {}, 10s);
    }

    std::string m_namespace, m_hostEnd, m_serverEnd, m_hostAddress, m_serverAddress;
    bool m_made = false;
};

// The stand-in in a namespace of its own, behind a link the test unplugs.
class DeadLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const std::string why = link.make(); !why.empty())
            GTEST_SKIP() << "cannot unplug a link here: " << why;
    }

    std::unique_ptr<RoadWindow> window(std::vector<std::string> faults)
    {
        faults.insert(faults.begin(), {"--listen", link.serverAddress()});
        StandinOptions options = standin({"sales:64KB"}, std::move(faults));
        options.launcher = link.launcher();
        return std::make_unique<RoadWindow>(std::move(options), timeouts);
    }

    UnpluggableLink link;
    const LinkTimeouts timeouts{3s, 6s};
};

TEST_F(DeadLink, duringABackupEndsTheRunWithinTheSilenceLimitAndTheNextSlotRuns)
{
    const auto road = window({"--slow-backup", "4000"});
    RoadWindow& w = *road;
    Form1& f = w.form;
    f.Combo1.addItem("sales");
    const std::string folder = (w.harness.temp.path() / "bak").string() + "/";
    f.Text5.setText(folder);
    f.Timer1.setEnabled(true);
    w.harness.clock.set({2026, 12, 6, 11, 59, 59, 0});

    // Unplugged once the backup is under way.
    std::atomic<bool> unplugged{false};
    Clock::time_point unpluggedAt;
    std::thread cable([&] {
        const auto giveUp = Clock::now() + 20s;
        while (w.server.statements().empty() && Clock::now() < giveUp)
            std::this_thread::sleep_for(20ms);
        std::this_thread::sleep_for(500ms);
        unpluggedAt = Clock::now();
        link.unplug();
        unplugged = true;
    });
    w.harness.clock.advanceSeconds(1);
    f.Timer1_Timer();
    const auto returned = Clock::now();
    cable.join();
    ASSERT_TRUE(unplugged);
    EXPECT_EQ(w.harness.messages.texts(), std::vector<std::string>{kEFail});
    const auto held = returned - unpluggedAt;
    EXPECT_LT(held, timeouts.silence * 4) << "the dead link was not noticed";
    std::printf("dead link: the run ended %.1f s after the link went down (silence limit %lld s)\n",
                std::chrono::duration<double>(held).count(), static_cast<long long>(timeouts.silence.count()));
    EXPECT_TRUE(f.Timer1.enabled());

    // The link is back: the next slot backs up over it.
    link.plugIn();
    w.harness.clock.set({2026, 12, 6, 17, 59, 59, 0});
    w.harness.clock.advanceSeconds(1);
    f.Timer1_Timer();
    EXPECT_EQ(w.harness.messages.boxes.size(), 1u) << w.harness.messages.boxes.back().text;
    const StandinInspection inspection = inspectBackup(folder + "sales.bak");
    ASSERT_EQ(inspection.sets.size(), 1u);
    EXPECT_TRUE(inspection.sets[0].checksumOk);
}

// What was sent waits for an acknowledgement that never comes: no keep-alive
// probe is sent then, and the system would retransmit for a quarter of an
// hour before giving up.
TEST_F(DeadLink, underAStatementJustSentEndsItWithinTheSilenceLimit)
{
    const auto road = window({});
    RoadWindow& w = *road;
    w.form.odb();
    auto connection = w.odbc.createConnection();
    connection->Open(w.form.odb());
    link.unplug();
    const auto sent = Clock::now();
    try {
        connection->Execute("select 1");
        ADD_FAILURE() << "the statement succeeded over an unplugged link";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.number(), DatabaseError::kFail) << error.what();
    }
    EXPECT_LT(Clock::now() - sent, timeouts.silence * 4) << "the dead link was not noticed";
}

} // namespace
