#pragma once

// Marks a backup run under way for as long as it lasts, failure included.
class RunScope final {
public:
    explicit RunScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RunScope() { m_flag = false; }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    bool& m_flag;
};
