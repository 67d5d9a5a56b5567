#pragma once

// Holds a flag of the window set for as long as a handler runs, also when
// it fails: a backup run under way, the tray callback busy.
class FlagScope final {
public:
    explicit FlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
};
