// Shift-JIS text helpers shared by the whole program.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// True for the first byte of a two-byte Shift-JIS character.
inline bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Length in bytes of the character starting at position i (a lead byte at the very end counts as one).
inline std::size_t CharLength(std::string_view s, std::size_t i) {
    return (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

// Removes every trailing backslash, so "C:\" becomes "C:". Never cuts a two-byte character.
std::string StripTrailingBackslashes(const std::string& path);

// The item file's escaping of control characters, quotes and backslashes.
std::string EscapeText(const std::string& text);
std::string UnescapeText(const std::string& text);
// The same, handing the text back without a copy when it holds no backslash.
std::string UnescapeText(std::string&& text);

// Appends the escaped form of text to out (the item file writer's fast path).
void AppendEscaped(std::string& out, const std::string& text);
