#include "todo/ItemArchive.h"

#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/FileWork.h"
#include "support/TextWork.h"

std::string ArchiveFileName(const std::string& todoFolder, TDateTime dueDate) {
    // The month part of the item file's own date text, so both always agree.
    return todoFolder + DateToText(dueDate).substr(0, 6) + ".txt";
}

void AppendToArchive(const std::string& path, const std::string& line) {
    AppendToArchive(path, std::vector<std::string>{line});
}

void AppendToArchive(const std::string& path, const std::vector<std::string>& lines) {
    std::string content;
    ReadWholeFile(path, content);
    // A Shift-JIS line at the end of an editor's UTF-16 file would ruin it.
    RefuseUtf16(path, content);
    // Nor would one behind an editor's UTF-8 lines: the month is written in Shift-JIS.
    content = ShiftJisIfUtf8(std::move(content));
    const bool endsWithLineEnd = content.size() >= 2 && content.compare(content.size() - 2, 2, "\r\n") == 0;
    if (!content.empty() && !endsWithLineEnd) content += "\r\n";
    const bool started = content.empty();
    for (const std::string& line : lines) {
        content += line;
        content += "\r\n";
    }
    // A file started in a data folder gone meanwhile: the folder is made again, as the item
    // file's save does.
    if (started) {
        if (const std::size_t separator = LastSeparator(path); separator != std::string::npos && separator > 0)
            ForceFolder(path.substr(0, separator));
    }
    ReplaceFileSafely(path, content);
}

bool RemoveLastArchiveLine(const std::string& path, const std::string& line, bool removeIfEmpty) {
    std::string content;
    if (!ReadWholeFile(path, content)) return false;
    const std::string ending = line + "\r\n";
    if (content.size() < ending.size() || content.compare(content.size() - ending.size(), ending.size(), ending) != 0)
        return false;
    const std::size_t start = content.size() - ending.size();
    // The whole last line: a line that only ends with it (an undated item's line is the end
    // of a dated twin's) is another item's.
    const bool lineStart = start == 0 || content[start - 1] == '\n' || content[start - 1] == '\r' ||
                           start == content.size() - SkipUtf8Mark(content).size();  // after an editor's UTF-8 mark
    if (!lineStart) return false;
    content.resize(start);
    // An archive another program holds is no line taken back: the item would be in both places.
    if (content.empty() && removeIfEmpty) {
        if (!DeleteFileAt(path) && FileExists(path)) throw EFileError(CannotWriteMessage(path));
        return true;
    }
    ReplaceFileSafely(path, content);
    return true;
}
