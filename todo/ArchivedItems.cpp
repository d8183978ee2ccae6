#include "todo/ArchivedItems.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <unordered_map>

#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/FileWork.h"
#include "support/TextWork.h"

namespace {

struct TLineSpan {
    std::size_t start, end, next;  // text [start, end), the following line at next
};

// An editor's UTF-8 mark is no part of the first line: that line stays an item.
std::size_t MarkLength(const std::string& content) { return content.size() - SkipUtf8Mark(content).size(); }

std::vector<TLineSpan> LineSpans(const std::string& content) {
    std::vector<TLineSpan> spans;
    for (std::size_t start = MarkLength(content); start < content.size();) {
        std::size_t end = content.find_first_of("\r\n", start), next;
        if (end == std::string::npos) {
            end = next = content.size();
        } else {
            next = end + (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n' ? 2 : 1);
        }
        spans.push_back({start, end, next});
        start = next;
    }
    return spans;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "yyyymm.txt", or a sync client's copy of one it could not merge, set aside beside it under a
// name of its own ("202401 (PC's conflicted copy ...).txt", "202401-PC.txt",
// "202401.sync-conflict-....txt"): the other computer's removals kept there come back from it too.
bool IsMonthName(std::string name) {
    if (name.size() < 10 || (name.size() > 10 && IsDigit(name[6]))) return false;
    for (std::size_t i = name.size() - 3; i < name.size(); ++i)  // the system's case of the extension
        if (name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] - 'A' + 'a');
    return name.compare(name.size() - 4, 4, ".txt") == 0 && std::all_of(name.begin(), name.begin() + 6, IsDigit);
}

bool IsOwnMonthName(const std::string& name) { return name.size() == 10 && IsMonthName(name); }

}  // namespace

std::vector<std::string> ArchiveFiles(const std::string& todoFolder) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : ReadFolder(StripTrailingBackslashes(todoFolder), "*.txt"))
        if (!entry.isFolder && IsMonthName(entry.name)) names.push_back(entry.name);
    std::sort(names.begin(), names.end(), std::greater<>());
    for (std::string& name : names) name = todoFolder + name;
    return names;
}

std::vector<TArchivedItem> ReadArchivedItems(const std::string& path) {
    std::vector<TArchivedItem> items;
    std::string content;
    if (!ReadWholeFile(path, content)) return items;
    RefuseUtf16(path, content);  // read as Shift-JIS it holds no item lines
    content = ShiftJisIfUtf8(std::move(content));
    const std::string name = ExtractFileName(path);
    int number = 0;
    for (const TLineSpan& span : LineSpans(content)) {
        TArchivedItem archived;
        archived.text = content.substr(span.start, span.end - span.start);
        if (!archived.text.empty() && TTodoData::ParseItemLine(archived.text, archived.item)) {
            // NULs are no text but a damaged block: in the item file they would pass for UTF-16.
            std::erase(archived.item.Text, '\0');
            std::erase(archived.item.Category, '\0');
            archived.path = path;
            archived.month = name.substr(0, 6);
            archived.line = number;
            items.push_back(std::move(archived));
        }
        ++number;
    }
    return items;
}

std::vector<std::string> CopiesOfMonth(const std::string& monthPath) {
    const std::string name = ExtractFileName(monthPath);
    std::vector<std::string> copies;
    if (!IsOwnMonthName(name)) return copies;
    for (const std::string& path : ArchiveFiles(monthPath.substr(0, monthPath.size() - name.size()))) {
        const std::string other = ExtractFileName(path);
        if (!IsOwnMonthName(other) && other.compare(0, 6, name, 0, 6) == 0) copies.push_back(path);
    }
    return copies;
}

