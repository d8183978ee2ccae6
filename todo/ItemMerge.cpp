#include "todo/ItemMerge.h"

#include <deque>
#include <unordered_map>

std::vector<std::string> SplitItemLines(const std::string& text) {
    std::vector<std::string> lines;
    const std::size_t n = text.size();
    for (std::size_t start = 0; start < n;) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = n;
        if (end > start) lines.emplace_back(text, start, end - start);
        start = end + 1;
    }
    return lines;
}

namespace {

constexpr int kNone = -1;

// Which theirs line each base line became: the same line (matched as a multiset, so moved
// lines count as kept), an edit (an unmatched base line paired in order with an unmatched
// theirs line that follows the same kept line), or nothing (removed).
struct TheirSide {
    std::vector<int> keptAs;    // base index -> theirs index, or kNone
    std::vector<int> editedTo;  // base index -> theirs index, or kNone
    std::vector<int> baseOf;    // theirs index -> base index when kept or edited, else kNone
};

TheirSide MatchTheirs(const std::vector<std::string>& base, const std::vector<std::string>& theirs) {
    TheirSide side{std::vector<int>(base.size(), kNone), std::vector<int>(base.size(), kNone),
                   std::vector<int>(theirs.size(), kNone)};
    std::unordered_map<std::string, std::deque<int>> unusedBase;
    for (int b = 0; b < static_cast<int>(base.size()); ++b) unusedBase[base[b]].push_back(b);
    for (int t = 0; t < static_cast<int>(theirs.size()); ++t) {
        auto it = unusedBase.find(theirs[t]);
        if (it == unusedBase.end() || it->second.empty()) continue;
        const int b = it->second.front();
        it->second.pop_front();
        side.keptAs[b] = t;
        side.baseOf[t] = b;
    }
    // Unmatched lines grouped by the kept line before them (its base index, kNone at the top).
    std::unordered_map<int, std::deque<int>> removedAfter;
    int anchor = kNone;
    for (int b = 0; b < static_cast<int>(base.size()); ++b) {
        if (side.keptAs[b] != kNone)
            anchor = b;
        else
            removedAfter[anchor].push_back(b);
    }
    anchor = kNone;
    for (int t = 0; t < static_cast<int>(theirs.size()); ++t) {
        if (side.baseOf[t] != kNone) {
            anchor = side.baseOf[t];
            continue;
        }
        auto it = removedAfter.find(anchor);
        if (it == removedAfter.end() || it->second.empty()) continue;
        const int b = it->second.front();
        it->second.pop_front();
        side.editedTo[b] = t;
        side.baseOf[t] = b;
    }
    return side;
}

}  // namespace

TMergePlan PlanMerge(const std::vector<std::string>& base, const std::vector<TMineLine>& mine,
                     const std::vector<std::string>& theirs) {
    TMergePlan plan;
    const TheirSide side = MatchTheirs(base, theirs);

    int removedByThem = 0;
    for (int b = 0; b < static_cast<int>(base.size()); ++b)
        if (side.keptAs[b] == kNone && side.editedTo[b] == kNone) ++removedByThem;
    if (!base.empty() && (theirs.empty() || removedByThem * 2 > static_cast<int>(base.size()))) {
        plan.needsConfirmation = true;
        return plan;
    }

    // The session's item for each base line, and the session's own new lines by text, so an
    // add both sides made is not doubled.
    std::vector<const TMineLine*> mineOf(base.size(), nullptr);
    std::unordered_map<std::string, int> newInMine;
    for (const TMineLine& item : mine) {
        if (item.baseIndex >= 0 && item.baseIndex < static_cast<int>(base.size()))
            mineOf[item.baseIndex] = &item;
        else
            ++newInMine[item.line];
    }

    // Theirs in order: where each line lands in the session's list.
    TItemId afterId = 0;
    int afterAdd = kNone;
    auto addLine = [&](const std::string& line) {
        plan.add.push_back({line, afterId, afterAdd});
        afterAdd = static_cast<int>(plan.add.size()) - 1;
    };
    auto follow = [&](const TMineLine* item) {
        if (!item) return;
        afterId = item->id;
        afterAdd = kNone;
    };
    for (int t = 0; t < static_cast<int>(theirs.size()); ++t) {
        const int b = side.baseOf[t];
        const TMineLine* item = b == kNone ? nullptr : mineOf[b];
        if (b == kNone) {
            auto same = newInMine.find(theirs[t]);
            if (same != newInMine.end() && same->second > 0)
                --same->second;  // both sides added this very line
            else
                addLine(theirs[t]);
            continue;
        }
        if (side.keptAs[b] == t) {
            follow(item);
            continue;
        }
        // They edited base line b.
        if (!item) {
            addLine(theirs[t]);  // edited there, removed here: the edit is kept
        } else if (item->line == base[b]) {
            plan.replace.push_back({item->id, theirs[t]});
            follow(item);
        } else {
            follow(item);
            if (item->line != theirs[t]) addLine(theirs[t]);  // both edited: both versions
        }
    }
    for (int b = 0; b < static_cast<int>(base.size()); ++b) {
        const TMineLine* item = mineOf[b];
        if (item && side.keptAs[b] == kNone && side.editedTo[b] == kNone && item->line == base[b])
            plan.remove.push_back(item->id);
    }
    return plan;
}
