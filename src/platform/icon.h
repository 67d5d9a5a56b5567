#pragma once

// The program's two pictures: a white light bulb while idle, lit yellow once
// a run has been started.
enum class Icon { None = 0, Idle = 1, Running = 2 };
