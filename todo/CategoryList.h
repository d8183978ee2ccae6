// The category marks the item editor offers: the lines of Category.txt in the data folder.
#pragma once

#include <string>
#include <vector>

// The full-width space, which stands for no mark.
inline constexpr char kNoMark[] = "　";

// What is offered without a Category.txt: "　", "☆", "★".
std::vector<std::string> BuiltInCategories();

// The most marks a list offers: a drop-down of more could not be used, and a huge file must
// not keep the editor from opening.
constexpr std::size_t kMaxCategories = 1000;

// One mark a line, lines ended by CR LF, LF or CR. An empty line holds no mark and is dropped:
// an empty entry could not be told from no selection. Each mark once, in file order, the
// first kMaxCategories of them. Text in UTF-8 gives its marks in Shift-JIS.
std::vector<std::string> CategoryLines(const std::string& text);

// What Category.txt holds for the marks a list shows: them, one a line, and after them the
// marks of the file's text past the first kMaxCategories, which no list showed.
std::string CategoryFileText(const std::vector<std::string>& listed, const std::string& fileText);

// The marks of the file, or the built-in ones when it does not exist; EFileError when it
// exists but cannot be read or is in UTF-16.
std::vector<std::string> ReadCategoryList(const std::string& fileName);

// True when the list offers "　".
bool HasNoMark(const std::vector<std::string>& marks);
