#include "platform/win32/tick_driver.h"

#include "platform/win32/guard.h"

namespace Win32 {

namespace {

constexpr UINT_PTR kTimerId = 1;

// Milliseconds between 1601-01-01 (FILETIME's epoch) and 1970-01-01.
constexpr std::int64_t kUnixEpochMs = 11644473600000;

} // namespace

TickDriver::TickDriver(::Timer& timer, std::function<void()> onTick)
    : m_window(createMessageWindowFor(*this, L"OndrelTickDriver"))
{
    m_pacer.emplace(timer, static_cast<OneShotTimer&>(*this), nowMs,
                    [onTick = std::move(onTick)] { runGuarded("Timer1_Timer", onTick); });
}

TickDriver::~TickDriver()
{
    m_pacer.reset();
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

LRESULT TickDriver::onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == kTimerId) {
        if (m_pacer)
            m_pacer->fire();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool TickDriver::start(std::int64_t delayMs)
{
    // SetTimer on the same identifier replaces the previous one-shot.
    return ::SetTimer(m_window, kTimerId, static_cast<UINT>(delayMs), nullptr) != 0;
}

void TickDriver::stop()
{
    ::KillTimer(m_window, kTimerId);
}

} // namespace Win32
