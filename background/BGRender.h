// Making a window background from a picture: load, size, resample, rotate, mask and blend
// over the scheme's background colour. One pure step for the rendering thread and the tool.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "background/Bitmap.h"
#include "support/FileIO.h"

// Everything a rendering reads, copied on the UI thread before it starts.
struct TRenderSnapshot {
    std::string PicturePath;
    std::int32_t BackgroundColor = 0xFFFFFF;  // $00BBGGRR
    int Width = 0, Height = 0;                // the window's outer size
    std::uint8_t VAlign = 3, HAlign = 0;      // 0 fit, 1 top/left, 2 centre, 3 bottom/right
    int OpacityReduction = 0;                 // transparency in percent x 255 div 100
    int Zoom = 100;                           // percent, for directions not fitted
    int Effect = 0;                           // 1 fade from the top, 2 from the bottom, 3 ellipse
    int Rotation = 0;                         // quarter turns clockwise
    int Dpi = 96;  // the window's, which Zoom includes: notices are drawn at its scale, not enlarged
};

// The settings' transparency in percent (0 to 100, clamped) as OpacityReduction.
inline int OpacityReductionFromPercent(int percent) { return std::clamp(percent, 0, 100) * 255 / 100; }

struct TRenderOutput {
    TBitmap Bitmap;        // the finished background; empty when there is nothing to show
    // Only what a window of the snapshot's size can show is made: the bitmap is the part at
    // (Left, Top) of a background FullWidth x FullHeight, placed by the window as a whole.
    int Left = 0, Top = 0, FullWidth = 0, FullHeight = 0;
    std::string Message;   // the text of a placeholder or of the missing-file notice
    bool Stopped = false;  // ended early on a termination request
};

// The result's size for a picture of the given size; 0 x 0 for an empty picture or a zoom
// that leaves nothing. TooLarge: a whole result past the caps of a whole decode, refused
// before any allocation (though only its visible part is made).
struct TRenderSize {
    int Width = 0, Height = 0;
    bool TooLarge = false;
};
TRenderSize ComputeRenderSize(int pictureWidth, int pictureHeight, const TRenderSnapshot& snapshot);

// The part of a width x height background that a window of the snapshot's size can show,
// whatever its client area within that size: placed at the top or left, centred, or at the
// bottom or right as the window places it.
TRect VisiblePart(const TRenderSnapshot& snapshot, int width, int height);

// Steps 11 and 12 in one pass: every pixel blended over the colour with the picture's
// opacity times its alpha, as an unscaled dtAlpha draw onto a filled bitmap does; A = 255.
void BlendOverColor(TBitmap& picture, std::int32_t color, int opacity);

// Draws word-wrapped text into a bitmap ("&" is just a character), background untouched.
class TTextDrawer {
public:
    virtual ~TTextDrawer() = default;
    // Lines lineHeight pixels apart, in a font of that size.
    virtual void DrawWrapped(TBitmap& bitmap, const TRect& rect, const std::string& text, std::int32_t color,
                             int lineHeight) = 0;
};
// GDI into the DIB on Windows; elsewhere a block per character.
std::unique_ptr<TTextDrawer> CreateTextDrawer();

// 100 x 100 at 96 dpi, larger in proportion at a larger dpi: white, red frame and cross, the
// message in black.
TBitmap MakePlaceholder(const std::string& message, TTextDrawer& text, int dpi = 96);
extern const char* const kMissingPictureMessage;

// The bytes of the last JPEG file rendered: a rendering after a resize or a settings change
// decodes them again without reading the file. Shared by the renderings in turn.
class TPictureCache {
public:
    static constexpr std::size_t kMaxCachedBytes = 64u * 1024 * 1024;
    std::shared_ptr<const std::vector<std::uint8_t>> Find(const std::string& path, const TFileStamp& stamp);
    void Keep(const std::string& path, const TFileStamp& stamp, std::shared_ptr<const std::vector<std::uint8_t>> bytes);
    void Clear();

private:
    std::mutex mutex_;
    std::string path_;
    TFileStamp stamp_;
    std::shared_ptr<const std::vector<std::uint8_t>> picture_;
};

struct TRenderOptions {
    TPictureCache* Cache = nullptr;
    TTextDrawer* Text = nullptr;  // CreateTextDrawer() when null
    // Called after each of the steps below, with its number and name (timing, tests).
    std::function<void(int step, const char* name)> OnStep;
    // Called on the rendering thread as each row y of a width x height result is final (32-bit
    // pixels), so that it can be written out while the rest is made. After a damaged picture the
    // placeholder's rows follow, at its size; the rows of a stopped rendering are not all handed out.
    std::function<void(int width, int height, int y, const std::uint8_t* pixels)> OnRow;
    // With OnRow: the rows go only there and the output's bitmap stays empty, so that a rendering
    // that is not turned a quarter needs no memory for the whole result.
    bool RowsOnly = false;
};
enum TRenderStep { rsLoad = 1, rsResample = 8, rsRotate = 9, rsEffect = 10, rsBlend = 12 };

// The whole rendering. Checks stop after each step and then ends with Stopped set. Raises
// only what the system raises (bad_alloc); a picture that fails to load is a placeholder.
void RenderBackground(const TRenderSnapshot& snapshot, TRenderOutput& output, const std::atomic<bool>& stop,
                      const TRenderOptions& options = {});
