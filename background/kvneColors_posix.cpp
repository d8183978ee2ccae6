#include <iterator>

#include "background/kvneColors.h"

// Windows' default colours ($00BBGGRR) by index; index 25 is unused there too.
bool ReadSystemColor(int index, std::int32_t& color) {
    static constexpr std::int32_t kDefaults[] = {
        0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000, 0x000000, 0xB4B4B4,
        0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969,
        0xE3E3E3, 0x000000, 0xE1FFFF, -1,       0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0};
    if (index < 0 || index >= static_cast<int>(std::size(kDefaults)) || kDefaults[index] < 0) return false;
    color = kDefaults[index];
    return true;
}
