#include "platform/win32/win32_clock.h"

#include "platform/win32/windows_api.h"

LocalDateTime Win32Clock::now() const
{
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    LocalDateTime t;
    t.year = local.wYear;
    t.month = local.wMonth;
    t.day = local.wDay;
    t.hour = local.wHour;
    t.minute = local.wMinute;
    t.second = local.wSecond;
    t.millisecond = local.wMilliseconds;
    return t;
}
