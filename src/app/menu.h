#pragma once

#include <string>
#include <vector>

#include "app/menu_item.h"
#include "platform/menu_entry.h"

// A top-level menu that is never shown as a menu bar, only as a context menu.
class Menu final {
public:
    Menu(std::string name, std::string caption, std::vector<MenuItem*> items)
        : m_name(std::move(name))
        , m_caption(std::move(caption))
        , m_items(std::move(items))
    {
    }

    const std::string& name() const { return m_name; }
    const std::string& caption() const { return m_caption; }
    const std::vector<MenuItem*>& items() const { return m_items; }
    MenuItem* find(const std::string& name) const
    {
        for (MenuItem* item : m_items) {
            if (item->name() == name)
                return item;
        }
        return nullptr;
    }
    // The items as they stand now, for a platform to show.
    std::vector<MenuEntry> entries() const
    {
        std::vector<MenuEntry> entries;
        entries.reserve(m_items.size());
        for (const MenuItem* item : m_items)
            entries.push_back({item->name(), item->caption(), item->enabled()});
        return entries;
    }

private:
    std::string m_name;
    std::string m_caption;
    std::vector<MenuItem*> m_items;
};
