#include "app/ListView.h"

#include <algorithm>
#include <unordered_map>

#include "background/DrawFrame.h"
#include "background/GraphicWork.h"

void TListView::Arrange(TListGeometry& g, const TLineSettings& settings) {
    // The place in the list outlives the layout: the item shown at the top, and which of its
    // lines, are found again after sorting; a removed one leaves the line number as it was.
    TTodoData& items = store_.ItemsForLayout();
    int top = std::max(0, FirstShownLine());
    const Tdata* topRecord = nullptr;
    int topOffset = 0;
    if (top < LineCount()) {
        const int item = LineItems()[static_cast<std::size_t>(top)];
        topRecord = lines_.RecordAt(item);
        topOffset = top - FirstLineOf(item);
    }

    BuildLines(settings);

    if (const int item = topRecord ? items.IndexOfRecord(topRecord) : -1; item >= 0)
        top = FirstLineOf(item) + std::min(topOffset, std::max(0, EndLineOf(item) - FirstLineOf(item) - 1));
    g.displayLineCount = LineCount();
    LayoutRows(g);
    visibleRows_ = g.visibleRows;
    topLine_ = std::max(0, BoundTopLine(top, LineCount(), visibleRows_));
    // A selection the new size would hide is scrolled into view rather than dropped.
    const int selected = Selection();
    if (selected >= 0 && visibleRows_ > 0 &&
        VisibleSelection(selected, LineItems(), FirstShownLine(), visibleRows_) < 0)
        topLine_ = std::max(0, BoundTopLine(ScrollToShow(topLine_, FirstLineOf(selected), EndLineOf(selected) - 1,
                                                         visibleRows_),
                                            LineCount(), visibleRows_));
    Rect = {g.listLeft, g.listTop, g.listRight, g.listBottom};
    const int rowWidth = std::max(0, g.listRight - g.listLeft);
    rowBitmap_.Allocate(rowWidth, RowHeight, 32);
    shadowMask_.Allocate(rowWidth, RowHeight, 32);
}

void TListView::BuildLines(const TLineSettings& settings) { lines_.Build(store_.ItemsForLayout(), Text, settings); }

int TListView::Selection() const {
    if (selectedId_ == 0) return -1;
    const int count = store_.Count();
    if (selectedHint_ < 0 || selectedHint_ >= count || store_.IdAt(selectedHint_) != selectedId_)
        selectedHint_ = store_.IndexOf(selectedId_);
    return selectedHint_;
}

void TListView::Select(int index) {
    const TItemId id = index >= 0 && index < store_.Count() ? store_.IdAt(index) : 0;
    selectedId_ = id;
    selectedHint_ = id ? index : -1;
}

void TListView::Step(const TSelectionStep& step) {
    if (step.topLine >= 0) SetTopLine(step.topLine);
    Select(step.selected);
}

void TListView::SelectNext() {
    Step(StepDown(Selection(), store_.Count(), FirstShownLine(), visibleRows_, LineItems()));
}

void TListView::SelectPrevious() { Step(StepUp(Selection(), FirstShownLine(), LineItems())); }

void TListView::SelectFirst() {
    Select(store_.Count() > 0 ? 0 : -1);
    ShowSelection();
}

void TListView::SelectLast() {
    Select(store_.Count() - 1);
    ShowSelection();
}

void TListView::PageDown() {
    if (LineCount() == 0 || visibleRows_ <= 0) return;
    const int selected = Selection();
    const int lastShown = LineItems()[static_cast<std::size_t>(std::min(LineCount() - 1, FirstShownLine() + visibleRows_ - 1))];
    const int shownEnd = FirstShownLine() + visibleRows_;
    if (selected >= 0 && selected == lastShown && EndLineOf(selected) > shownEnd) {
        // An item taller than the rows is paged through before the next one is taken.
        SetTopLine(std::min(FirstShownLine() + std::max(1, visibleRows_ - 1), EndLineOf(selected) - visibleRows_));
        return;
    }
    int target = lastShown;
    if (selected >= lastShown) {
        // At the bottom already: a page further, at least one item.
        const int line = std::min(LineCount() - 1, FirstLineOf(selected) + visibleRows_ - 1);
        target = std::max(LineItems()[static_cast<std::size_t>(line)], std::min(selected + 1, store_.Count() - 1));
        // The last item, seen to its end: showing it again would jump back to its first line.
        if (target == selected) return;
    }
    Select(target);
    ShowSelection();
}

void TListView::PageUp() {
    if (LineCount() == 0 || visibleRows_ <= 0) return;
    const int selected = Selection();
    const int firstShown = LineItems()[static_cast<std::size_t>(std::clamp(FirstShownLine(), 0, LineCount() - 1))];
    if (selected >= 0 && selected == firstShown && FirstLineOf(selected) < FirstShownLine()) {
        SetTopLine(std::max(FirstLineOf(selected), FirstShownLine() - std::max(1, visibleRows_ - 1)));
        return;
    }
    int target = firstShown;
    if (selected >= 0 && selected <= firstShown) {
        const int line = std::max(0, FirstLineOf(selected) - (visibleRows_ - 1));
        target = std::min(LineItems()[static_cast<std::size_t>(line)], std::max(selected - 1, 0));
    }
    Select(target);
    ShowSelection();
}

