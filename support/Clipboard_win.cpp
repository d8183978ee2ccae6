#include "support/Clipboard_win.h"

#include <cstring>

#include "support/Encoding_win.h"
#include "support/TextWork.h"

namespace {

constexpr LCID kJapaneseLocale = 0x0411;

// Another program may hold the clipboard for a moment.
bool OpenClipboardPatiently(HWND owner) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(10);
    }
    return false;
}

bool PutData(UINT format, const void* data, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return false;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(target, data, size);
    GlobalUnlock(memory);
    if (SetClipboardData(format, memory)) return true;
    GlobalFree(memory);
    return false;
}

// Reads one format's data without trusting its terminator: at most the block's size.
template <typename Char>
std::basic_string<Char> ReadData(UINT format, std::size_t maxChars) {
    HANDLE memory = GetClipboardData(format);
    if (!memory) return {};
    const auto* data = static_cast<const Char*>(GlobalLock(memory));
    if (!data) return {};
    std::size_t limit = GlobalSize(memory) / sizeof(Char);
    if (limit > maxChars) limit = maxChars;
    std::size_t length = 0;
    while (length < limit && data[length] != 0) ++length;
    std::basic_string<Char> text(data, length);
    GlobalUnlock(memory);
    return text;
}

}  // namespace

bool SetClipboardText(HWND owner, const std::string& text) {
    if (!OpenClipboardPatiently(owner)) return false;
    EmptyClipboard();
    const std::wstring wide = ToWide(text);
    bool ok = PutData(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    ok = PutData(CF_TEXT, text.c_str(), text.size() + 1) && ok;
    ok = PutData(CF_LOCALE, &kJapaneseLocale, sizeof kJapaneseLocale) && ok;
    CloseClipboard();
    return ok;
}

std::string GetClipboardText(HWND owner, std::size_t maxBytes, std::wstring* lost, bool* opened) {
    const bool open = OpenClipboardPatiently(owner);
    if (opened) *opened = open;
    if (!open) return {};
    std::string text;
    // Each wide character gives at least one byte, so maxBytes of them are always enough.
    if (IsClipboardFormatAvailable(CF_UNICODETEXT))
    {
        std::wstring notHeld;
        text = FromWideNoting(ReadData<wchar_t>(CF_UNICODETEXT, maxBytes + 1), notHeld);
        if (lost) *lost = notHeld;
    }
    else if (IsClipboardFormatAvailable(CF_TEXT))
        text = ReadData<char>(CF_TEXT, maxBytes + 1);
    CloseClipboard();
    return CutToWholeCharacters(text, maxBytes);
}
