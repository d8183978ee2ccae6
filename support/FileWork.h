// Folder and file helpers shared by the whole program.
#pragma once

#include <string>

// Position of the last path separator ('\' or '/'), never the second byte of a
// two-byte character; npos when there is none.
std::size_t LastSeparator(const std::string& path);

// Creates the folder and any missing parents. True when the folder exists afterwards.
// A path whose root does not exist stops at that root without error.
bool ForceFolder(const std::string& path);
