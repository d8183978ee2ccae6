// The options dialog's rules that need no window: spin-box values, adding and deleting
// category marks, and telling whether two folder names name one folder.
#pragma once

#include <string>
#include <vector>

struct TSpinRange {
    int min, max;
};

// The value a spin box shows and stores: the nearest bound for one outside the range, the
// lower bound for a text that is not a decimal number.
int ClampSpinValue(long long value, TSpinRange range);
int SpinValueOfText(const std::string& text, TSpinRange range);

// The characters of marks, one mark each, that neither the list nor an earlier character
// holds (letter case aside), in their order.
std::vector<std::string> MarksToAdd(const std::vector<std::string>& present, const std::string& marks);

// After removing entry removed of a list that now holds countAfter entries: the category
// list selects the entry that followed, none when the last went; the picture list the one
// that followed, the one before when the last went.
int CategorySelectionAfterDelete(int removed, int countAfter);
int PictureSelectionAfterDelete(int removed, int countAfter);

// Two full paths of one folder: trailing separators and letter case aside.
bool SameFolderText(const std::string& a, const std::string& b);
// A folder as the data folder's box shows it: a drive's root keeps its backslash, as "C:" alone
// names the drive's current folder.
std::string FolderText(const std::string& folder);
