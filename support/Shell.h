// Shell services: special folders and opening documents.
#pragma once

#include <string>

// Shell folder ids used by the program.
constexpr int kFolderStartup = 7;
constexpr int kFolderDesktop = 16;
constexpr int kFolderAppData = 26;

// Path of a shell special folder; the desktop folder when the system gives none.
std::string GetSpecialFolder(int folderId);

// Opens a file, folder or address with the shell's "Open" verb.
void OpenDocument(const std::string& path);
