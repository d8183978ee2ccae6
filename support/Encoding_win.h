// Conversions at the Win32 boundary, always with code page 932.
#pragma once

#include <string>

constexpr unsigned kShiftJisCodePage = 932;

std::wstring ToWide(const std::string& text);
std::string FromWide(const std::wstring& text);

// A Shift-JIS form of an existing path. When the path has characters that code page 932
// cannot hold (a user name with "é", say), the system's short 8.3 form is used instead,
// so the result still opens the same file or folder.
std::string PathFromWide(const std::wstring& path);
