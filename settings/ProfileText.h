// A settings file's text, updated key by key the way the Windows profile routines do it:
// every line that is not set stays exactly as it was.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TProfileText {
public:
    explicit TProfileText(std::string_view fileText);

    // Section and key are matched without regard to case. An existing key's first occurrence
    // gets the value (its line is left alone when the value is already there, so a line
    // without "=" stays as it is while its value is empty); a missing key goes after the
    // section's last line; a missing section is added at the end. The empty section is the
    // part before the first header.
    void SetValue(const std::string& section, const std::string& key, const std::string& value);

    // The lines, each followed by CR LF.
    std::string Text() const;

    // How often a line was looked at, for the tests' count of the work a save does.
    std::size_t LinesExamined() const { return linesExamined_; }

private:
    struct Section {
        std::string name;               // as the program gave it, for a header of its own
        std::size_t insertAt;           // new keys go in front of this line of the file
        bool isNew;                     // not in the file: written at the end
        std::deque<std::string> added;  // new key lines; a deque keeps their addresses
        // Upper-cased key: its first line.
        std::unordered_map<std::string, std::string*> keys;
    };
    Section& FindOrAddSection(const std::string& name);

    std::vector<std::string> lines_;
    std::deque<Section> sections_;
    std::unordered_map<std::string, Section*> byName_;  // upper-cased name
    std::size_t linesExamined_ = 0;
};

// "[name]" lines: true and the trimmed name when the line is a section header.
bool IsSectionHeader(std::string_view line, std::string& name);
