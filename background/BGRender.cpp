#include "background/BGRender.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "background/GraphicWork.h"
#include "background/ImageLoad.h"
#include "background/RowPipe.h"
#include "background/StreamResample.h"
#include "background/kvneGraphicSource.h"
#include "framework/Dpi.h"
#include "support/Errors.h"
#include "support/FileWork.h"
#include "support/TextWork.h"

const char* const kMissingPictureMessage = "指定された画像ファイルが存在しません。";

namespace {

constexpr std::uint32_t kRedPixel = 0xFFFF0000;  // B 0, G 0, R 255, A 255

std::string ExtensionOf(const std::string& path) {
    const std::string name = ExtractFileName(path);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? "" : LowerCaseSjis(name.substr(dot));
}

void PutPixel(TBitmap& bitmap, int x, int y, std::uint32_t value) {
    if (x < 0 || y < 0 || x >= bitmap.Width() || y >= bitmap.Height()) return;
    std::uint8_t* p = bitmap.ScanLine(y) + x * 4;
    for (int c = 0; c < 4; ++c) p[c] = static_cast<std::uint8_t>(value >> (8 * c));
}

// 32-bit with A = 255 everywhere, as the picture is drawn.
void MakeOpaque32(TBitmap& bitmap) {
    if (bitmap.Empty()) return;
    if (bitmap.Is32Bit()) {
        SetAlpha(bitmap, 255);
        return;
    }
    TBitmap wide(bitmap.Width(), bitmap.Height(), 32);
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* s = bitmap.ScanLine(y);
        std::uint8_t* d = wide.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, s += 3, d += 4) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            d[3] = 255;
        }
    }
    bitmap = std::move(wide);
}

// A picture's file as rows: JPEGs from their bytes (kept for the next rendering), BMP and PNG
// straight from the file; what needs a whole decode comes as a bitmap.
struct TPictureRows {
    std::unique_ptr<TRowSource> rows;
    std::shared_ptr<const TBitmap> bitmap;  // 32-bit, A = 255
    // A JPEG file's bytes as the decoder reads them, for the cache once the decode has ended.
    std::shared_ptr<std::vector<std::uint8_t>> read;
    TFileStamp stamp;
    bool notice = false;  // drawn at the window's scale already
};

TPictureRows WholePicture(std::shared_ptr<const TBitmap> bitmap) {
    TPictureRows picture;
    picture.bitmap = std::move(bitmap);
    return picture;
}

TPictureRows Notice(TBitmap bitmap) {
    TPictureRows picture = WholePicture(std::make_shared<TBitmap>(std::move(bitmap)));
    picture.notice = true;
    return picture;
}

// A notice is drawn at the window's scale: its zoom is the design's.
int NoticeZoom(const TRenderSnapshot& s) { return std::max(1, UnscaleForDpi(s.Zoom, SaneDpi(s.Dpi))); }

// The built-in picture resampled to the dpi, as the rendering would resample it, so that the
// notice's text drawn over it stays sharp.
TBitmap AtDpi(TBitmap bitmap, int dpi) {
    if (dpi == kDesignDpi || bitmap.Empty()) return bitmap;
    TBitmap scaled(ScaleForDpi(bitmap.Width(), dpi), ScaleForDpi(bitmap.Height(), dpi), 32);
    TResampleJob job{bitmap.Width(), bitmap.Height(), scaled.Width(), scaled.Height(), {0, 0, scaled.Width(), scaled.Height()}};
    TBitmapFeed feed(bitmap);
    ResampleRows(job, feed, [&](int y, const std::uint8_t* pixels) {
        std::memcpy(scaled.ScanLine(y), pixels, static_cast<std::size_t>(scaled.Width()) * 4);
    });
    return scaled;
}

