// The removed items kept in the monthly archives, read back for the archive window, and taken
// out of their files again line by line.
#pragma once

#include <string>
#include <vector>

#include "todo/TodoData.h"

struct TArchivedItem {
    std::string path;   // the archive file
    std::string month;  // "yyyymm" of its name
    int line = 0;       // the line's number in the file from 0, empty lines counted
    std::string text;   // the line's bytes without its line end
    Tdata item;         // without the NULs a damaged line may hold
};

// The archives beside todo.txt (todoFolder ends with a separator): "yyyymm.txt" and the copies a
// sync client set aside beside them ("yyyymm (...).txt"), newest month first.
std::vector<std::string> ArchiveFiles(const std::string& todoFolder);
// The item lines of one archive in file order (in Shift-JIS, from an editor's UTF-8 too); empty
// lines and lines of other kinds are left out.
// EFileError naming the file when it cannot be read or is in UTF-16.
std::vector<TArchivedItem> ReadArchivedItems(const std::string& path);
// The copies a sync client set aside beside a month's own archive ("yyyymm.txt"); none for a copy.
std::vector<std::string> CopiesOfMonth(const std::string& monthPath);
// Every archive's items, newest month first. A copy's lines that its month's own archive holds
// too are the same removals, listed once, from the month's file. An archive that cannot be read
// is skipped; unread, when given, receives why.
std::vector<TArchivedItem> ReadAllArchivedItems(const std::string& todoFolder, std::vector<std::string>* unread = nullptr);
// Whether the item's text or mark holds words (Latin letters in either case); "" matches all.
bool MatchesSearch(const TArchivedItem& archived, const std::string& words);

// Where each wanted line is in content now: at its remembered number when that line still
// holds its text, else the first line with that text not already taken; -1 when it is gone.
std::vector<int> LocateLines(const std::string& content, const std::vector<TArchivedItem>& wanted);
// content without the given lines (numbers as above) and their line ends, every other byte as
// it was. Lines end at CR LF, a lone CR or a lone LF; numbers out of range are ignored.
std::string RemoveLines(const std::string& content, const std::vector<int>& lines);
