// Numbers and colours shared by the program.
#pragma once

#include <cstdint>
#include <string>

int Min3(int a, int b, int c);
int Max3(int a, int b, int c);

// Integer HSV as the colour picker shows it: hue 0..359, saturation and value 0..100.
void ColorToHSV(int red, int green, int blue, int& hue, int& saturation, int& value);
void HSVToColor(int hue, int saturation, int value, int& red, int& green, int& blue);

// $00BBGGRR <-> $00RRGGBB; the highest byte is cleared.
std::int32_t SwapRedBlue(std::int32_t color);

// What OpenLink hands to the shell: web addresses unchanged, anything else as a mail address.
std::string LinkTarget(const std::string& text);

// The platform's string-to-integer conversion: optional sign, decimal, "$" or "0x" hex.
// False when the text is not such a number or does not fit in 32 bits.
bool TryStrToInt(const std::string& text, std::int32_t& value);
