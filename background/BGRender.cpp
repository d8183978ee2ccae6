#include "background/BGRender.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "background/GraphicWork.h"
#include "background/ImageLoad.h"
#include "background/kvneGraphicSource.h"
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

// JPEGs decode straight into 32-bit pixels (no 24-bit copy, no alpha pass).
std::shared_ptr<TBitmap> LoadFilePicture(const std::string& path, const std::atomic<bool>& stop) {
    auto bitmap = std::make_shared<TBitmap>();
    const std::string ext = ExtensionOf(path);
    if (ext == ".jpg" || ext == ".jpeg") {
        TFileStream file(path);
        LoadJpegImage32(*bitmap, file, &stop);
    } else if (ext == ".jpx") {
        TFileStream file(path);
        LoadJpxImage32(*bitmap, file, &stop);
    } else {
        LoadImageFile(*bitmap, path);
        MakeOpaque32(*bitmap);
    }
    return bitmap;
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
std::shared_ptr<const TBitmap> LoadPicture(const TRenderSnapshot& snapshot, TRenderOutput& output,
                                           const std::atomic<bool>& stop, TPictureCache* cache, TTextDrawer& text) {
    const std::string& path = snapshot.PicturePath;
    TFileStamp stamp;
    if (!GetFileStamp(path, stamp)) {
        auto bitmap = std::make_shared<TBitmap>(LoadBuiltInPicture());
        if (ExtractFileName(path) != "default") {
            output.Message = std::string(kMissingPictureMessage) + "\r\n" + path;
            text.DrawWrapped(*bitmap, {16, 100, bitmap->Width() - 16, bitmap->Height() - 2}, output.Message, 0x0000FF);
            SetAlpha(*bitmap, 255);
        }
        return bitmap;
    }
    if (cache)
        if (auto kept = cache->Find(path, stamp)) return kept;
    try {
        std::shared_ptr<TBitmap> bitmap = LoadFilePicture(path, stop);
        if (cache) cache->Keep(path, stamp, bitmap);
        return bitmap;
    } catch (const std::exception& e) {
        output.Message = e.what();
        return std::make_shared<TBitmap>(MakePlaceholder(e.what(), text));
    }
}

void ApplyEffect(TBitmap& bitmap, int effect) {
    switch (effect) {
        case 1: GradientAlpha(bitmap, true); break;
        case 2: GradientAlpha(bitmap, false); break;
        case 3: EllipseAlpha(bitmap); break;
        default: SetAlpha(bitmap, 255); break;
    }
}

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

TBitmap MakePlaceholder(const std::string& message, TTextDrawer& text) {
    TBitmap bitmap(100, 100, 32);
    FillBitmap32(bitmap, 0xFFFFFFFF);
    for (int i = 0; i < 100; ++i) {
        PutPixel(bitmap, i, 0, kRedPixel);
        PutPixel(bitmap, i, 99, kRedPixel);
        PutPixel(bitmap, 0, i, kRedPixel);
        PutPixel(bitmap, 99, i, kRedPixel);
        PutPixel(bitmap, i, i, kRedPixel);        // (0, 0) to (100, 100)
        PutPixel(bitmap, i, 100 - i, kRedPixel);  // (0, 100) to (100, 0)
    }
    text.DrawWrapped(bitmap, {2, 2, 98, 98}, message, 0);
    SetAlpha(bitmap, 255);
    return bitmap;
}

std::shared_ptr<const TBitmap> TPictureCache::Find(const std::string& path, const TFileStamp& stamp) {
    std::lock_guard<std::mutex> lock(mutex_);
    return picture_ && path == path_ && stamp == stamp_ ? picture_ : nullptr;
}

void TPictureCache::Keep(const std::string& path, const TFileStamp& stamp, std::shared_ptr<const TBitmap> picture) {
    if (!picture || picture->Empty() ||
        static_cast<std::int64_t>(picture->Width()) * picture->Height() > kMaxCachedPixels)
        return;  // what was kept stays
    std::shared_ptr<const TBitmap> old;  // freed outside the lock
    std::lock_guard<std::mutex> lock(mutex_);
    old = std::exchange(picture_, std::move(picture));
    path_ = path;
    stamp_ = stamp;
}

void TPictureCache::Clear() {
    std::shared_ptr<const TBitmap> old;
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

    std::shared_ptr<const TBitmap> picture = LoadPicture(snapshot, output, stop, options.Cache, *text);
    if (!done(rsLoad, "load") || picture->Empty()) return;
    TRenderSize size = ComputeRenderSize(picture->Width(), picture->Height(), snapshot);
    if (size.TooLarge) {
        output.Message = kImageTooLargeMessage;
        picture = std::make_shared<TBitmap>(MakePlaceholder(kImageTooLargeMessage, *text));
        size = ComputeRenderSize(picture->Width(), picture->Height(), snapshot);
    }
    if (size.Width <= 0 || size.Height <= 0) return;

    const bool turned = snapshot.Rotation == 1 || snapshot.Rotation == 3;
    TBitmap prepared(turned ? size.Height : size.Width, turned ? size.Width : size.Height, 32);
    TDrawParams draw;
    draw.Dest = &prepared;
    draw.Source = picture.get();
    draw.Place = draw.Clip = {0, 0, prepared.Width(), prepared.Height()};
    draw.Opacity = 255;
    draw.DrawType = dtCopy;
    DrawBitmap(draw);
    picture.reset();
    if (!done(rsResample, "resample")) return;
    if (snapshot.Rotation > 0) RotateBitmap(prepared, snapshot.Rotation);
    if (!done(rsRotate, "rotate")) return;
    ApplyEffect(prepared, snapshot.Effect);
    if (!done(rsEffect, "effect")) return;
    BlendOverColor(prepared, snapshot.BackgroundColor, 255 - snapshot.OpacityReduction);
    output.Bitmap = std::move(prepared);
    if (options.OnStep) options.OnStep(rsBlend, "blend");
}
