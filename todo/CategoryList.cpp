#include "todo/CategoryList.h"

#include <algorithm>

#include "support/FileIO.h"
#include "support/TextWork.h"

std::vector<std::string> BuiltInCategories() { return {kNoMark, "☆", "★"}; }

std::vector<std::string> CategoryLines(const std::string& text) {
    std::vector<std::string> marks = SplitLines(text);
    std::erase_if(marks, [](const std::string& mark) { return mark.empty(); });
    return marks;
}

std::vector<std::string> ReadCategoryList(const std::string& fileName) {
    std::string text;
    if (!ReadWholeFile(fileName, text)) return BuiltInCategories();
    return CategoryLines(text);
}

bool HasNoMark(const std::vector<std::string>& marks) {
    return std::find(marks.begin(), marks.end(), kNoMark) != marks.end();
}
