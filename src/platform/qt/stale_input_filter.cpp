#include "platform/qt/stale_input_filter.h"

#include <QInputEvent>
#include <chrono>

namespace {

// How far a prompt event's time may lie from the monotonic clock: the X
// server reads a coarse clock, and delivery takes a moment.
constexpr std::int64_t kPromptMs = 100;

bool isOperatorInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

} // namespace

bool StaleInputFilter::stale(std::uint64_t eventMs, std::int64_t nowMs)
{
    // No time at all: made by a program, not by the operator's hand.
    if (eventMs == 0)
        return false;
    // The window system's 32-bit milliseconds wrap every 49 days.
    const auto waited =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(nowMs) - static_cast<std::uint32_t>(eventMs));
    if (!m_sameClock) {
        m_sameClock = waited > -kPromptMs && waited < kPromptMs;
        return false;
    }
    return waited > kStaleInputMs;
}

bool StaleInputFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (isOperatorInput(event->type())) {
        const std::int64_t now =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        if (stale(static_cast<QInputEvent*>(event)->timestamp(), now))
            return true;
    }
    return QObject::eventFilter(watched, event);
}
