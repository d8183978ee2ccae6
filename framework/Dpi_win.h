// The dpi a window lays out at, and the system's measures at a given dpi. The functions that
// take a dpi came with Windows 10 1607; before it every window has the system's dpi.
#pragma once

#include <windows.h>

#include "framework/Dpi.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

// The dpi of the window's monitor (of the system, for a window not aware of dpi).
int DpiOfWindow(HWND window);
// The dpi of the system: the primary monitor's when the program started.
int SystemDpi();
// The dpi a window about to be made will have: its owner's, or the monitor's at the point.
int DpiForNewWindow(HWND owner, POINT at);
// GetSystemMetrics at dpi.
int SystemMetricForDpi(int index, int dpi);
// The window rectangle around a client rectangle, with the frame at dpi.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);
// The program's icon (resource 1) in its image of the small icon's size at dpi, shared: the
// tray and a caption take this size, and LoadIconW's large image would be shrunk blurred.
HICON SmallProgramIcon(int dpi);