void TListView::ShowSelection() {
    const int selected = Selection();
    if (selected < 0 || visibleRows_ <= 0) return;
    SetTopLine(ScrollToShow(FirstShownLine(), FirstLineOf(selected), EndLineOf(selected) - 1, visibleRows_));
}

void TListView::SetTopLine(int line) {
    const int bounded = BoundTopLine(line, LineCount(), visibleRows_);
    if (bounded == topLine_) return;
    topLine_ = bounded;
    if (OnScrolled && visibleRows_ < LineCount()) OnScrolled(topLine_);
}

int TListView::ItemAt(int x, int y) const {
    return ItemAtPoint(x, y, Rect.left, Rect.top, Rect.right, Rect.bottom, RowHeight, FirstShownLine(), LineItems());
}

bool TListView::ItemBounds(int item, RECT& r) const {
    // The lines may be of an older list until the next layout.
    if (item < 0 || item >= lines_.ItemCount() || LineCount() == 0) return false;
    const int first = std::max(FirstLineOf(item), FirstShownLine());
    const int end = std::min(EndLineOf(item), FirstShownLine() + visibleRows_);
    if (first >= end) return false;
    r = {Rect.left, Rect.top + (first - FirstShownLine()) * RowHeight, Rect.right,
         Rect.top + (end - FirstShownLine()) * RowHeight};
    return true;
}

void TListView::Paint(HDC dc, const TBitmap& background, POINT picture) {
    // Folded, no row shows any item: the selection waits for the window to unfold.
    if (Selection() >= 0 && LineCount() > 0 && visibleRows_ > 0)
        Select(VisibleSelection(Selection(), LineItems(), FirstShownLine(), visibleRows_));
    for (int row = visibleRows_; row >= 0; --row) PaintRow(dc, row, background, picture);
    PaintFocus(dc);
}

void TListView::PaintRow(HDC dc, int row, const TBitmap& background, POINT picture) {
    if (rowBitmap_.Empty()) return;
    const int y = row * RowHeight + Rect.top;
    const int line = row + FirstShownLine();
    FillBitmap32(rowBitmap_, 0xFF000000u | ((WindowColor & 0xFF) << 16) | (WindowColor & 0xFF00) |
                                 ((WindowColor >> 16) & 0xFF));
    // The strip of the background behind the row, as the rendering left it (whatever its
    // alpha); where the picture does not reach, the window colour stays.
    CopyPixels(rowBitmap_, picture.x - Rect.left, picture.y - y, background);
    // The lines may be of an older list until the next layout: a row of an item gone since stays empty.
    const int item = line >= 0 && line < LineCount() ? LineItems()[static_cast<std::size_t>(line)] : -1;
    if (item >= 0 && item < store_.Count()) {
        const TTodoData& items = store_.ItemsForLayout();
        TRowLine text;
        text.text = lines_.Texts()[static_cast<std::size_t>(line)];
        text.first = line == 0 || LineItems()[static_cast<std::size_t>(line - 1)] != item;
        text.selected = item == Selection();
        text.date = DateText(item);
        text.dateColor = DateColor(item);
        text.mark = items.GetCategory(item);
        text.color = items.GetColor(item);
        Style.dateWidth = DateWidth;
        Style.markWidth = MarkWidth;
        RenderLine(rowBitmap_, shadowMask_, text, Style, Text,
                   [this](int n) { return static_cast<int>(wave_() % static_cast<unsigned>(n)); });
    }
    BlitBitmap(dc, Rect.left, y, rowBitmap_);
}

std::string TListView::DateText(int item) const {
    return DueDateText(store_.Items().GetDate(item), Today, DateSeparator);
}

std::int32_t TListView::DateColor(int item) const {
    if (!DueMarks) return -1;
    switch (DueState(store_.Items().GetDate(item), Today)) {
    case TDueState::Overdue: return OverdueColor;
    case TDueState::Today: return TodayColor;
    default: return -1;
    }
}

int TListView::DateColumnWidth() {
    // Each distinct text measured once: many items share few dates.
    std::unordered_map<std::string, int> widths;
    int widest = Text.TextWidth("00/00");
    for (int i = 0; i < store_.Count(); ++i) {
        const std::string date = DateText(i);
        auto [at, added] = widths.try_emplace(date, 0);
        if (added) at->second = Text.TextWidth(date);
        widest = std::max(widest, at->second);
    }
    return widest;
}

void TListView::PaintFocus(HDC dc) {
    RECT r;
    if (!focusShown_ || !ItemBounds(Selection(), r)) return;
    // Dotted, drawn by inverting: readable over any picture and in every selection style.
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &r);
}