TPictureRows OpenFilePicture(const std::string& path, const TFileStamp& stamp, TPictureCache* cache,
                             const std::atomic<bool>& stop) {
    const std::string ext = ExtensionOf(path);
    TPictureRows picture;
    if (ext == ".bmp" || ext == ".png") {
        picture.rows = ext == ".bmp" ? OpenBmpRows(std::make_unique<TFileStream>(path))
                                     : OpenPngRows(std::make_unique<TFileStream>(path), &stop);
    } else if (ext == ".jpg" || ext == ".jpeg" || ext == ".jpx") {
        std::shared_ptr<const std::vector<std::uint8_t>> bytes = cache ? cache->Find(path, stamp) : nullptr;
        if (!bytes && ext != ".jpx") {
            // Read while it is decoded, rather than whole first: the decoding starts at once.
            auto file = std::make_unique<TFileStream>(path);
            const std::int64_t size = file->Size();
            if (size > std::int64_t{1} << 31) {
                picture.bitmap = std::make_shared<TBitmap>();
                return picture;
            }
            if (cache && size <= static_cast<std::int64_t>(TPictureCache::kMaxCachedBytes)) {
                picture.read = std::make_shared<std::vector<std::uint8_t>>();
                picture.read->reserve(static_cast<std::size_t>(size));
                picture.stamp = stamp;
            }
            picture.rows = OpenJpegStreamRows(std::move(file), picture.read, &stop, true);
            return picture;
        }
        if (!bytes) {
            TFileStream file(path);
            auto read = std::make_shared<std::vector<std::uint8_t>>();
            // A .jpx too large to unscramble loads nothing, unread.
            if (ext == ".jpx" ? !ReadRest(file, *read, kMaxJpxSize) : !ReadRest(file, *read, std::size_t{1} << 31)) {
                picture.bitmap = std::make_shared<TBitmap>();
                return picture;
            }
            bytes = std::move(read);
            if (cache) cache->Keep(path, stamp, bytes);
        }
        picture.rows = OpenPictureRows(path, bytes, &stop, true);
    }
    if (!picture.rows) {
        auto bitmap = std::make_shared<TBitmap>();
        // A PNG without a header loads nothing whole either: its chunks are not gone through again.
        if (ext != ".png") LoadImageFile(*bitmap, path);
        MakeOpaque32(*bitmap);
        picture.bitmap = std::move(bitmap);
    }
    return picture;
}

TBitmap LoadBuiltInPicture() {
    TBitmap bitmap;
    std::vector<std::uint8_t> bytes;
    try {
        if (ReadProgramResource("picture", bytes)) {
            TMemoryStream stream(std::move(bytes));
            LoadJpegImage32(bitmap, stream);
        }
    } catch (const std::exception&) {
        bitmap = TBitmap();
    }
    if (bitmap.Empty()) {
        bitmap.Allocate(320, 225, 32);
        FillBitmap32(bitmap, 0xFFFFFFFF);
    }
    return bitmap;
}

// Step 1: the picture, the built-in one with the notice, or the placeholder.
TPictureRows LoadPicture(const TRenderSnapshot& snapshot, TRenderOutput& output, TPictureCache* cache,
                         TTextDrawer& text, const std::atomic<bool>& stop) {
    const std::string& path = snapshot.PicturePath;
    TFileStamp stamp;
    // The default entry names no file, even where the data folder holds one of that name.
    const bool builtIn = ExtractFileName(path) == "default";
    if (builtIn) return WholePicture(std::make_shared<TBitmap>(LoadBuiltInPicture()));
    if (!GetFileStamp(path, stamp)) {
        const int dpi = SaneDpi(snapshot.Dpi);
        TBitmap bitmap = AtDpi(LoadBuiltInPicture(), dpi);
        output.Message = std::string(kMissingPictureMessage) + "\r\n" + path;
        const int margin = ScaleForDpi(16, dpi);
        text.DrawWrapped(bitmap, {margin, ScaleForDpi(100, dpi), bitmap.Width() - margin, bitmap.Height() - ScaleForDpi(2, dpi)},
                         output.Message, 0x0000FF, ScaleForDpi(12, dpi));
        SetAlpha(bitmap, 255);
        return Notice(std::move(bitmap));
    }
    try {
        return OpenFilePicture(path, stamp, cache, stop);
    } catch (const std::exception& e) {
        output.Message = e.what();
        return Notice(MakePlaceholder(e.what(), text, snapshot.Dpi));
    }
}

