#include "platform/win32/tick_driver.h"

#include "app/tick_schedule.h"
#include "app/timer.h"
#include "platform/win32/guard.h"

namespace Win32 {

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr const wchar_t* kClassName = L"OndrelTickDriver";

// Milliseconds between 1601-01-01 (FILETIME's epoch) and 1970-01-01.
constexpr std::int64_t kUnixEpochMs = 11644473600000;

} // namespace

TickDriver::TickDriver(::Timer& timer, std::function<void()> onTick)
    : m_model(timer)
    , m_onTick(std::move(onTick))
    , m_self(std::make_shared<TickDriver*>(this))
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassExW(&windowClass); // fails harmlessly when already registered
    m_window =
        ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleW(nullptr), this);
    std::weak_ptr<TickDriver*> self = m_self;
    m_model.changed.connect([self] {
        if (const auto driver = self.lock())
            (*driver)->follow();
    });
    follow();
}

TickDriver::~TickDriver()
{
    m_self.reset();
    if (m_window)
        ::DestroyWindow(m_window);
}

std::int64_t TickDriver::nowMs()
{
    FILETIME now{};
    ::GetSystemTimePreciseAsFileTime(&now);
    const std::int64_t ticks =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    return ticks / 10000 - kUnixEpochMs;
}

LRESULT CALLBACK TickDriver::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_TIMER && wParam == kTimerId) {
        if (auto* driver = reinterpret_cast<TickDriver*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
            driver->fire();
        return 0;
    } else if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void TickDriver::follow()
{
    if (m_model.enabled()) {
        if (!m_armed) {
            m_previousTickSecond.reset();
            arm();
        }
    } else if (m_armed) {
        ::KillTimer(m_window, kTimerId);
        m_armed = false;
    }
}

void TickDriver::arm()
{
    const std::int64_t delay = TickSchedule::delayToNextTick(nowMs(), m_previousTickSecond, m_model.interval());
    // SetTimer on the same identifier replaces the previous one-shot.
    m_armed = ::SetTimer(m_window, kTimerId, static_cast<UINT>(delay), nullptr) != 0;
}

void TickDriver::fire()
{
    ::KillTimer(m_window, kTimerId);
    m_armed = false;
    if (!m_model.enabled())
        return;
    m_previousTickSecond = nowMs() / 1000;
    // Armed before the tick runs: a box the tick opens runs a message loop
    // of its own, and the next ticks must come while it is open.
    arm();
    runGuarded("Timer1_Timer", m_onTick);
}

} // namespace Win32
