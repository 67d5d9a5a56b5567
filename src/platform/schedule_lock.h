#pragma once

#include <string>

// One schedule per settings file: whoever runs a file's schedule (the
// window, the background service) holds its lock, so that the other never
// runs the same slot a second time. A lock taken is held until released or
// until its holder's process ends, however it ends.
class ScheduleLock {
public:
    enum class Outcome {
        // The caller holds it now.
        Held,
        // Another process runs this settings file's schedule.
        HeldElsewhere,
        // No lock could be had at all (the lock file cannot be opened or
        // made): nothing tells whether another runs the schedule.
        Unavailable,
    };

    virtual ~ScheduleLock() = default;
    // Takes the lock of the schedule of that settings file; held already by
    // the caller, it stays so.
    virtual Outcome take(const std::string& settingsFile) = 0;
    // Lets the lock go; nothing when it is not held.
    virtual void release() = 0;

    // The lock's file, beside the settings file.
    static std::string lockFileFor(const std::string& settingsFile) { return settingsFile + ".lock"; }
};