// Steps 8 to 12 for each resampled row: rotation, the effect's mask and the blend over the
// colour, pixel by pixel into the result; the picture is opaque, so this is exact.
class TFinisher {
public:
    // oneRow: the result is a single row that each prepared row is finished into in turn.
    TFinisher(const TRenderSnapshot& s, int width, int height, TBitmap& result, const TRect& visible, bool oneRow)
        : result_(result),
          oneRow_(oneRow), visible_(visible), height_(height), rotation_(s.Rotation), effect_(s.Effect),
          opacity_(std::min(255 - s.OpacityReduction, 255)), ellipse_(width, height),
          color_{(s.BackgroundColor >> 16) & 255, (s.BackgroundColor >> 8) & 255, s.BackgroundColor & 255} {
        const bool turned = rotation_ == 1 || rotation_ == 3;
        preparedWidth_ = turned ? height : width;
        preparedHeight_ = turned ? width : height;
        plain_ = (rotation_ < 1 || rotation_ > 3) && (effect_ < 1 || effect_ > 3) && opacity_ >= 255;
    }
    // The result row that prepared row y completes; -1 when rows are done only at the end (turned a quarter).
    int FinishedRow(int y) const {
        if (rotation_ == 1 || rotation_ == 3) return -1;
        return (rotation_ == 2 ? preparedHeight_ - 1 - y : y) - visible_.Top;
    }
    int PreparedWidth() const { return preparedWidth_; }
    int PreparedHeight() const { return preparedHeight_; }
    // The visible part before turning: the rows and columns to resample.
    TRect PreparedPart() const {
        const TRect& v = visible_;
        const int pw = preparedWidth_, ph = preparedHeight_;
        switch (rotation_) {
        case 1: return {v.Top, ph - v.Right, v.Bottom, ph - v.Left};
        case 2: return {pw - v.Right, ph - v.Bottom, pw - v.Left, ph - v.Top};
        case 3: return {pw - v.Bottom, v.Left, pw - v.Top, v.Right};
        default: return v;
        }
    }

    void Row(int y, const std::uint8_t* pixels, int left, int count) {
        if (plain_) {
            // The resampled alpha of an opaque picture is 255 already.
            std::memcpy(result_.ScanLine(oneRow_ ? 0 : y - visible_.Top) + (left - visible_.Left) * 4, pixels,
                        static_cast<std::size_t>(count) * 4);
            return;
        }
        for (int i = 0; i < count; ++i, pixels += 4) {
            const int x = left + i;
            int fx = x, fy = y;
            if (rotation_ == 1) fx = preparedHeight_ - 1 - y, fy = x;
            if (rotation_ == 2) fx = preparedWidth_ - 1 - x, fy = preparedHeight_ - 1 - y;
            if (rotation_ == 3) fx = y, fy = preparedWidth_ - 1 - x;
            const int mask = effect_ == 1 || effect_ == 2 ? GradientAlphaAt(fy, height_, effect_ == 1)
                             : effect_ == 3              ? ellipse_.At(fx, fy)
                                                         : 255;
            const int alpha = opacity_ <= 0 ? 0 : opacity_ * mask / 255;
            std::uint8_t* out = result_.ScanLine(oneRow_ ? 0 : fy - visible_.Top) + (fx - visible_.Left) * 4;
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<std::uint8_t>(alpha <= 0     ? color_[c]
                                                   : alpha < 255 ? ((255 - alpha) * color_[c] + alpha * pixels[c]) / 255
                                                                 : pixels[c]);
            out[3] = 255;
        }
    }

private:
    TBitmap& result_;
    bool oneRow_;
    TRect visible_;
    int height_, rotation_, effect_, opacity_;
    TEllipseMask ellipse_;
    int color_[3];
    int preparedWidth_ = 0, preparedHeight_ = 0;
    bool plain_ = false;  // unturned, no mask, opaque: the rows as they come
};

}  // namespace

TRenderSize ComputeRenderSize(int pictureWidth, int pictureHeight, const TRenderSnapshot& s) {
    if (pictureWidth <= 0 || pictureHeight <= 0) return {};
    const bool turned = s.Rotation == 1 || s.Rotation == 3;
    const std::int64_t wr = turned ? pictureHeight : pictureWidth, hr = turned ? pictureWidth : pictureHeight;
    const std::int64_t tw = s.Width, th = s.Height;
    std::int64_t newW = wr * s.Zoom / 100, newH = hr * s.Zoom / 100;
    int valign = s.VAlign, halign = s.HAlign;
    if ((valign == 0 || halign == 0) && (tw <= 0 || th <= 0)) return {};
    if (valign == 0 && halign == 0) {
        // Covers the window: fitted one way, centred and cut off the other.
        if (hr * 1000 / th >= wr * 1000 / tw)
            valign = 2;
        else
            halign = 2;
    }
    if (halign == 0) {
        newW = tw;
        newH = hr * tw / wr;
    }
    if (valign == 0) {
        newH = th;
        newW = wr * th / hr;
    }
    if (newW <= 0 || newH <= 0) return {};
    if (newW > kMaxImageSide || newH > kMaxImageSide || newW * newH > kMaxImagePixels) return {0, 0, true};
    return {static_cast<int>(newW), static_cast<int>(newH), false};
}

