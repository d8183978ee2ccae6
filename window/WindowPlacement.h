// The arithmetic of borderless windows: edge hit test, snapping to the work area, keeping a
// window on a monitor, the stepped corners. Screen pixels; rectangles exclude right and bottom.
#pragma once

#include <vector>

#include "background/Bitmap.h"

// Hit-test codes as the system numbers them.
enum THitCode {
    htNone = 0,
    htLeft = 10,
    htRight = 11,
    htTop = 12,
    htTopLeft = 13,
    htTopRight = 14,
    htBottom = 15,
    htBottomLeft = 16,
    htBottomRight = 17
};

// The sizing edge under (x, y) of a window, or htNone: a band of border pixels along every
// edge; bottom and right win over top and left on a window too small for both bands.
THitCode EdgeHitTest(int x, int y, const TRect& window, int border = 5);

// The rectangle moved to the work area's edges it comes within distance of (strictly);
// distance 0 leaves it. The size never changes.
TRect SnapToWorkArea(const TRect& window, const TRect& work, int distance);

struct TMonitorArea {
    TRect work;
    bool primary = false;
};

// A window on no monitor is shrunk to the primary screen where larger and centred on it.
// The primary screen is screenWidth × screenHeight at the origin.
TRect EnsureOnScreen(const TRect& window, const std::vector<TMonitorArea>& monitors, int screenWidth, int screenHeight);

// Moved into the work area; a window larger than it is aligned to its top-left corner.
TRect FitToWorkArea(const TRect& window, const TRect& work);

// A stored size kept between the window's minimum and the virtual screen's size.
int BoundStoredSize(int stored, int minimum, int screen);

struct TWindowSize {
    int width = 0, height = 0;
};

// No larger than the work area, where the minimum allows; the place is left as it was.
TRect ShrinkToWorkArea(const TRect& window, const TRect& work, TWindowSize minimum);

// A window's size kept in application.ini is in 96-dpi units, so a new display scale keeps the
// window's look; places stay in screen pixels. From pixels at dpi to the stored units:
TWindowSize StoredSizeAtDpi(TWindowSize pixels, int dpi);

// The size a window comes back at. One below the minimum (none the program stores: a
// hand-edited or damaged file) brings back the window's default size whole; a folded height
// is the minimum and stays. Sizes past the screen are bounded to it.
TWindowSize RestoredSize(TWindowSize stored, TWindowSize fallback, TWindowSize minimum, TWindowSize screen);
// The same from a size stored in 96-dpi units, for a window at dpi: a stored minimum (a folded
// window) comes back as the minimum exactly, whatever the rounding on the way.
TWindowSize RestoredSizeAtDpi(TWindowSize stored, TWindowSize fallback, TWindowSize minimum, TWindowSize screen,
                              int dpi);

// A window restored at its stored place whose size at 96 dpi (designSize) lay inside the work
// area but whose size at its dpi does not: moved into the work area, as FitToWorkArea moves it,
// so that a window kept at an edge of the screen stays whole at a larger display scale. A window
// left partly off the screen as it was stays as it is.
TRect KeepInsideAtLargerScale(const TRect& window, TWindowSize designSize, const TRect& work);

// The window region: with round corners the four rectangles whose union cuts a stepped corner
// of 4 pixels (4, 2, 1, 1 pixels from the outermost rows); otherwise the whole window and one
// row more. Above 96 dpi the steps grow with the dpi.
std::vector<TRect> WindowRegionRects(int width, int height, bool round, int dpi = 96);
