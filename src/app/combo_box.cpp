#include "app/combo_box.h"

#include <algorithm>

void ComboBox::setText(std::string text)
{
    const auto found = std::find(m_items.begin(), m_items.end(), text);
    showText(std::move(text), found == m_items.end() ? -1 : static_cast<long>(found - m_items.begin()));
}

void ComboBox::typeText(std::string text)
{
    showText(std::move(text), -1);
}

void ComboBox::showText(std::string text, long index)
{
    const bool indexChanged = m_listIndex != index;
    m_listIndex = index;
    if (text != caption())
        setCaption(std::move(text));
    else if (indexChanged)
        notify();
}

std::string ComboBox::list(std::size_t index) const
{
    return index < m_items.size() ? m_items[index] : std::string();
}

void ComboBox::setListIndex(long index)
{
    if (index < -1 || index >= static_cast<long>(m_items.size()))
        return;
    m_listIndex = index;
    if (index >= 0)
        setCaption(m_items[static_cast<std::size_t>(index)]);
    notify();
}

void ComboBox::addItem(std::string item)
{
    m_items.push_back(std::move(item));
    itemsChanged.emit();
}

void ComboBox::removeItem(std::size_t index)
{
    if (index >= m_items.size())
        return;
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
    if (m_listIndex == static_cast<long>(index))
        m_listIndex = -1;
    else if (m_listIndex > static_cast<long>(index))
        --m_listIndex;
    itemsChanged.emit();
}
