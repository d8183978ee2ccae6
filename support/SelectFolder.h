// The shell's folder-browse dialog, answering only folders with a file-system path.
#pragma once

#include <string>

enum TSelectFolderOption : unsigned { sfoUseNewStyle = 1, sfoUseInitialFolder = 2 };
using TSelectFolderOptions = unsigned;  // a set of TSelectFolderOption

class TSelectFolder {
public:
    std::string Title;          // shown above the folder tree
    std::string InitialFolder;  // selected at opening with sfoUseInitialFolder
    std::string Folder;         // the choice; selected at opening without sfoUseInitialFolder
    TSelectFolderOptions Options = 0;

    // Modal to the active window of this thread, on its monitor (without one, the primary). True with Folder set
    // when a folder with a path was chosen; false when cancelled or anything failed.
    bool Execute();
};
