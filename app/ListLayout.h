// The list's arithmetic: display lines, the list area, scrolling and hit testing. No window
// is needed, so all of it is tested natively with a stand-in text measurer.
#pragma once

#include <string>
#include <vector>

#include "support/TextWork.h"

// The first display line of a text at the given width: up to a LF (included), or up to the
// character whose width would pass the width, summing single characters' widths.
std::string FirstLine(const std::string& text, const TTextMeasurer& canvas, int width);
// All display lines of a text; CR LF pairs are removed from each piece. One fitting
// measurement per piece, and each byte is looked at a bounded number of times.
std::vector<std::string> WrapText(const std::string& text, const TTextMeasurer& canvas, int width);
// With wrapping off: CR LF becomes one space, and the text is cut with "..".
std::string SingleDisplayLine(const std::string& text, const TTextMeasurer& canvas, int width);

struct TListGeometry {
    // Inputs.
    int clientWidth = 0, clientHeight = 0, outerHeight = 0;
    int linkBottom = 29;  // LinkLabel1's top + height
    int rowHeight = 16;
    int dateWidth = 0, markWidth = 0;
    int scrollBarWidth = 17;
    int displayLineCount = 0;
    int dpi = 96;  // the margins are the design's at 96 dpi
    // Results.
    int listLeft = 0, listTop = 0, listRight = 0, listBottom = 0;
    int foldedHeight = 0;
    int listWidth = 0, textColumnWidth = 0;
    int visibleRows = 0;
    bool scrollBarShown = false;
    int scrollBarLeft = 0;
};

// The list area, the folded height and the text column, before the display lines are built.
void LayoutColumns(TListGeometry& g);
// Whole rows and the scroll bar, once the display lines are known.
void LayoutRows(TListGeometry& g);

// The first display line shown: 0 while every line fits.
int FirstShownLine(int topLine, int displayLineCount, int visibleRows);
// TopLine bounded to 0 … lines − rows (which may be negative, as a hidden bar leaves it).
int BoundTopLine(int topLine, int displayLineCount, int visibleRows);
// The top line that shows the lines first … last of one item with the least scrolling; an
// item taller than the rows gets its first line at the top. Folded (no rows): unchanged.
int ScrollToShow(int topLine, int first, int last, int visibleRows);
// The selection, or −1 when its item has been scrolled out of view.
int VisibleSelection(int selected, const std::vector<int>& lineItems, int firstShown, int visibleRows);
// The item under a point of the list area, or −1.
int ItemAtRow(int y, int listTop, int rowHeight, int firstShown, const std::vector<int>& lineItems);
// The item under a point, the list area's edges counting as inside; −1 beside the items.
int ItemAtPoint(int x, int y, int left, int top, int right, int bottom, int rowHeight, int firstShown,
                const std::vector<int>& lineItems);

// One step of the selection by key or wheel: either the list scrolls by a line (topLine ≥ 0)
// until the selected item is in full view, or the selection moves (−1 for none).
struct TSelectionStep {
    int topLine = -1;
    int selected = -1;
};
TSelectionStep StepDown(int selected, int itemCount, int firstShown, int visibleRows, const std::vector<int>& lineItems);
TSelectionStep StepUp(int selected, int firstShown, const std::vector<int>& lineItems);
