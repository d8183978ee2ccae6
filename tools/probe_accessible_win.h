// The probe's walk of a window's accessible objects, printed in UTF-8.
#pragma once

#include <windows.h>

// The client object and its children, then what a reader finds by pointing at the caption
// strip (the painted buttons and link), then each child window's object.
int PrintAccessibleTree(HWND window);
