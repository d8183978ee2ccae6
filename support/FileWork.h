// Folder and file helpers shared by the whole program.
#pragma once

#include <string>
#include <vector>

// Position of the last path separator ('\' or '/'), never the second byte of a
// two-byte character; npos when there is none.
std::size_t LastSeparator(const std::string& path);
// What follows the last separator: the file name, or the whole path without a separator.
std::string ExtractFileName(const std::string& path);

// Creates the folder and any missing parents. True when the folder exists afterwards.
// A path whose root does not exist stops at that root without error.
bool ForceFolder(const std::string& path);

// Files of a folder matching the mask, hidden and system files included, as folder + "\" + name.
void ListFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& list);
// Subfolders of a folder, except hidden and system ones and links to folders elsewhere (one
// to a folder above would lead round for ever), as folder + "\" + name.
void ListSubfolders(const std::string& folder, std::vector<std::string>& list);
// Files matching the mask under a folder, breadth-first: a folder's files before its
// subfolders' files. A path naming a file gives that file.
void FindFilesRecursive(const std::string& path, const std::string& mask, std::vector<std::string>& list);

// The drive part of a path: "C:" or "\\server\share"; empty where paths have no drive.
std::string ExtractFileDrive(const std::string& path);

// If the target exists: without overwrite nothing happens, with overwrite it is replaced.
// A source and target naming the same path (letter case aside) do nothing.
void CopyFileTo(const std::string& source, const std::string& target, bool overwrite);
// As CopyFileTo, but moves: in one step on the same drive, so a failed move leaves the target
// as it was; across drives a copy, and the source goes only once the copy is made.
void MoveFileTo(const std::string& source, const std::string& target, bool overwrite);
