// Sorting the item list by date, category, text or colour.
#include <algorithm>
#include <cstring>

#include "todo/TodoData.h"

namespace {

class TByteCollator : public TTextCollator {
public:
    int Compare(const std::string& a, const std::string& b) const override { return a.compare(b); }
};

const TByteCollator kByteCollator;
const TTextCollator* collator = &kByteCollator;

int Sign(long long v) { return (v > 0) - (v < 0); }

}  // namespace

int TTodoData::SortKey = 0;
bool TTodoData::SortDescending = false;

void TTodoData::SetCollator(const TTextCollator* c) { collator = c ? c : &kByteCollator; }

int TTodoData::CompareItems(const Tdata& a, const Tdata& b, int key, bool descending) {
    long long difference;
    switch (key) {
    case skDate:
        // Items without a date stay below every dated one, whichever the direction, in their order.
        if (HasDate(a.Date) != HasDate(b.Date)) return HasDate(a.Date) ? 1 : -1;
        if (!HasDate(a.Date)) return 0;
        difference = WholeDay(a.Date) - WholeDay(b.Date);
        break;
    case skColor: difference = static_cast<long long>(a.Color) - b.Color; break;
    case skCategory: difference = Sign(collator->Compare(a.Category, b.Category)); break;
    case skText: difference = Sign(collator->Compare(a.Text, b.Text)); break;
    default: return 0;
    }
    return Sign(descending ? difference : -difference);
}

void TTodoData::SortItems(int key, bool descending) {
    SortKey = key;
    SortDescending = descending;
    if (key < skDate || key > skColor) return;
    ++revision_;
    // The same order as exchanging neighbours that are in the wrong order until none are,
    // stable in both directions, in O(n log n): x goes before y when y above x would be wrong.
    std::stable_sort(items_.begin(), items_.end(), [&](const auto& x, const auto& y) {
        return CompareItems(*y, *x, key, descending) < 0;
    });
}

bool TTodoData::ToggleSort(int key) {
    const bool descending = !SortDescending;
    SortItems(key, descending);
    return descending;
}

int TTodoData::IndexOfRecord(const Tdata* record) const {
    for (int i = 0; i < Count(); ++i)
        if (items_[static_cast<std::size_t>(i)].get() == record) return i;
    return -1;
}
