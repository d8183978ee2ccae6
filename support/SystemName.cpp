#include "support/kvneGlobal.h"

std::string SystemNameOf(int major, int minor, char letter, bool platformNT) {
    switch (major) {
    case 3: return "WindowsNT3.51";
    case 4:
        switch (minor) {
        case 0:
            if (platformNT) return "WindowsNT4";
            if (letter == 'B') return "Windows95OSR2";
            if (letter == 'C') return "Windows95OSR2.5";
            return "Windows95";
        case 10: return letter == 'A' ? "Windows98SE" : "Windows98";
        case 90: return "WindowsMe";
        default: return "unknown0";
        }
    case 5:
        if (minor == 0) return "Windows2000";
        if (minor == 1) return "WindowsXP";
        return "unknown";
    default: return "unknown1";
    }
}
