#pragma once

// The program's resources, shared by the resource script and the code.
// The first icon is the one Explorer shows for ondrel.exe.
#define ONDREL_ICON_IDLE 1
#define ONDREL_ICON_RUNNING 2
