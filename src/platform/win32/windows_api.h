#pragma once

// <windows.h> for the Windows edition: the wide API (UNICODE comes from the
// toolchain file), no min/max macros, and none of the A/W macros whose
// names the core uses for its own classes (MessageBox).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef MessageBox
