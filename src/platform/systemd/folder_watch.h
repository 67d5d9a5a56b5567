#pragma once

#include <string>

// Whether a file may have changed since the last question, told by inotify
// on its folder: its descriptor becomes readable when something in the
// folder changed, so that a loop that sleeps till its next slot wakes for
// a saved settings file at once. Without inotify every question answers
// yes, and there is no descriptor to wait on.
class FolderWatch final {
public:
    explicit FolderWatch(const std::string& file);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool mayHaveChanged();
    // What to wait on; -1 without inotify.
    int descriptor() const { return m_fd; }

private:
    int m_fd = -1;
    std::string m_name;
};
