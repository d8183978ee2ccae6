// The display lines of the item list, built again only when what they show has changed: a
// layout after a change of height, a finished rendering or a menu opening sorts and measures
// nothing, and an edit measures only the edited text.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "support/TextWork.h"
#include "todo/TodoData.h"

struct TLineSettings {
    bool wordWrap = false;
    int width = 0;     // the text column
    std::string font;  // names the measuring font; another font measures every text again
    bool sortAuto = true;
    int sortType = 0;
    bool sortDescending = false;
    bool operator==(const TLineSettings&) const = default;
};

class TListLines {
public:
    // With automatic sorting, sorts the items when they, their order or the sort changed; then
    // builds the lines (setting each item's line count when wrapping), measuring only texts
    // not measured before at this width and font. False when nothing had to change.
    bool Build(TTodoData& items, const TTextMeasurer& canvas, const TLineSettings& settings);

    const std::vector<std::string>& Texts() const { return texts_; }
    const std::vector<int>& Items() const { return items_; }
    // The first display line of an item and the line after its last (equal when it has none).
    // The items of the last build: the list may have changed since.
    int ItemCount() const { return static_cast<int>(firstLine_.size()) - 1; }
    int FirstLineOf(int item) const { return firstLine_[static_cast<std::size_t>(item)]; }
    int EndLineOf(int item) const { return firstLine_[static_cast<std::size_t>(item) + 1]; }
    // The record an item index stood for at the last build, to find it again after the list
    // changed; compared by address only.
    const Tdata* RecordAt(int item) const { return records_[static_cast<std::size_t>(item)]; }

private:
    const std::vector<std::string>& PiecesOf(const std::string& text, const TTextMeasurer& canvas);

    bool built_ = false;
    TLineSettings settings_;
    std::uint64_t revision_ = 0;
    // The pieces of each text measured at the current width and font, by text.
    std::unordered_map<std::string, std::vector<std::string>> pieces_;
    std::vector<std::string> texts_;
    std::vector<int> items_;
    std::vector<int> firstLine_{0};
    std::vector<const Tdata*> records_;
};
