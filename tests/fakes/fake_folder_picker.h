#pragma once

#include <deque>
#include <optional>
#include <string>

#include "platform/folder_picker.h"

// Answers the folder dialog with the test's choices; cancels when it has none.
class FakeFolderPicker final : public FolderPicker {
public:
    std::optional<std::string> browse() override
    {
        ++opened;
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool ignoresCase() const override { return caseInsensitive; }

    std::deque<std::optional<std::string>> answers;
    bool caseInsensitive = false;
    int opened = 0;
};
