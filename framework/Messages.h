// Window messages of our own.
#pragma once

#include <windows.h>

// Asks a window to re-read its settings and colours and repaint.
constexpr UINT WM_WINDOWRESET = WM_USER + 100;
