#include "support/FileWork.h"

#include "support/FileIO.h"
#include "support/TextWork.h"

std::size_t LastSeparator(const std::string& path) {
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < path.size(); i += CharLength(path, i))
        if (path[i] == '\\' || path[i] == '/') last = i;
    return last;
}

std::string ExtractFileName(const std::string& path) {
    const std::size_t separator = LastSeparator(path);
    return separator == std::string::npos ? path : path.substr(separator + 1);
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

void ListFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& list) {
    list.clear();
    for (const FolderEntry& e : ReadFolder(folder, mask))
        if (!e.isFolder) list.push_back(folder + kPathDelimiter + e.name);
}

void ListSubfolders(const std::string& folder, std::vector<std::string>& list) {
    list.clear();
    for (const FolderEntry& e : ReadFolder(folder, "*.*"))
        if (e.isFolder && !e.hiddenOrSystem && !e.isLink) list.push_back(folder + kPathDelimiter + e.name);
}

void FindFilesRecursive(const std::string& path, const std::string& mask, std::vector<std::string>& list) {
    list.clear();
    const std::string start = StripTrailingBackslashes(path);
    if (FolderExists(start)) {
        std::vector<std::string> queue{start}, found;
        for (std::size_t head = 0; head < queue.size(); ++head) {
            ListFiles(queue[head], mask, found);
            list.insert(list.end(), found.begin(), found.end());
            ListSubfolders(queue[head], found);
            queue.insert(queue.end(), found.begin(), found.end());
        }
    } else if (FileExists(start)) {
        list.push_back(start);
    }
}

std::string ExtractFileDrive(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        // Whole characters only: the second byte of "表" is a backslash too.
        auto next = [&](std::size_t from) {
            std::size_t at = FindChar(std::string_view(path).substr(from), '\\');
            return at == std::string_view::npos ? std::string::npos : from + at;
        };
        std::size_t server = next(2);
        if (server == std::string::npos) return path;
        std::size_t share = next(server + 1);
        return share == std::string::npos ? path : path.substr(0, share);
    }
    return {};
}

// Neither deletes the target first, so a missing or unreadable source leaves it as it was.
void CopyFileTo(const std::string& source, const std::string& target, bool overwrite) {
    if (SameTextSjis(source, target)) return;
    if (!overwrite && FileExists(target)) return;
    CopyFileRaw(source, target);
}

void MoveFileTo(const std::string& source, const std::string& target, bool overwrite) {
    if (SameTextSjis(source, target)) return;  // a file moved onto itself would only be lost
    if (!overwrite && FileExists(target)) return;
    if (SameTextSjis(ExtractFileDrive(source), ExtractFileDrive(target)))
        MoveFileReplacing(source, target);
    else if (CopyFileRaw(source, target))  // the source goes only once its copy is made
        DeleteFileAt(source);
}
