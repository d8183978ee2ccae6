#include "support/Encoding_win.h"

#include <windows.h>

#include "support/TextWork.h"

std::wstring ToWide(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(kShiftJisCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(kShiftJisCodePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

namespace {

// The code page maps these JIS symbols from other Unicode characters than most systems use.
wchar_t CodePageForm(wchar_t c) {
    switch (c) {
        case 0x301C: return 0xFF5E;  // wave dash -> fullwidth tilde (81 60)
        case 0x2016: return 0x2225;  // double vertical line -> parallel to (81 61)
        case 0x2212: return 0xFF0D;  // minus sign -> fullwidth hyphen-minus (81 7C)
        case 0x00A2: return 0xFFE0;  // cent sign (81 91)
        case 0x00A3: return 0xFFE1;  // pound sign (81 92)
        case 0x00AC: return 0xFFE2;  // not sign (81 CA)
        case 0x2014: return 0x2015;  // em dash -> horizontal bar (81 5C)
        default: return c;
    }
}

std::wstring WithCodePageForms(std::wstring text) {
    for (wchar_t& c : text) c = CodePageForm(c);
    return text;
}

std::string Narrow(const std::wstring& text, bool& lossy) {
    lossy = false;
    if (text.empty()) return {};
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                nullptr, 0, nullptr, &usedDefault);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), out.data(),
                        n, nullptr, &usedDefault);
    lossy = usedDefault != FALSE;
    return out;
}

}  // namespace

std::string FromWide(const std::wstring& text) {
    std::wstring lost;
    return FromWideNoting(text, lost);
}

std::string FromWideNoting(const std::wstring& text, std::wstring& lost) {
    lost.clear();
    const std::wstring mapped = WithCodePageForms(text);
    bool lossy;
    std::string out = Narrow(mapped, lossy);
    if (!lossy) return out;
    // Rare: character by character, a surrogate pair as one character and one "?".
    out.clear();
    for (std::size_t i = 0; i < mapped.size();) {
        const std::size_t n = (IS_HIGH_SURROGATE(mapped[i]) && i + 1 < mapped.size()) ? 2 : 1;
        const std::wstring one = mapped.substr(i, n);
        bool bad;
        const std::string narrow = Narrow(one, bad);
        if (!bad) {
            out += narrow;
        } else {
            out += '?';
            if (lost.find(one) == std::wstring::npos) lost += one;
        }
        i += n;
    }
    return out;
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

std::string ShiftJisFromUtf8(std::string_view text, bool* lossy) {
    if (lossy) *lossy = false;
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), n);
    std::wstring lost;
    std::string out = FromWideNoting(wide, lost);
    if (lossy) *lossy = !lost.empty();
    return out;
}