std::vector<TArchivedItem> ReadAllArchivedItems(const std::string& todoFolder, std::vector<std::string>* unread) {
    const std::vector<std::string> paths = ArchiveFiles(todoFolder);
    std::set<std::string> copied;  // months with a copy: only their own files' lines are counted
    for (const std::string& path : paths)
        if (const std::string name = ExtractFileName(path); !IsOwnMonthName(name)) copied.insert(name.substr(0, 6));
    std::vector<std::vector<TArchivedItem>> files;
    std::unordered_map<std::string, std::unordered_map<std::string, int>> ownLines;  // by month, of its own file
    for (const std::string& path : paths) {
        try {
            files.push_back(ReadArchivedItems(path));
            if (const std::string name = ExtractFileName(path); IsOwnMonthName(name) && copied.count(name.substr(0, 6)))
                for (const TArchivedItem& archived : files.back()) ++ownLines[archived.month][archived.text];
        } catch (const EFileError& e) {
            // One unreadable month hides only its own items.
            if (unread) unread->push_back(e.what());
        }
    }
    std::vector<TArchivedItem> all;
    for (std::vector<TArchivedItem>& items : files) {
        const bool own = items.empty() || IsOwnMonthName(ExtractFileName(items[0].path));
        std::unordered_map<std::string, int> shared;
        if (!own)
            if (const auto it = ownLines.find(items[0].month); it != ownLines.end()) shared = it->second;
        for (TArchivedItem& archived : items) {
            if (const auto it = shared.find(archived.text); it != shared.end() && it->second > 0) {
                --it->second;
                continue;
            }
            all.push_back(std::move(archived));
        }
    }
    return all;
}

bool MatchesSearch(const TArchivedItem& archived, const std::string& words) {
    if (words.empty()) return true;
    const std::string wanted = UpperCaseSjis(words);
    // Matched on whole characters: "A" is not the second byte of "ア" (83 41).
    return FindText(UpperCaseSjis(archived.item.Text), wanted) != std::string_view::npos ||
           FindText(UpperCaseSjis(archived.item.Category), wanted) != std::string_view::npos;
}

std::vector<int> LocateLines(const std::string& content, const std::vector<TArchivedItem>& wanted) {
    const std::vector<TLineSpan> spans = LineSpans(content);
    auto textAt = [&](std::size_t i) {
        return std::string_view(content).substr(spans[i].start, spans[i].end - spans[i].start);
    };
    std::vector<int> found(wanted.size(), -1);
    std::set<int> taken;
    // Lines still in their places first, so a moved twin cannot take another's place.
    for (std::size_t w = 0; w < wanted.size(); ++w) {
        const int line = wanted[w].line;
        if (line >= 0 && static_cast<std::size_t>(line) < spans.size() &&
            textAt(static_cast<std::size_t>(line)) == wanted[w].text && taken.insert(line).second)
            found[w] = line;
    }
    // The rest each at the first line of its text not taken yet, looked up by text: a search of
    // the whole file for each would take minutes for thousands of moved lines.
    std::unordered_map<std::string_view, std::vector<int>> linesOf;  // lowest last
    for (std::size_t w = 0; w < wanted.size(); ++w) {
        if (found[w] >= 0) continue;
        if (linesOf.empty())
            for (std::size_t i = spans.size(); i-- > 0;) linesOf[textAt(i)].push_back(static_cast<int>(i));
        const auto it = linesOf.find(wanted[w].text);
        if (it == linesOf.end()) continue;
        std::vector<int>& lines = it->second;
        while (!lines.empty() && taken.count(lines.back())) lines.pop_back();
        if (lines.empty()) continue;
        found[w] = lines.back();
        taken.insert(lines.back());
        lines.pop_back();
    }
    return found;
}

std::string RemoveLines(const std::string& content, const std::vector<int>& lines) {
    const std::vector<TLineSpan> spans = LineSpans(content);
    const std::set<int> gone(lines.begin(), lines.end());
    std::string kept = content.substr(0, MarkLength(content));
    kept.reserve(content.size());
    for (std::size_t i = 0; i < spans.size(); ++i)
        if (!gone.count(static_cast<int>(i))) kept.append(content, spans[i].start, spans[i].next - spans[i].start);
    return kept;
}
