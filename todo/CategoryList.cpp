#include "todo/CategoryList.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>

#include "support/FileIO.h"
#include "support/TextWork.h"

std::vector<std::string> BuiltInCategories() { return {kNoMark, "☆", "★"}; }

namespace {

std::vector<std::string> MarksOf(const std::string& text, std::size_t most) {
    // Saved by an editor in UTF-8, the marks would show and be stored as junk.
    const std::string shiftJis = ShiftJisIfUtf8(text);
    const std::string_view rest = SkipUtf8Mark(shiftJis);
    std::vector<std::string> marks;
    std::unordered_set<std::string_view> seen;
    // Every CR and LF ends a line: the empty lines this makes of CR LF are dropped anyway.
    for (std::size_t start = 0; start < rest.size() && marks.size() < most;) {
        std::size_t end = rest.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = rest.size();
        const std::string_view mark = rest.substr(start, end - start);
        if (!mark.empty() && seen.insert(mark).second) marks.emplace_back(mark);
        start = end + 1;
    }
    return marks;
}

}  // namespace

std::vector<std::string> CategoryLines(const std::string& text) { return MarksOf(text, kMaxCategories); }

std::string CategoryFileText(const std::vector<std::string>& listed, const std::string& fileText) {
    std::string text;
    for (const std::string& mark : listed) text += mark + "\r\n";
    const std::vector<std::string> all = MarksOf(fileText, SIZE_MAX);
    const std::unordered_set<std::string_view> shown(listed.begin(), listed.end());
    for (std::size_t i = kMaxCategories; i < all.size(); ++i)
        if (!shown.count(all[i])) text += all[i] + "\r\n";
    return text;
}

std::vector<std::string> ReadCategoryList(const std::string& fileName) {
    std::string text;
    if (!ReadWholeFile(fileName, text)) return BuiltInCategories();
    RefuseUtf16(fileName, text);  // its marks would be junk
    return CategoryLines(text);
}

bool HasNoMark(const std::vector<std::string>& marks) {
    return std::find(marks.begin(), marks.end(), kNoMark) != marks.end();
}
