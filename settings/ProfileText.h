// A settings file's text, updated key by key the way the Windows profile routines do it:
// every line that is not set stays exactly as it was.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TProfileText {
public:
    explicit TProfileText(std::string_view fileText);

    // Section and key are matched without regard to case. An existing key's first occurrence
    // gets the value (its line is left alone when the value is already there); a missing key
    // goes after the section's last line; a missing section is added at the end. The empty
    // section is the part before the first header.
    void SetValue(const std::string& section, const std::string& key, const std::string& value);

    // The lines, each followed by CR LF.
    std::string Text() const;

private:
    struct Region {
        std::size_t begin, end;  // lines of the section's body
        bool found;
    };
    Region FindSection(const std::string& section) const;

    std::vector<std::string> lines_;
};

// "[name]" lines: true and the trimmed name when the line is a section header.
bool IsSectionHeader(std::string_view line, std::string& name);
