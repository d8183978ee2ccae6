// Shell services: special folders and opening documents.
#pragma once

#include <string>

// Shell folder ids used by the program.
constexpr int kFolderDocuments = 5;
constexpr int kFolderStartup = 7;
constexpr int kFolderDesktop = 16;
constexpr int kFolderAppData = 26;

// Path of a shell special folder; the desktop folder when the system gives none.
std::string GetSpecialFolder(int folderId);
// Path of a shell special folder; empty when the system gives none.
std::string FindSpecialFolder(int folderId);

// Opens a file, folder or address with the shell's "Open" verb.
void OpenDocument(const std::string& path);

// Opens a web address as it is and anything else as a mail address.
void OpenLink(const std::string& text);

// A shell link to the target program, its working folder the root of the shortcut's drive.
bool CreateShortcut(const std::string& target, const std::string& shortcutFile, const std::string& description);
// The Startup folder's shortcut to this program: made when enabled if missing or pointing at
// another file, removed when not.
// Without a Startup folder nothing is made or removed anywhere else. False when the shortcut
// asked for is not there afterwards, or one not wanted is still there.
bool RegisterStartup(bool enable, const std::string& productName);
// The file a shortcut points at; empty when it cannot be read.
std::string ShortcutTarget(const std::string& shortcutFile);
