#pragma once

#include <windows.h>

// The work area (the screen without the task bar) of the monitor that shows most of `window`.
RECT WorkAreaOf(HWND window);