TRect VisiblePart(const TRenderSnapshot& s, int width, int height) {
    int h = s.HAlign, v = s.VAlign;
    if (h == 0 && v == 0) h = v = 2;  // the window centres a picture fitted both ways
    // A centred picture starts at (room - size) div 2, truncated: a smaller client area shows
    // a range inside the one the whole room shows.
    auto range = [](int align, int room, int size) {
        if (room <= 0 || size <= room) return std::pair{0, size};
        const int start = align == 2 ? (size - room) / 2 : align == 3 ? size - room : 0;
        return std::pair{start, start + room};
    };
    const auto [left, right] = range(h, s.Width, width);
    const auto [top, bottom] = range(v, s.Height, height);
    return {left, top, right, bottom};
}

void BlendOverColor(TBitmap& picture, std::int32_t color, int opacity) {
    if (!picture.Is32Bit() || picture.Empty()) return;
    opacity = std::min(opacity, 255);
    const int bg[3] = {(color >> 16) & 255, (color >> 8) & 255, color & 255};
    for (int y = 0; y < picture.Height(); ++y) {
        std::uint8_t* p = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x, p += 4) {
            const int alpha = opacity <= 0 ? 0 : opacity * p[3] / 255;
            if (alpha <= 0) {
                for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(bg[c]);
            } else if (alpha < 255) {
                for (int c = 0; c < 3; ++c)
                    p[c] = static_cast<std::uint8_t>(((255 - alpha) * bg[c] + alpha * p[c]) / 255);
            }
            p[3] = 255;
        }
    }
}

TBitmap MakePlaceholder(const std::string& message, TTextDrawer& text, int dpi) {
    dpi = SaneDpi(dpi);
    const int n = ScaleForDpi(100, dpi), line = std::max(1, n / 100);  // lines as thick as at 96 dpi, enlarged
    TBitmap bitmap(n, n, 32);
    FillBitmap32(bitmap, 0xFFFFFFFF);
    for (int i = 0; i < n; ++i)
        for (int t = 0; t < line; ++t) {
            PutPixel(bitmap, i, t, kRedPixel);
            PutPixel(bitmap, i, n - 1 - t, kRedPixel);
            PutPixel(bitmap, t, i, kRedPixel);
            PutPixel(bitmap, n - 1 - t, i, kRedPixel);
            PutPixel(bitmap, i, i + t, kRedPixel);      // (0, 0) to (n, n)
            PutPixel(bitmap, i, n - i - t, kRedPixel);  // (0, n) to (n, 0)
        }
    const int margin = ScaleForDpi(2, dpi);
    text.DrawWrapped(bitmap, {margin, margin, n - margin, n - margin}, message, 0, ScaleForDpi(12, dpi));
    SetAlpha(bitmap, 255);
    return bitmap;
}

std::shared_ptr<const std::vector<std::uint8_t>> TPictureCache::Find(const std::string& path, const TFileStamp& stamp) {
    std::lock_guard<std::mutex> lock(mutex_);
    return picture_ && path == path_ && stamp == stamp_ ? picture_ : nullptr;
}

void TPictureCache::Keep(const std::string& path, const TFileStamp& stamp,
                         std::shared_ptr<const std::vector<std::uint8_t>> picture) {
    if (!picture || picture->empty() || picture->size() > kMaxCachedBytes) return;  // what was kept stays
    std::shared_ptr<const std::vector<std::uint8_t>> old;  // freed outside the lock
    std::lock_guard<std::mutex> lock(mutex_);
    old = std::exchange(picture_, std::move(picture));
    path_ = path;
    stamp_ = stamp;
}

void TPictureCache::Clear() {
    std::shared_ptr<const std::vector<std::uint8_t>> old;
    std::lock_guard<std::mutex> lock(mutex_);
    old = std::exchange(picture_, nullptr);
}

