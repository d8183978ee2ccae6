#include "app/ListLayout.h"

#include <algorithm>

std::string FirstLine(const std::string& text, const TTextMeasurer& canvas, int width) {
    if (text.find('\n') == std::string::npos && canvas.TextWidth(text) <= width) return text;
    int sum = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = CharLength(text, i);
        sum += canvas.TextWidth(text.substr(i, len));
        if (sum > width) return text.substr(0, i);
        if (len == 1 && text[i] == '\n') return text.substr(0, i + 1);
        i += len;
    }
    return text;
}

std::vector<std::string> WrapText(std::string text, const TTextMeasurer& canvas, int width) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        std::string piece = FirstLine(text, canvas, width);
        if (piece.empty()) break;  // a character wider than the column: the rest is not shown
        text.erase(0, piece.size());
        std::string kept;
        for (std::size_t i = 0; i < piece.size(); ++i)
            if (!(piece[i] == '\r' && i + 1 < piece.size() && piece[i + 1] == '\n')) kept += piece[i];
            else ++i;
        piece.swap(kept);
        lines.push_back(std::move(piece));
    }
    return lines;
}

std::string SingleDisplayLine(const std::string& text, const TTextMeasurer& canvas, int width) {
    std::string joined;
    joined.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            joined += ' ';
            ++i;
        } else {
            joined += text[i];
        }
    }
    return FitTextWithDots(joined, canvas, width);
}

void LayoutColumns(TListGeometry& g) {
    g.listLeft = 8;
    g.listTop = g.linkBottom + 4;
    g.listRight = g.clientWidth - 8;
    g.listBottom = g.clientHeight - 8;
    g.foldedHeight = g.outerHeight - (g.listBottom - g.listTop);
    g.listWidth = g.listRight - g.listLeft;
    // The scroll bar's width counts whether the bar is shown or not.
    g.textColumnWidth = std::max(0, g.listWidth - g.dateWidth - g.markWidth - g.scrollBarWidth - 4);
}

void LayoutRows(TListGeometry& g) {
    g.visibleRows = g.rowHeight > 0 ? (g.listBottom - g.listTop) / g.rowHeight : 0;
    g.scrollBarShown = g.displayLineCount > g.visibleRows && g.visibleRows > 0;
    g.scrollBarLeft = g.clientWidth - 7 - g.scrollBarWidth;
    if (g.scrollBarShown) g.listRight = g.scrollBarLeft - 1;
}

int FirstShownLine(int topLine, int displayLineCount, int visibleRows) {
    // While every line fits, nothing may stay scrolled away: a top line left over from a
    // longer list or a smaller window would hide the first lines behind empty rows.
    return displayLineCount <= visibleRows ? 0 : topLine;
}

int BoundTopLine(int topLine, int displayLineCount, int visibleRows) {
    topLine = std::max(topLine, 0);
    return std::min(topLine, displayLineCount - visibleRows);
}

int VisibleSelection(int selected, const std::vector<int>& lineItems, int firstShown, int visibleRows) {
    const int count = static_cast<int>(lineItems.size());
    if (selected < 0 || count == 0 || firstShown < 0 || firstShown >= count) return selected;
    if (selected < lineItems[static_cast<std::size_t>(firstShown)]) return -1;
    if (firstShown + visibleRows < count && lineItems[static_cast<std::size_t>(firstShown + visibleRows)] < selected)
        return -1;
    return selected;
}

int ItemAtRow(int y, int listTop, int rowHeight, int firstShown, const std::vector<int>& lineItems) {
    if (y < listTop || rowHeight <= 0) return -1;
    const int line = (y - listTop) / rowHeight + firstShown;
    return line >= 0 && line < static_cast<int>(lineItems.size()) ? lineItems[static_cast<std::size_t>(line)] : -1;
}

int ItemAtPoint(int x, int y, int left, int top, int right, int bottom, int rowHeight, int firstShown,
                const std::vector<int>& lineItems) {
    if (x < left || x > right || y < top || y > bottom) return -1;
    return ItemAtRow(y, top, rowHeight, firstShown, lineItems);
}

TSelectionStep StepDown(int selected, int itemCount, int firstShown, int visibleRows, const std::vector<int>& lineItems) {
    const int lines = static_cast<int>(lineItems.size());
    if (firstShown >= 0 && firstShown < lines - visibleRows &&
        lineItems[static_cast<std::size_t>(firstShown + visibleRows)] == selected)
        return {firstShown + 1, selected};
    return {-1, selected < itemCount - 1 ? selected + 1 : selected};
}

TSelectionStep StepUp(int selected, int firstShown, const std::vector<int>& lineItems) {
    // A first line at or past the end (a folded window has no whole rows) shows no line.
    if (firstShown > 0 && firstShown < static_cast<int>(lineItems.size()) &&
        lineItems[static_cast<std::size_t>(firstShown)] == selected)
        return {firstShown - 1, selected};
    return {-1, selected < 0 ? -1 : selected - 1};
}
