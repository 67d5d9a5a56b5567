#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"

// Records every box the program shows, in order, and closes it at once.
class RecordingMessageBox final : public MessageBox {
public:
    struct Box {
        std::string text;
        std::string title;
        int style = -1;
    };

    void show(const std::string& text, const std::string& title, int style) override
    {
        boxes.push_back({text, title, style});
        // What happens while the box is open (ticks, clicks) runs here.
        if (whileOpen)
            whileOpen(boxes.back());
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const Box& box : boxes)
            result.push_back(box.text);
        return result;
    }

    std::vector<Box> boxes;
    std::function<void(const Box&)> whileOpen;
};
