#include "app/OptionRules.h"

#include <algorithm>

#include "support/TextWork.h"

int ClampSpinValue(long long value, TSpinRange range) {
    return static_cast<int>(std::clamp<long long>(value, range.min, range.max));
}

int SpinValueOfText(const std::string& text, TSpinRange range) {
    const std::string_view s = TrimBlanks(text);
    std::size_t i = 0;
    const bool negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) i = 1;
    if (i == s.size()) return range.min;
    long long value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return range.min;
        value = std::min(value * 10 + (s[i] - '0'), 1LL << 40);  // far beyond any bound, no overflow
    }
    return ClampSpinValue(negative ? -value : value, range);
}

std::vector<std::string> MarksToAdd(const std::vector<std::string>& present, const std::string& marks) {
    std::vector<std::string> added;
    auto listed = [](const std::vector<std::string>& list, const std::string& mark) {
        return std::any_of(list.begin(), list.end(), [&](const std::string& m) { return SameTextSjis(m, mark); });
    };
    for (std::size_t i = 0; i < marks.size();) {
        const std::size_t length = CharLength(marks, i);
        const std::string mark = marks.substr(i, length);
        i += length;
        if (!listed(present, mark) && !listed(added, mark)) added.push_back(mark);
    }
    return added;
}

int CategorySelectionAfterDelete(int removed, int countAfter) {
    return removed >= 0 && removed < countAfter ? removed : -1;
}

int PictureSelectionAfterDelete(int removed, int countAfter) {
    return std::clamp(removed, 0, std::max(0, countAfter - 1));
}

bool SameFolderText(const std::string& a, const std::string& b) {
    auto normal = [](const std::string& path) {
        std::string s = path;
        for (std::size_t i = 0; i < s.size(); i += CharLength(s, i))
            if (s[i] == '/') s[i] = '\\';
        return StripTrailingBackslashes(s);
    };
    return SameTextSjis(normal(a), normal(b));
}

std::string FolderText(const std::string& folder) {
    return folder.size() == 2 && folder[1] == ':' ? folder + "\\" : folder;
}
