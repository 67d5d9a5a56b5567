#pragma once

// Where a window goes to stand in the middle of its screen: half of what is
// left of the screen's width and height around its outer size (twips).
struct TwipsSize {
    float width = 0;
    float height = 0;
};

struct TwipsPoint {
    float left = 0;
    float top = 0;

    friend bool operator==(const TwipsPoint&, const TwipsPoint&) = default;
};

inline TwipsPoint centredOn(TwipsSize screen, TwipsSize window)
{
    return {(screen.width - window.width) / 2, (screen.height - window.height) / 2};
}
