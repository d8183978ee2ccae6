// The removed-item archive: one file per month of the items' due dates beside todo.txt.
#pragma once

#include <string>
#include <vector>

#include "support/Dates.h"

// todoFolder + "yyyymm.txt" of the due date, e.g. "200507.txt" for a day in July 2005.
std::string ArchiveFileName(const std::string& todoFolder, TDateTime dueDate);

// Adds one item line at the end of the archive and keeps every byte it already held (a CR LF
// goes first when the file does not end with one). A missing file is started, in its folder
// made again when that is gone. One an editor saved in UTF-8 is written in Shift-JIS. An archive
// that exists but cannot be read, or cannot be written, or is in UTF-16, raises EFileError
// naming it and is left as it was.
void AppendToArchive(const std::string& path, const std::string& line);
// The same for several lines in one write: all of them or, on an error, none.
void AppendToArchive(const std::string& path, const std::vector<std::string>& lines);

// Takes back the last AppendToArchive: removes line + CR LF from the end of the archive when
// that is still exactly the file's last line, and answers whether it did. Any other archive is
// left as it is.
// With removeIfEmpty an archive left empty is deleted (the append had started it). EFileError
// naming it when it cannot be read, written or deleted: it is then left as it was.
bool RemoveLastArchiveLine(const std::string& path, const std::string& line, bool removeIfEmpty = false);
