// Resampling a picture that arrives row by row, with exactly the arithmetic of DrawBitmap's
// dtCopy onto a fresh bitmap (box average or bilinear), for an opaque source.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "background/Bitmap.h"
#include "background/RowSource.h"

struct TResampleJob {
    int SourceWidth = 0, SourceHeight = 0;
    int Width = 0, Height = 0;  // the whole resampled picture
    TRect Part;                 // the part of it made, within (0, 0, Width, Height)
};

// Calls emit(y, pixels) for each row y of the part, top first, with Part.Width() pixels of
// B, G, R, A. Rows a larger part would read past its bottom are those of the whole picture,
// so a part is the same pixels as the whole picture there. False when the feed was stopped.
bool ResampleRows(const TResampleJob& job, TRowFeed& feed,
                  const std::function<void(int y, const std::uint8_t* pixels)>& emit);

// The source row reused for every row past the last one the whole resampling prepares.
int LastPreparedRow(int sourceHeight, int height);
