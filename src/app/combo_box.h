#pragma once

#include <string>
#include <vector>

#include "app/control.h"

// A drop-down list with an editable text part. Entries keep their insertion
// order and are never sorted, trimmed or merged.
class ComboBox final : public Control {
public:
    ComboBox(std::string name, TwipsRect rect) : Control(std::move(name), ControlKind::ComboBox, {}, rect) {}

    const std::string& text() const { return caption(); }
    // The program sets the text part. The first entry equal to it becomes
    // the selected one, and none when no entry is: the handlers decide by
    // the selection, which must name what the box shows.
    void setText(std::string text);
    // The operator typed into the text part: no entry is selected any more.
    void typeText(std::string text);

    std::size_t listCount() const { return m_items.size(); }
    // The entry at a position; past the end, empty text.
    std::string list(std::size_t index) const;
    const std::vector<std::string>& items() const { return m_items; }
    // The selected entry's position, -1 when none is selected.
    long listIndex() const { return m_listIndex; }
    // Selects an entry (the operator picked it from the list) and shows it.
    void setListIndex(long index);

    void addItem(std::string item);
    void removeItem(std::size_t index);

    // The entries changed (added or removed), as opposed to the text part.
    Signal<> itemsChanged;

private:
    // Shows the text with the entry at index (or none) selected.
    void showText(std::string text, long index);

    std::vector<std::string> m_items;
    long m_listIndex = -1;
};
