// Display scale. The design places everything in pixels at 96 dpi; a window lays out at the dpi
// of its monitor, each length multiplied by dpi / 96 and rounded as MulDiv rounds.
#pragma once

inline constexpr int kDesignDpi = 96;

// value × numerator / denominator, rounded half away from zero (MulDiv's rounding), without
// overflow for any int value; −1 for a zero denominator, as MulDiv answers.
int MulDivRounded(int value, int numerator, int denominator);

// A design length (96 dpi) at dpi.
inline int ScaleForDpi(int value, int dpi) { return MulDivRounded(value, dpi, kDesignDpi); }
// A length at dpi in design units: what application.ini keeps of a window's size.
inline int UnscaleForDpi(int value, int dpi) { return MulDivRounded(value, kDesignDpi, dpi); }
// A usable dpi: 96 for nothing known or a value no monitor has.
int SaneDpi(int dpi);
