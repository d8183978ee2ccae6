#include "support/Collator_win.h"

#include <windows.h>

#include "support/Encoding_win.h"

int TUserLocaleCollator::Compare(const std::string& a, const std::string& b) const {
    const std::wstring wa = ToWide(a), wb = ToWide(b);
    const int result = CompareStringW(LOCALE_USER_DEFAULT, 0, wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                                      static_cast<int>(wb.size()));
    return result == 0 ? a.compare(b) : result - 2;
}
