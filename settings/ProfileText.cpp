#include "settings/ProfileText.h"

#include "support/TextWork.h"

namespace {

// The key of a line in a section body, or nothing for comments and blank lines.
bool KeyOfLine(std::string_view line, std::string_view& key, std::string_view& value) {
    std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed[0] == ';') return false;
    std::size_t eq = FindChar(trimmed, '=');
    key = TrimBlanks(trimmed.substr(0, eq));
    value = eq == std::string_view::npos ? std::string_view() : TrimBlanks(trimmed.substr(eq + 1));
    return true;
}

// A key ending in half a character would take the "=" as its second byte: a blank between
// them is what that byte takes instead, and the key reads back trimmed as it was.
std::string KeyLine(std::string_view key, const std::string& value) {
    std::string line(key);
    if (!StartsCharacter(line + "=", 0, line.size())) line += ' ';
    return line + "=" + value;
}

}  // namespace

// The system's profile routines take a line for a header when, trimmed, it starts with "["
// and holds a "]" somewhere: the name ends at the last "]" and anything after it (a comment)
// is ignored. A "[" line without "]" is an ordinary key line. Reader and writer share this
// rule, so a save never files a line under another section than the next load does.
bool IsSectionHeader(std::string_view line, std::string& name) {
    std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed[0] != '[') return false;
    std::size_t close = std::string_view::npos;
    for (std::size_t i = 1; i < trimmed.size(); i += CharLength(trimmed, i))
        if (trimmed[i] == ']') close = i;
    if (close == std::string_view::npos) return false;
    name = std::string(TrimBlanks(trimmed.substr(1, close - 1)));
    return true;
}

// One pass indexes the file: each section's first header, the first line of each of its keys,
// and where its new keys go (after its last non-blank line). A later header of the same name,
// and "[]", start bodies that no key is looked up in.
TProfileText::TProfileText(std::string_view fileText) : lines_(SplitLines(SkipUtf8Mark(fileText))) {
    Section* current = &sections_.emplace_back(Section{"", 0, false, {}, {}});
    byName_.emplace("", current);
    std::string name;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        ++linesExamined_;
        if (IsSectionHeader(lines_[i], name)) {
            const std::string folded = UpperCaseSjis(name);
            current = nullptr;
            if (!folded.empty() && !byName_.contains(folded)) {
                current = &sections_.emplace_back(Section{name, i + 1, false, {}, {}});
                byName_.emplace(folded, current);
            }
            continue;
        }
        if (!current) continue;
        std::string_view key, value;
        if (!TrimBlanks(lines_[i]).empty()) current->insertAt = i + 1;
        if (KeyOfLine(lines_[i], key, value)) current->keys.emplace(UpperCaseSjis(key), &lines_[i]);
    }
}

TProfileText::Section& TProfileText::FindOrAddSection(const std::string& name) {
    const std::string folded = UpperCaseSjis(name);
    if (auto it = byName_.find(folded); it != byName_.end()) return *it->second;
    Section* added = &sections_.emplace_back(Section{name, lines_.size(), true, {}, {}});
    byName_.emplace(folded, added);
    return *added;
}

void TProfileText::SetValue(const std::string& section, const std::string& key, const std::string& value) {
    Section& s = FindOrAddSection(section);
    const std::string folded = UpperCaseSjis(key);
    if (auto it = s.keys.find(folded); it != s.keys.end()) {
        std::string& line = *it->second;
        std::string_view lineKey, lineValue;
        KeyOfLine(line, lineKey, lineValue);
        if (lineValue != value) line = KeyLine(lineKey, value);
        return;
    }
    s.keys.emplace(folded, &s.added.emplace_back(KeyLine(key, value)));
}

std::string TProfileText::Text() const {
    // Sections of the file in file order, each inserting its new keys before one line.
    std::vector<const Section*> at(lines_.size() + 1, nullptr);
    for (const Section& s : sections_)
        if (!s.isNew && !s.added.empty()) at[s.insertAt] = &s;
    std::string out;
    auto append = [&out](const std::string& line) {
        out += line;
        out += "\r\n";
    };
    for (std::size_t i = 0; i <= lines_.size(); ++i) {
        if (at[i])
            for (const std::string& line : at[i]->added) append(line);
        if (i < lines_.size()) append(lines_[i]);
    }
    for (const Section& s : sections_) {
        if (!s.isNew) continue;
        append("[" + s.name + "]");
        for (const std::string& line : s.added) append(line);
    }
    return out;
}
