#include "slot_delay_run.h"

#include <QCoreApplication>
#include <QTimer>
#include <ctime>

#include "bench_stats.h"
#include "bench_window.h"

SlotDelayRun::SlotDelayRun(BenchWindow& window, int slots, int gapSeconds)
    : m_window(window), m_slots(slots), m_gapSeconds(gapSeconds)
{
}

void SlotDelayRun::run()
{
    QTimer::singleShot(0, this, [this] { programNext(); });
    QCoreApplication::exec();
}

void SlotDelayRun::programNext()
{
    const std::int64_t now = BenchStats::wallMs();
    if (static_cast<int>(m_slotSeconds.size()) == m_slots) {
        QCoreApplication::quit();
        return;
    }
    // Edited half-way through a second, as an operator would, between ticks.
    const std::int64_t slot = now / 1000 + m_gapSeconds;
    const std::time_t at = static_cast<std::time_t>(slot);
    std::tm local{};
    ::localtime_r(&at, &local);
    char field[16];
    std::strftime(field, sizeof field, "%H:%M:%S", &local);
    TextBox* fields[] = {&m_window.form.Text8, &m_window.form.Text7, &m_window.form.Text6};
    const std::size_t which = m_slotSeconds.size() % 3;
    for (std::size_t i = 0; i < 3; ++i)
        fields[i]->setText(i == which ? field : "");
    m_slotSeconds.push_back(slot);
    // The next edit comes once this slot's run is over, mid-second.
    const std::int64_t next = (slot + 2) * 1000 + 500;
    QTimer::singleShot(static_cast<int>(next - BenchStats::wallMs()), this, [this] { programNext(); });
}
