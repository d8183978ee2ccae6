#include "todo/CategoryList.h"

#include <algorithm>
#include <unordered_set>

#include "support/FileIO.h"
#include "support/TextWork.h"

std::vector<std::string> BuiltInCategories() { return {kNoMark, "☆", "★"}; }

std::vector<std::string> CategoryLines(const std::string& text) {
    const std::string_view rest = SkipUtf8Mark(text);
    std::vector<std::string> marks;
    std::unordered_set<std::string_view> seen;
    // Every CR and LF ends a line: the empty lines this makes of CR LF are dropped anyway.
    for (std::size_t start = 0; start < rest.size() && marks.size() < kMaxCategories;) {
        std::size_t end = rest.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = rest.size();
        const std::string_view mark = rest.substr(start, end - start);
        if (!mark.empty() && seen.insert(mark).second) marks.emplace_back(mark);
        start = end + 1;
    }
    return marks;
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