void RenderBackground(const TRenderSnapshot& snapshot, TRenderOutput& output, const std::atomic<bool>& stop,
                      const TRenderOptions& options) {
    output = TRenderOutput();
    std::unique_ptr<TTextDrawer> ownText;
    TTextDrawer* text = options.Text;
    if (!text) text = (ownText = CreateTextDrawer()).get();
    auto done = [&](int step, const char* name) {
        if (options.OnStep) options.OnStep(step, name);
        output.Stopped = stop.load();
        return !output.Stopped;
    };

    TPictureRows picture = LoadPicture(snapshot, output, options.Cache, *text, stop);
    if (!done(rsLoad, "load")) return;
    // Resampled as the rows arrive; a damaged file found on the way becomes the placeholder.
    TRenderSnapshot shown = snapshot;
    auto showNotice = [&](TBitmap notice) {
        picture = Notice(std::move(notice));
        shown.Zoom = NoticeZoom(snapshot);
    };
    if (picture.notice) shown.Zoom = NoticeZoom(snapshot);
    bool placeholderTooLarge = false;
    for (;;) {
        if (picture.bitmap && picture.bitmap->Empty()) return;
        const int sourceWidth = picture.rows ? picture.rows->Width() : picture.bitmap->Width();
        const int sourceHeight = picture.rows ? picture.rows->Height() : picture.bitmap->Height();
        TRenderSize size = ComputeRenderSize(sourceWidth, sourceHeight, shown);
        if (size.TooLarge && placeholderTooLarge) {
            // The placeholder itself is too large at this zoom or fitted to this window: it is
            // shown at its own size, which always fits.
            shown.Zoom = 100;
            if (shown.VAlign == 0) shown.VAlign = 1;
            if (shown.HAlign == 0) shown.HAlign = 1;
            continue;
        }
        if (size.TooLarge) {
            output.Message = kImageTooLargeMessage;
            placeholderTooLarge = true;
            showNotice(MakePlaceholder(kImageTooLargeMessage, *text, snapshot.Dpi));
            continue;
        }
        if (size.Width <= 0 || size.Height <= 0) return;
        const TRect visible = VisiblePart(shown, size.Width, size.Height);
        const bool turned = shown.Rotation == 1 || shown.Rotation == 3;
        const bool oneRow = options.RowsOnly && options.OnRow && !turned;
        TBitmap result(visible.Width(), oneRow ? 1 : visible.Height(), 32);
        TFinisher finisher(shown, size.Width, size.Height, result, visible, oneRow);
        TResampleJob job;
        job.SourceWidth = sourceWidth, job.SourceHeight = sourceHeight;
        job.Width = finisher.PreparedWidth(), job.Height = finisher.PreparedHeight();
        job.Part = finisher.PreparedPart();
        auto emit = [&](int y, const std::uint8_t* pixels) {
            finisher.Row(y, pixels, job.Part.Left, job.Part.Width());
            if (const int row = finisher.FinishedRow(y); options.OnRow && row >= 0)
                options.OnRow(visible.Width(), visible.Height(), row, result.ScanLine(oneRow ? 0 : row));
        };
        bool complete = false;
        try {
            if (picture.rows) {
                TRowPipe pipe(*picture.rows, stop);
                complete = ResampleRows(job, pipe, emit) && pipe.Finish();
            } else {
                TBitmapFeed feed(*picture.bitmap);
                complete = ResampleRows(job, feed, emit);
            }
        } catch (const EError& e) {
            output.Message = e.what();
            showNotice(MakePlaceholder(e.what(), *text, snapshot.Dpi));
            continue;
        }
        if (complete && picture.read && options.Cache) options.Cache->Keep(snapshot.PicturePath, picture.stamp, picture.read);
        picture = {};
        if (!complete || !done(rsResample, "resample")) {
            output.Stopped = true;
            return;
        }
        for (auto [step, name] : {std::pair{rsRotate, "rotate"}, std::pair{rsEffect, "effect"}})
            if (!done(step, name)) return;
        if (options.OnRow && turned)
            for (int row = 0; row < result.Height(); ++row) options.OnRow(result.Width(), result.Height(), row, result.ScanLine(row));
        if (!options.RowsOnly || !options.OnRow) output.Bitmap = std::move(result);
        output.Left = visible.Left, output.Top = visible.Top;
        output.FullWidth = size.Width, output.FullHeight = size.Height;
        if (options.OnStep) options.OnStep(rsBlend, "blend");
        return;
    }
}
