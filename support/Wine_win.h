// Whether the program runs under Wine. Only workarounds for Wine's own behaviour ask; on
// Windows the program does what Windows programs do.
#pragma once

// Found once, through the wine_get_version export of Wine's ntdll.
bool RunningUnderWine();
