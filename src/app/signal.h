#pragma once

#include <functional>
#include <utility>
#include <vector>

// A minimal observer list: the model announces changes, the view listens.
template <typename... Args>
class Signal final {
public:
    using Slot = std::function<void(Args...)>;

    void connect(Slot slot) { m_slots.push_back(std::move(slot)); }

    void emit(Args... args) const
    {
        // A slot may connect further slots; iterate over a stable count.
        const auto count = m_slots.size();
        for (std::size_t i = 0; i < count; ++i)
            m_slots[i](args...);
    }

private:
    std::vector<Slot> m_slots;
};
