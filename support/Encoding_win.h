// Conversions at the Win32 boundary, always with code page 932.
#pragma once

#include <string>

constexpr unsigned kShiftJisCodePage = 932;

std::wstring ToWide(const std::string& text);
// Characters code page 932 cannot hold become one "?" each. The Unicode forms of the JIS symbols that
// other systems send (the wave dash "〜" U+301C of web pages and Macs, among others) are
// taken as the code page's own characters first.
std::string FromWide(const std::wstring& text);
// As FromWide, and answers the characters that became "?", each once, in text order.
std::string FromWideNoting(const std::wstring& text, std::wstring& lost);

// A Shift-JIS form of an existing path. When the path has characters that code page 932
// cannot hold (a user name with "é", say), the system's short 8.3 form is used instead,
// so the result still opens the same file or folder.
std::string PathFromWide(const std::wstring& path);
