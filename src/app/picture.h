#pragma once

// The program's two pictures: a white light bulb while idle, lit yellow once
// a run has been started.
enum class Icon { None = 0, Idle = 1, Running = 2 };

// A hidden picture box holding one of the icons.
class Picture final {
public:
    explicit Picture(Icon icon) : m_icon(icon) {}
    Icon picture() const { return m_icon; }

private:
    Icon m_icon;
};
