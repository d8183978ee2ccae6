#include "support/Encoding_win.h"

#include <windows.h>

std::wstring ToWide(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(kShiftJisCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(kShiftJisCodePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

namespace {

std::string Narrow(const std::wstring& text, bool& lossy) {
    lossy = false;
    if (text.empty()) return {};
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                nullptr, 0, nullptr, &usedDefault);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        out.data(), n, nullptr, &usedDefault);
    lossy = usedDefault != FALSE;
    return out;
}

}  // namespace

std::string FromWide(const std::wstring& text) {
    bool lossy;
    return Narrow(text, lossy);
}

std::string PathFromWide(const std::wstring& path) {
    bool lossy;
    std::string narrow = Narrow(path, lossy);
    if (!lossy) return narrow;
    DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return narrow;
    std::wstring shortPath(n, L'\0');
    n = GetShortPathNameW(path.c_str(), shortPath.data(), n);
    shortPath.resize(n);
    std::string shortNarrow = Narrow(shortPath, lossy);
    return lossy ? narrow : shortNarrow;
}
