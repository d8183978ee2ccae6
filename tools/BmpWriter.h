// Writes a bitmap as a BMP file of the same pixel format; 32-bit keeps its alpha (V4 header).
#pragma once

#include <string>

#include "background/Bitmap.h"

void SaveBmpFile(const TBitmap& bitmap, const std::string& path);
