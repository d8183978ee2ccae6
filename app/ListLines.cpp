#include "app/ListLines.h"

#include "app/ListLayout.h"

bool TListLines::Build(TTodoData& items, const TTextMeasurer& canvas, const TLineSettings& settings) {
    if (built_ && settings == settings_ && items.Revision() == revision_) return false;
    const bool sortChanged = !built_ || settings.sortAuto != settings_.sortAuto ||
                             settings.sortType != settings_.sortType ||
                             settings.sortDescending != settings_.sortDescending;
    // Sorting is stable, so a list sorted the same way since its last change is left alone.
    if (settings.sortAuto && (sortChanged || items.Revision() != revision_))
        items.SortItems(settings.sortType, settings.sortDescending);
    if (!built_ || settings.wordWrap != settings_.wordWrap || settings.width != settings_.width ||
        settings.font != settings_.font)
        pieces_.clear();
    // Texts edited away would pile up; measuring the list once more costs less than keeping them.
    if (pieces_.size() > 2 * static_cast<std::size_t>(items.Count()) + 64) pieces_.clear();
    settings_ = settings;
    built_ = true;

    texts_.clear();
    items_.clear();
    firstLine_.assign(1, 0);
    records_.clear();
    for (int i = 0; i < items.Count(); ++i) {
        const std::vector<std::string>& pieces = PiecesOf(items.GetText(i), canvas);
        if (settings.wordWrap) items.SetLineCount(i, static_cast<int>(pieces.size()));
        texts_.insert(texts_.end(), pieces.begin(), pieces.end());
        items_.insert(items_.end(), pieces.size(), i);
        firstLine_.push_back(static_cast<int>(texts_.size()));
        records_.push_back(items.Record(i));
    }
    revision_ = items.Revision();
    return true;
}

const std::vector<std::string>& TListLines::PiecesOf(const std::string& text, const TTextMeasurer& canvas) {
    auto found = pieces_.find(text);
    if (found != pieces_.end()) return found->second;
    std::vector<std::string> pieces = settings_.wordWrap
                                          ? WrapText(text, canvas, settings_.width)
                                          : std::vector<std::string>{SingleDisplayLine(text, canvas, settings_.width)};
    // An empty text, or a column too narrow for its first character, still gets a row: its
    // date and mark show, and the item can be selected, edited and deleted.
    if (pieces.empty()) pieces.emplace_back();
    return pieces_.emplace(text, std::move(pieces)).first->second;
}
