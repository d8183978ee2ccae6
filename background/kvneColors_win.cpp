#include <windows.h>

#include "background/kvneColors.h"

bool ReadSystemColor(int index, std::int32_t& color) {
    // A brush exists exactly for the indexes the system has.
    if (!GetSysColorBrush(index)) return false;
    color = static_cast<std::int32_t>(GetSysColor(index));
    return true;
}
