#include "app/ListLayout.h"

#include "framework/Dpi.h"

#include <algorithm>
#include <limits>

namespace {

// The length of the first display line of text[from…]: up to the first character whose width
// would pass the width, or up to and including a LF. lineEnd is the position of the next LF
// at or after from (or the text's size), found once per LF rather than once per piece.
std::size_t PieceLength(std::string_view text, std::size_t from, std::size_t lineEnd, const TTextMeasurer& canvas,
                        int width) {
    const std::size_t limit = lineEnd < text.size() ? lineEnd + 1 : text.size();
    return canvas.Fit(text.substr(from, limit - from), width).bytes;
}

// The next single-byte LF at or after from, stepping over two-byte characters (a LF after a
// lead byte is its second half); the text's size when there is none.
std::size_t NextLineFeed(std::string_view text, std::size_t from) {
    const std::size_t at = FindChar(text.substr(from), '\n');
    return at == std::string_view::npos ? text.size() : from + at;
}

std::string WithoutCrLf(std::string_view piece) {
    std::string kept;
    kept.reserve(piece.size());
    for (std::size_t i = 0; i < piece.size(); ++i)
        if (!(piece[i] == '\r' && i + 1 < piece.size() && piece[i + 1] == '\n')) kept += piece[i];
        else ++i;
    return kept;
}

}  // namespace

std::string FirstLine(const std::string& text, const TTextMeasurer& canvas, int width) {
    return text.substr(0, PieceLength(text, 0, NextLineFeed(text, 0), canvas, width));
}

std::vector<std::string> WrapText(const std::string& text, const TTextMeasurer& canvas, int width) {
    // Pieces start on character boundaries, so one walk over the text serves every piece.
    std::vector<std::string> lines;
    std::size_t lineFeed = NextLineFeed(text, 0);
    for (std::size_t from = 0; from < text.size();) {
        if (lineFeed < from) lineFeed = NextLineFeed(text, from);
        const std::size_t length = PieceLength(text, from, lineFeed, canvas, width);
        if (length == 0) break;  // a character wider than the column: the rest is not shown
        lines.push_back(WithoutCrLf(std::string_view(text).substr(from, length)));
        from += length;
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
    // As FitTextWithDots cuts it, in three measurements instead of one per character.
    const TTextFit whole = canvas.Fit(joined, width);
    if (whole.bytes == joined.size() && whole.width <= width) return joined;
    const int dots = canvas.Fit("..", std::numeric_limits<int>::max()).width;
    const std::size_t kept = width - dots < 0 ? 0 : canvas.Fit(joined, width - dots).bytes;
    joined.resize(kept);
    return joined + "..";
}

void LayoutColumns(TListGeometry& g) {
    const int margin = ScaleForDpi(8, g.dpi);
    g.listLeft = margin;
    g.listTop = g.linkBottom + ScaleForDpi(4, g.dpi);
    g.listRight = g.clientWidth - margin;
    g.listBottom = g.clientHeight - margin;
    g.foldedHeight = g.outerHeight - (g.listBottom - g.listTop);
    g.listWidth = g.listRight - g.listLeft;
    // The scroll bar's width counts whether the bar is shown or not.
    g.textColumnWidth =
        std::max(0, g.listWidth - g.dateWidth - g.markWidth - g.scrollBarWidth - ScaleForDpi(4, g.dpi));
}

void LayoutRows(TListGeometry& g) {
    g.visibleRows = g.rowHeight > 0 ? (g.listBottom - g.listTop) / g.rowHeight : 0;
    g.scrollBarShown = g.displayLineCount > g.visibleRows && g.visibleRows > 0;
    g.scrollBarLeft = g.clientWidth - ScaleForDpi(7, g.dpi) - g.scrollBarWidth;
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
    // Folded, the list has no height: its one edge is no row.
    if (x < left || x > right || y < top || y > bottom || bottom <= top) return -1;
    return ItemAtRow(y, top, rowHeight, firstShown, lineItems);
}

TSelectionStep StepDown(int selected, int itemCount, int firstShown, int visibleRows, const std::vector<int>& lineItems) {
    const int lines = static_cast<int>(lineItems.size());
    // Without a selection (an item just removed, the list scrolled by its bar) the first row in
    // view: the first item, scrolled away, would be dropped from the selection at once.
    if (selected < 0 && firstShown > 0 && firstShown < lines) return {-1, lineItems[static_cast<std::size_t>(firstShown)]};
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

int ScrollToShow(int topLine, int first, int last, int visibleRows) {
    if (visibleRows <= 0 || first < 0 || last < first) return topLine;
    if (first < topLine) return first;
    if (last >= topLine + visibleRows) return std::min(first, last - visibleRows + 1);
    return topLine;
}
