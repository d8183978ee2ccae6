// The clipboard as Shift-JIS text, whatever the session's own code page: the wide form is
// written and read first, the byte form goes along marked as Japanese.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// False when the clipboard stayed busy or the text could not be placed on it.
bool SetClipboardText(HWND owner, const std::string& text);
// The clipboard's text up to maxBytes, cut at the last whole character; empty without text.
// Characters code page 932 cannot hold become "?" and are added to lost, when given; opened,
// when given, tells a busy clipboard from one without text.
std::string GetClipboardText(HWND owner, std::size_t maxBytes, std::wstring* lost = nullptr, bool* opened = nullptr);
