// The main window's fixed parts at a dpi: the title, the fold and close buttons, the link, the
// inner frame and the row height. The design gives them at 96 dpi for a client area 334 wide;
// the buttons and the link keep their distance to the right edge. Pure, so tested natively.
#pragma once

#include "background/Bitmap.h"

struct TFrameLayout {
    int titleLeft = 4, titleTop = -4;
    TRect foldButton, closeButton;  // kvneGctButton1 and kvneGctButton2
    TRect link;                     // LinkLabel1, right-aligned
    int innerFrameInset = 4;        // the inner frame's left, right and bottom distance
    int markFontHeight = 12;        // Marlett on the buttons, the link's font: pixels
};

// linkWidth is the link's width in pixels once it fits its caption, 0 for the design width.
// designTitleTop is −4, or −8 with the older title face.
TFrameLayout MainFrameLayout(int clientWidth, int dpi, int linkWidth = 0, int designTitleTop = -4);

// Pixels of a font given in points, on a monitor of dpi (as a LOGFONT's height, positive).
int PointFontPixels(int points, int dpi);
// A row of the list: the font's pixel height, an eighth of it, and 3 design pixels.
int ListRowHeight(int fontPixels, int dpi);
