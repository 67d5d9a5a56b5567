#pragma once

#include <cstdint>

// Input of the operator's hand (a click, a key) that reaches the window
// more than this long after it was made has waited for a handler holding
// the window's one thread; both views drop it rather than replay it.
inline constexpr std::int64_t kStaleInputMs = 1000;
