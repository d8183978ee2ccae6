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

TProfileText::TProfileText(std::string_view fileText) : lines_(SplitLines(fileText)) {}

TProfileText::Region TProfileText::FindSection(const std::string& section) const {
    std::string name;
    std::size_t i = 0;
    if (!section.empty()) {
        while (i < lines_.size() && !(IsSectionHeader(lines_[i], name) && SameTextSjis(name, section))) ++i;
        if (i == lines_.size()) return {i, i, false};
        ++i;
    }
    std::size_t end = i;
    while (end < lines_.size() && !IsSectionHeader(lines_[end], name)) ++end;
    return {i, end, true};
}

void TProfileText::SetValue(const std::string& section, const std::string& key, const std::string& value) {
    Region region = FindSection(section);
    if (!region.found) {
        lines_.push_back("[" + section + "]");
        lines_.push_back(key + "=" + value);
        return;
    }
    std::size_t lastFilled = region.begin;  // insertion point: after the body's last non-blank line
    for (std::size_t i = region.begin; i < region.end; ++i) {
        std::string_view lineKey, lineValue;
        if (!TrimBlanks(lines_[i]).empty()) lastFilled = i + 1;
        if (!KeyOfLine(lines_[i], lineKey, lineValue) || !SameTextSjis(lineKey, key)) continue;
        if (lineValue != value || FindChar(TrimBlanks(lines_[i]), '=') == std::string_view::npos)
            lines_[i] = std::string(lineKey) + "=" + value;
        return;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastFilled), key + "=" + value);
}

std::string TProfileText::Text() const {
    std::string out;
    for (const std::string& line : lines_) {
        out += line;
        out += "\r\n";
    }
    return out;
}
