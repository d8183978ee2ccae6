// Comparison of texts for sorting, installed by the platform.
#pragma once

#include <string>

// Locale-aware comparison of two Shift-JIS texts: negative when a sorts first. The program
// installs the user's locale; without it texts compare byte by byte.
class TTextCollator {
public:
    virtual ~TTextCollator() = default;
    virtual int Compare(const std::string& a, const std::string& b) const = 0;
};
