#include "support/FileWork.h"

#include "support/FileIO.h"
#include "support/TextWork.h"

std::size_t LastSeparator(const std::string& path) {
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < path.size(); i += CharLength(path, i))
        if (path[i] == '\\' || path[i] == '/') last = i;
    return last;
}

bool ForceFolder(const std::string& path) {
    const std::string folder = StripTrailingBackslashes(path);
    if (folder.empty()) return false;
    if (FolderExists(folder)) return true;
    std::size_t sep = LastSeparator(folder);
    if (sep != std::string::npos && sep > 0) {
        std::string parent = folder.substr(0, sep);
        if (parent != folder) ForceFolder(parent);
    }
    MakeFolder(folder);
    return FolderExists(folder);
}
