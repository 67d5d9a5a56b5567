// A server that accepts the connection and never says a word, over the
// Windows edition's whole road (odbc32, Wine's hand-over to unixODBC and
// FreeTDS, TCP on loopback): connecting ends within its bound with the
// E_FAIL box, at "开始运行" and at a slot, again and again.

#include "standin_road.h"
#include "wide_text.h"

#include <gtest/gtest.h>

// windows.h (included in every file of the build) brings Winsock's
// declarations.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "fakes/form_harness.h"
#include "platform/odbc/odbc_data_access.h"

namespace ondrel::win32test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kEFail = "连接服务器超时或MSSQL数据不存在,报错号:-2147467259";

// A listener on loopback that never accepts, reads or writes: the system
// completes the connections and nothing more happens on them. (The
// stand-in's own silent modes close a connection on a packet they do not
// know, which a real silent peer never does.)
class SilentPeer final {
public:
    SilentPeer()
    {
        WSADATA data{};
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
            throw std::runtime_error("WSAStartup failed");
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        if (m_socket == INVALID_SOCKET || bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || listen(m_socket, 16) != 0 || getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen on loopback");
        m_port = ntohs(address.sin_port);
    }
    ~SilentPeer()
    {
        closesocket(m_socket);
        WSACleanup();
    }
    SilentPeer(const SilentPeer&) = delete;
    SilentPeer& operator=(const SilentPeer&) = delete;

    std::string serverField() const { return "127.0.0.1," + std::to_string(m_port); }

private:
    SOCKET m_socket = INVALID_SOCKET;
    int m_port = 0;
};

// Generous: only a hang may fail it, not a slow machine.
std::chrono::seconds hangGuard(const LinkTimeouts& timeouts)
{
    return timeouts.connect * 3 + 20s;
}

// How long the handler held the window. A handler still held at the guard
// hangs in the driver, where no thread can be ended: the test program ends
// there, failing.
Clock::duration heldBy(const std::function<void()>& handler, std::chrono::seconds guard)
{
    const auto started = Clock::now();
    std::packaged_task<void()> task(handler);
    std::future<void> done = task.get_future();
    std::thread running(std::move(task));
    if (done.wait_for(guard) != std::future_status::ready) {
        std::fprintf(stderr, "connecting still held the window after %lld s: the driver hangs\n",
                     static_cast<long long>(guard.count()));
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    running.join();
    done.get();
    return Clock::now() - started;
}

class SilentPeerRoad : public ::testing::Test {
protected:
    explicit SilentPeerRoad(LinkTimeouts bounds = {3s, 90s}) : timeouts(bounds), dataAccess(bounds)
    {
        f.Form_Load();
        f.Text1.setText(peer.serverField());
        f.Text3.setText(utf8(road.password()));
        f.Text5.setText(utf8(road.backups()) + "\\SILENT-" + std::to_string(GetCurrentProcessId()) + "\\");
        f.Combo1.addItem("Sales");
    }

    Clock::duration start()
    {
        return heldBy([this] { f.Command1.click(); }, hangGuard(timeouts));
    }
    // Runs the schedule through a slot: the second before it, then its own.
    Clock::duration slot(int hour, int minute)
    {
        h.clock.set(hour, minute, 0);
        h.clock.advanceSeconds(-1);
        f.Timer1_Timer();
        h.clock.advanceSeconds(1);
        return heldBy([this] { f.Timer1_Timer(); }, hangGuard(timeouts));
    }

    LinkTimeouts timeouts;
    SilentPeer peer;
    StandinRoad road = StandinRoad::fromEnvironment();
    OdbcDataAccess dataAccess;
    FormHarness h{&dataAccess};
    Form1& f = h.form;
};

// With the program's own bound, 15 s: the check ends with the box and the
// window stays stopped; the next click gets the same, no later.
class SilentPeerAtStart : public SilentPeerRoad {
protected:
    SilentPeerAtStart() : SilentPeerRoad(LinkTimeouts{}) {}
};

TEST_F(SilentPeerAtStart, endsTheCheckWithinTheBoundEachTime)
{
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const auto held = start();
        EXPECT_EQ(h.messages.texts(), std::vector<std::string>(static_cast<std::size_t>(attempt), kEFail));
        EXPECT_EQ(f.Command1.caption(), "开始运行");
        EXPECT_FALSE(f.Timer1.enabled());
        EXPECT_LT(held, hangGuard(timeouts)) << "attempt " << attempt;
        std::printf("a silent peer held 开始运行 for %.1f s (attempt %d)\n",
                    std::chrono::duration<double>(held).count(), attempt);
    }
}

// A running schedule that meets the silent peer at two slots: each ends
// with the box and the schedule goes on; back at the road's server, the
// next slot backs up.
TEST_F(SilentPeerRoad, atSlotsIsReportedAndTheScheduleGoesOn)
{
    f.Text1.setText(utf8(road.server()));
    f.Text8.setText("12:00:00");
    f.Text7.setText("18:00:00");
    f.Text6.setText("20:00:00");
    start();
    ASSERT_TRUE(f.Timer1.enabled()) << (h.messages.boxes.empty() ? "" : h.messages.boxes.back().text);
    const std::size_t boxes = h.messages.boxes.size();

    f.Text1.setText(peer.serverField());
    for (const int hour : {12, 18}) {
        const auto held = slot(hour, 0);
        EXPECT_LT(held, hangGuard(timeouts)) << hour;
        ASSERT_EQ(h.messages.boxes.size(), boxes + (hour == 12 ? 1u : 2u));
        EXPECT_EQ(h.messages.boxes.back().text, kEFail);
        EXPECT_TRUE(f.Timer1.enabled());
    }

    f.Text1.setText(utf8(road.server()));
    slot(20, 0);
    EXPECT_EQ(h.messages.boxes.size(), boxes + 2u) << h.messages.boxes.back().text;
}

} // namespace
} // namespace ondrel::win32test
