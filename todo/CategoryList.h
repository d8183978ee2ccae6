// The category marks the item editor offers: the lines of Category.txt in the data folder.
#pragma once

#include <string>
#include <vector>

// The full-width space, which stands for no mark.
inline constexpr char kNoMark[] = "　";

// What is offered without a Category.txt: "　", "☆", "★".
std::vector<std::string> BuiltInCategories();

// One mark a line, lines ended by CR LF, LF or CR. An empty line holds no mark and is dropped:
// an empty entry could not be told from no selection.
std::vector<std::string> CategoryLines(const std::string& text);

// The marks of the file, or the built-in ones when it does not exist; EFileError when it
// exists but cannot be read.
std::vector<std::string> ReadCategoryList(const std::string& fileName);

// True when the list offers "　".
bool HasNoMark(const std::vector<std::string>& marks);
