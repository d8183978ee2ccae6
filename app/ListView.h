// The list of items as the main window shows it: the display lines, the first shown line,
// the selection and the painting of the rows. The items come from the store; the view keeps
// only where the user is in them.
#pragma once

#include <windows.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/DibText.h"
#include "app/ListLayout.h"
#include "app/ListLines.h"
#include "app/RowRenderer.h"
#include "background/Bitmap.h"
#include "todo/DueDates.h"
#include "todo/TodoStore.h"

class TListView {
public:
    explicit TListView(TTodoStore& store) : store_(store) {}
    TListView(const TListView&) = delete;
    TListView& operator=(const TListView&) = delete;

    // Builds the lines for the geometry's columns and lays the rows out, keeping the item at
    // the top and the selection in view; g gets its rows and scroll bar.
    void Arrange(TListGeometry& g, const TLineSettings& settings);
    // Sorting or another change of order: the lines again, the selection kept by its item.
    void BuildLines(const TLineSettings& settings);

    // The selection is an item, kept through sorting and merges; −1 or 0 for none.
    int Selection() const;
    TItemId SelectedId() const { return selectedId_; }
    // The one place the selection changes (−1 for none).
    void Select(int index);
    // Moves by a key, scrolling the selection into view.
    void SelectNext();
    void SelectPrevious();
    void SelectFirst();
    void SelectLast();
    void PageDown();
    void PageUp();
    // Scrolls just enough to show the whole selected item (its first line when it is taller).
    void ShowSelection();

    int FirstShownLine() const { return ::FirstShownLine(topLine_, LineCount(), visibleRows_); }
    void SetTopLine(int line);
    int LineCount() const { return static_cast<int>(lines_.Texts().size()); }
    int VisibleRows() const { return visibleRows_; }
    const std::vector<int>& LineItems() const { return lines_.Items(); }
    int FirstLineOf(int item) const { return lines_.FirstLineOf(item); }
    int EndLineOf(int item) const { return lines_.EndLineOf(item); }
    // The item under a point of the window, or −1.
    int ItemAt(int x, int y) const;
    // The rows an item shows on, clipped to the list; false when none of them shows.
    bool ItemBounds(int item, RECT& r) const;

    // Paints every row over the background (its top left corner at picture in the window),
    // dropping a selection scrolled out of view.
    void Paint(HDC dc, const TBitmap& background, POINT picture);
    // The focus frame around the selection, shown once the list is used from the keyboard.
    void ShowFocus(bool shown) { focusShown_ = shown; }
    bool FocusShown() const { return focusShown_; }

    RECT Rect{};
    int RowHeight = 16;
    int DateWidth = 0, MarkWidth = 0;
    TDibText Text;  // the screen font on the rows; also measures the list's text
    TRowStyle Style;
    COLORREF WindowColor = RGB(255, 255, 255);
    std::string DateSeparator = "/";
    // Due dates are measured from Today (the owner's day watch sets it); with DueMarks overdue
    // and today's dates take their colours.
    TDateTime Today = 0;
    bool DueMarks = true;
    std::int32_t OverdueColor = 0x0000E0, TodayColor = 0x0080FF;
    std::string DateText(int item) const;
    std::int32_t DateColor(int item) const;  // -1: the item's own
    // The widest date the items show, and never less than "00/00".
    int DateColumnWidth();
    std::function<void(int line)> OnScrolled;  // the top line moved

private:
    void PaintRow(HDC dc, int row, const TBitmap& background, POINT picture);
    void PaintFocus(HDC dc);
    void Step(const TSelectionStep& step);

    TTodoStore& store_;
    TListLines lines_;
    TItemId selectedId_ = 0;
    mutable int selectedHint_ = -1;  // where the selected item was last found
    int topLine_ = 0;
    int visibleRows_ = 0;
    bool focusShown_ = false;
    TBitmap rowBitmap_, shadowMask_;
    std::mt19937 wave_{std::random_device{}()};  // the wave underline's jitter
};
